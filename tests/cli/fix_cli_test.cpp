// The review lines of scan and the whole job of fix, through the real program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "support/test_support.h"

namespace urlsmith {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::RunCli;
using testing::RunProcess;
using testing::TempDir;

// A copy of the example site in a temporary folder.
std::string CopyExampleSite(const TempDir& dir) {
  const std::string site = dir / "site";
  fs::copy(std::string(URLSMITH_SOURCE_DIR) + "/examples/site", site, fs::copy_options::recursive);
  return site;
}

// Every file of a tree with its bytes, by relative path.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) {
      files[fs::relative(e.path(), root).string()] = ReadFileBytes(e.path().string());
    }
  }
  return files;
}

TEST(ScanCli, PrintsTheReviewLinesOfTheExampleSite) {
  TempDir dir;
  const std::string site = CopyExampleSite(dir);
  const auto r = RunCli({"scan", "--no-internet", "--sort", "url", site});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const std::string expected =
      ">> Link deletion is prohibited. The \"DELETE\" items are hidden.\n"
      "REPLACE (1): \"baker@example.com\" --> \"mailto:baker@example.com\"\n"
      "REPLACE (1): \"contact.htm\" --> \"info/contact.htm\"\n"
      "REPLACE (1): \"http:example.com/market\" --> \"http://example.com/market\"\n"
      "REPLACE (1): \"images/banner.jpg\" --> \"img/banner.jpg\"\n"
      "REPLACE (1): \"item.htm\" --> \"items/item.htm\"\n"
      "REPLACE (1): \"my recipes.htm\" --> \"my%20recipes.htm\"\n"
      "REPLACE (1): \"www.example.com/flour\" --> \"http://www.example.com/flour\"\n"
      "REPLACE (1): \"http://www.example.com/news.htm\" --> \"saved/news.htm\"\n"
      "ORPHAN: \"" +
      site + "/img/unused.gif\"\n";
  EXPECT_EQ(r.out, expected);
  EXPECT_NE(r.err.find("Done: 12 change(s) to apply in 10 file(s)"), std::string::npos) << r.err;

  // Unchecked Internet links stay as they are, unless the pages are to be rid of them.
  const std::string localDeletions =
      "DELETE (1): \"../img/missing.png\"\n"
      "DELETE (1): \"../img/special.png\"\n"
      "DELETE (1): \"history.html\"\n"
      "DELETE (1): \"\xC3\xBC"
      "ber.htm\"\n";
  // --exclude keeps matching addresses out of the rid, as it keeps them out of the checks.
  const auto excluded = RunCli({"scan", "--rid-internet-links", "--exclude", "stats\\.example",
                                "--exclude", "^http://www\\.example\\.com/m", "--allow-deletion",
                                "--hide-replace", "--hide-orphan", "--sort", "url", site});
  EXPECT_EQ(excluded.out, localDeletions) << excluded.err;
  const auto badPattern = RunCli({"scan", "--exclude", "(", site});
  EXPECT_EQ(badPattern.exitCode, 2);
  EXPECT_NE(badPattern.err.find("is not a regular expression"), std::string::npos);
  // The options of the Internet checks take sound values only.
  for (const auto& [option, value, accepted] :
       std::vector<std::tuple<std::string, std::string, bool>>{{"--max-concurrency", "1", true},
                                                               {"--max-concurrency", "0", false},
                                                               {"--host-concurrency", "x", false},
                                                               {"--cache-age", "30m", true},
                                                               {"--cache-age", "2h", true},
                                                               {"--cache-age", "3600", true},
                                                               {"--cache-age", "1w", false}}) {
    const auto run = RunCli({"scan", "--no-internet", option, value, site});
    EXPECT_EQ(run.exitCode == 2, !accepted) << option << " " << value << ": " << run.err;
  }
  for (const char* internet : {"--no-internet", "--rid-internet-links"}) {
    const auto shown = RunCli({"scan", internet, "--allow-deletion", "--hide-replace",
                               "--hide-orphan", "--sort", "url", site});
    EXPECT_EQ(shown.out, std::string(internet) == "--no-internet"
                             ? localDeletions
                             : localDeletions +
                                   "DELETE (1): \"http://stats.example.com/click\"\n"
                                   "DELETE (1): \"http://www.example.com/menu.htm\"\n");
  }

  const auto json = RunCli({"scan", "--no-internet", "--format", "json", site});
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_EQ(json.out.front(), '{');
  EXPECT_NE(json.out.find("\"groups\": 8"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"makeBackups\": true"), std::string::npos);
  const auto noBackups =
      RunCli({"fix", "--no-internet", "--format", "json", "--no-backups", site});  // no --yes
  EXPECT_NE(noBackups.out.find("\"makeBackups\": false"), std::string::npos) << noBackups.out;
  EXPECT_NE(json.out.find("\"line\": \"REPLACE (1): \\\"item.htm\\\" --> \\\"items/item.htm\\\"\""),
            std::string::npos);
}

TEST(FixCli, RepairsTheSiteKeepsBackupsAndUnspoolRestoresIt) {
  TempDir dir;
  const std::string site = CopyExampleSite(dir);
  const auto before = Tree(site);

  // Not on a terminal and without --yes: nothing is touched.
  const auto refused = RunCli({"fix", "--no-internet", site});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("confirm with --yes"), std::string::npos) << refused.err;
  EXPECT_EQ(Tree(site), before);

  const auto fixed = RunCli({"fix", "--no-internet", "--allow-deletion", "--yes", site});
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_NE(fixed.out.find("REPLACE (1): \"contact.htm\" --> \"info/contact.htm\""),
            std::string::npos);
  EXPECT_NE(fixed.err.find("applied successfully"), std::string::npos) << fixed.err;
  // Every backup holds the original bytes.
  for (const auto& [rel, bytes] : before) {
    const std::string bak = site + "/" + rel + ".bak";
    if (fs::exists(bak)) {
      EXPECT_EQ(ReadFileBytes(bak), bytes) << rel;
    }
  }
  EXPECT_TRUE(fs::exists(site + "/index.htm.bak"));
  const std::string index = ReadFileBytes(site + "/index.htm");
  EXPECT_NE(index.find("<a href=\"info/contact.htm\">Contact</a>"), std::string::npos) << index;
  EXPECT_NE(index.find("<img src=\"img/banner.jpg\""), std::string::npos);
  EXPECT_NE(index.find("href=\"mailto:baker@example.com\""), std::string::npos);

  // The repaired site has nothing left to change.
  const auto again = RunCli({"scan", "--no-internet", "--allow-deletion", site});
  EXPECT_EQ(again.exitCode, 0) << again.out << again.err;

  const auto restored = RunProcess({URLSMITH_UNSPOOL_PATH, "--restore", "--yes", site});
  EXPECT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_EQ(Tree(site), before);
}

TEST(FixCli, NoBackupsAndOptionErrors) {
  TempDir dir;
  dir.Write("a.htm", "<a href=\"b.htm\">b</a> <img src=\"pics/x.gif\">");
  dir.Write("img/x.gif", "GIF89a");
  const auto r = RunCli({"fix", "--no-internet", "--no-backups", "--yes", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir / "a.htm.bak"));
  // Without --allow-deletion the broken b.htm stays; the picture gets its same-named file.
  EXPECT_EQ(ReadFileBytes(dir / "a.htm"), "<a href=\"b.htm\">b</a> <img src=\"img/x.gif\">");

  struct Case {
    std::vector<std::string> args;
    std::string inErr;
  };
  const Case cases[] = {
      {{"fix", "--text-links", "bold", dir.path()}, "--text-links takes text or empty"},
      {{"fix", "--image-url", "", dir.path()}, "The replacement URL cannot be empty!"},
      {{"scan", "--no-backups", dir.path()}, "unknown option \"--no-backups\""},
      {{"scan", "--sort", "size", dir.path()}, "--sort takes none, url or action"},
      {{"scan", "--format", "xml", dir.path()}, "--format takes text or json"},
  };
  for (const auto& c : cases) {
    const auto e = RunCli(c.args);
    EXPECT_EQ(e.exitCode, 2);
    EXPECT_NE(e.err.find(c.inErr), std::string::npos) << e.err;
  }
}

}  // namespace
}  // namespace urlsmith

namespace urlsmith {
namespace {

// `fix` killed at random moments: every file is its old or its new self, every new file's
// backup is its original, and the next run removes what the killed one left behind.
TEST(FixCli, AKilledFixLosesNothingAndItsLeftoversGoAtTheNextRun) {
  TempDir dir;
  const std::string site = dir / "site";
  std::map<std::string, std::string> original;
  for (int i = 0; i < 400; ++i) {
    const std::string name = "p" + std::to_string(i) + ".htm";
    original[name] = "<p>" + std::string(2000, 'x') + "<a href=\"pic" + std::to_string(i % 7) +
                     ".gif\">x</a></p>\n";
    dir.Write("site/" + name, original[name]);
  }
  for (int k = 0; k < 7; ++k)
    dir.Write("site/img/pic" + std::to_string(k) + ".gif", "GIF");
  const std::string reference = dir / "reference";
  fs::copy(site, reference, fs::copy_options::recursive);
  ASSERT_EQ(RunCli({"fix", "--no-internet", "--yes", "-q", reference}).exitCode, 0);
  const std::map<std::string, std::string> fixed = Tree(reference);

  std::srand(20261207);
  bool leftBehind = false;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    leftBehind = false;  // a later run removes what an earlier one left
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(URLSMITH_CLI_PATH, URLSMITH_CLI_PATH, "fix", "--no-internet", "--yes", site.c_str(),
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::usleep(static_cast<useconds_t>(20'000 + std::rand() % 250'000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    for (const auto& [name, bytes] : Tree(site)) {
      if (name.rfind(".urlsmith-", 0) == 0) {
        leftBehind = true;
        continue;
      }
      if (name.size() > 4 && name.substr(name.size() - 4) == ".bak") {
        EXPECT_EQ(bytes, original.at(name.substr(0, name.size() - 4))) << name;
        continue;
      }
      if (!original.count(name)) continue;
      EXPECT_TRUE(bytes == original.at(name) || bytes == fixed.at(name)) << name;
      if (bytes != original.at(name)) {
        EXPECT_TRUE(fs::exists(site + "/" + name + ".bak")) << name;
      }
    }
  }
  // The next run lists none of the leftovers, removes them and says so.
  const auto next = RunCli({"scan", "--no-internet", site});
  if (leftBehind) {
    EXPECT_NE(next.err.find("removed: left behind by an interrupted run"), std::string::npos);
  }
  for (const auto& [name, bytes] : Tree(site)) {
    EXPECT_NE(name.rfind(".urlsmith-", 0), 0u) << name;
  }
  EXPECT_EQ(next.out.find(".urlsmith-"), std::string::npos);
}

// unspool lists and removes the leftovers of a killed run, not those of a running one.
TEST(FixCli, UnspoolListsAndRemovesTheLeftoversOfAKilledRun) {
  TempDir dir;
  dir.Write("a.htm", "new");
  dir.Write("a.htm.bak", "old");
  const std::string dead = dir.Write(".urlsmith-999999999-AbC123", "half");
  const std::string alive = dir.Write(".urlsmith-" + std::to_string(::getpid()) + "-XyZ789", "x");
  const auto listed = RunProcess({URLSMITH_UNSPOOL_PATH, "--list", dir.path()});
  EXPECT_NE(listed.out.find(dead + " (left behind by an interrupted run)"), std::string::npos)
      << listed.out;
  EXPECT_EQ(listed.out.find(alive), std::string::npos);
  const auto deleted = RunProcess({URLSMITH_UNSPOOL_PATH, "--delete", "--yes", dir.path()});
  EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
}

}  // namespace
}  // namespace urlsmith
