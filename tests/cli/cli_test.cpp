// The command-line program as scripts use it, run as the real process: arguments and refusals,
// the review lines of scan, the whole job of fix, a fix killed midway, and Ctrl-C and Ctrl-\.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli/cli_app.h"
#include "cli/cli_run_view.h"
#include "support/test_servers.h"
#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

namespace fs = std::filesystem;

TEST(Cli, ArgumentsAreCheckedAndRefusalsTouchNothing) {
  TempDir dir;
  const std::string site = dir.Write("site/a.htm", "<a href=\"b.htm\">b</a> <img src=\"p/x.gif\">");
  dir.Write("site/img/x.gif", "GIF89a");
  const std::string folder = dir / "site", empty = dir.MakeDir("empty");
  const auto before = Tree(folder);
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string inOut, inErr;
  } cases[] = {
      {{"--help"}, 0, "Usage: urlsmith-cli scan", ""},
      {{"scan", "--help"}, 0, "--no-internet", ""},
      {{"--version"}, 0, "urlsmith-cli", ""},
      {{}, 2, "", "Usage:"},
      {{"frobnicate"}, 2, "", "unknown command \"frobnicate\""},
      {{"scan"}, 2, "", "no file or folder given"},
      {{"scan", "--base-url"}, 2, "", "--base-url needs a value"},
      {{"scan", "--target-adder", "sometimes", "."}, 2, "", "external, images or mask"},
      {{"scan", "/no/such/folder"}, 2, "", "cannot find \"/no/such/folder\""},
      {{"scan", empty}, 2, "", "the folders given hold no files"},
      {{"scan", "--no-backups", folder}, 2, "", "unknown option \"--no-backups\""},
      {{"scan", "--sort", "size", folder}, 2, "", "--sort takes none, url or action"},
      {{"scan", "--format", "xml", folder}, 2, "", "--format takes text or json"},
      {{"scan", "--exclude", "(", folder}, 2, "", "\"(\" is not a regular expression"},
      {{"scan", "--max-concurrency", "0", folder}, 2, "", "takes a number from 1 to 1024"},
      {{"scan", "--host-concurrency", "x", folder}, 2, "", "--host-concurrency takes a number"},
      {{"scan", "--cache-age", "1w", folder}, 2, "", "--cache-age takes seconds or a number"},
      {{"scan", "--no-internet", "--max-concurrency", "1", folder}, 1, "img/x.gif", ""},
      {{"scan", "--no-internet", "--cache-age", "30m", folder}, 1, "", ""},
      {{"scan", "--no-internet", "--cache-age", "2h", folder}, 1, "", ""},
      {{"scan", "--no-internet", "--cache-age", "3600", folder}, 1, "", ""},
      {{"fix", "--text-links", "bold", folder}, 2, "", "--text-links takes text or empty"},
      {{"fix", "--image-url", "", folder}, 2, "", "The replacement URL cannot be empty!"},
      {{"fix", "--no-internet", folder}, 2, "", "confirm with --yes when not on a terminal"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_TRUE(Contains(r.out, c.inOut)) << r.out;
    EXPECT_TRUE(Contains(r.err, c.inErr)) << r.err;
  }
  EXPECT_EQ(Tree(folder), before);

  // Without --allow-deletion the broken b.htm stays; the picture gets its same-named file.
  EXPECT_EQ(RunCli({"fix", "--no-internet", "--no-backups", "--yes", folder}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(site), "<a href=\"b.htm\">b</a> <img src=\"img/x.gif\">");
  EXPECT_FALSE(fs::exists(site + ".bak"));
}

TEST(Cli, TheFileListAndTheRunLog) {
  TempDir dir;
  dir.Write("index.htm", "<html><body>No links here.</body></html>");
  const std::string page = dir.Write("sub/page.htm", "<p>nothing</p>");
  dir.Write("sub/deeper/pic.gif", "GIF89a");
  const ProcessResult r = RunCli({"scan", "--no-internet", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, ">> Counting processable files ... 2 file(s) found")) << r.err;
  EXPECT_TRUE(Contains(r.err, page + " (14 bytes) ... 0 change(s) to apply"));
  EXPECT_TRUE(Contains(r.err, "Done: 0 change(s) to apply in 2 file(s)"));
  EXPECT_TRUE(Contains(RunCli({"scan", "--no-internet", "--no-recurse", dir.path()}).err,
                       "1 file(s) found"));
  EXPECT_TRUE(Contains(RunCli({"scan", "--no-internet", page, page}).err, "1 file(s) found"));
  EXPECT_EQ(RunCli({"scan", "-q", "--no-internet", dir.path()}).err, "");
}

// The example site: scan prints its review lines, fix repairs it with backups of the old bytes and
// unspool restores it.
TEST(Cli, TheExampleSiteIsReviewedFixedAndRestored) {
  TempDir dir;
  const std::string site = dir / "site";
  fs::copy(URLSMITH_SOURCE_DIR "/examples/site", site, fs::copy_options::recursive);
  const auto before = Tree(site);
  const ProcessResult r = RunCli({"scan", "--no-internet", "--sort", "url", site});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out,
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
                site + "/img/unused.gif\"\n");
  EXPECT_TRUE(Contains(r.err, "Done: 12 change(s) to apply in 10 file(s)")) << r.err;

  // Unchecked Internet links stay as they are, unless the pages are to be rid of them; --exclude
  // keeps matching addresses out of the rid, as it keeps them out of the checks.
  const std::string local =
      "DELETE (1): \"../img/missing.png\"\nDELETE (1): \"../img/special.png\"\n"
      "DELETE (1): \"history.html\"\nDELETE (1): \"\xC3\xBC"
      "ber.htm\"\n";
  const std::string internet =
      "DELETE (1): \"http://stats.example.com/click\"\n"
      "DELETE (1): \"http://www.example.com/menu.htm\"\n";
  const std::pair<std::vector<std::string>, std::string> deletions[] = {
      {{"--no-internet"}, local},
      {{"--rid-internet-links"}, local + internet},
      {{"--rid-internet-links", "--exclude", "stats\\.example", "--exclude",
        "^http://www\\.example\\.com/m"},
       local},
  };
  for (const auto& [options, out] : deletions) {
    std::vector<std::string> args{
        "scan", "--allow-deletion", "--hide-replace", "--hide-orphan", "--sort", "url", site};
    args.insert(args.begin() + 1, options.begin(), options.end());
    EXPECT_EQ(RunCli(args).out, out) << ::testing::PrintToString(options);
  }

  const ProcessResult json = RunCli({"scan", "--no-internet", "--format", "json", site});
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_TRUE(Contains(json.out, "\"groups\": 8")) << json.out;
  EXPECT_TRUE(Contains(json.out, "\"makeBackups\": true"));
  EXPECT_TRUE(
      Contains(RunCli({"fix", "--no-internet", "--format", "json", "--no-backups", site}).out,
               "\"makeBackups\": false"));

  const ProcessResult fixed = RunCli({"fix", "--no-internet", "--allow-deletion", "--yes", site});
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_TRUE(Contains(fixed.out, "REPLACE (1): \"contact.htm\" --> \"info/contact.htm\""));
  EXPECT_TRUE(Contains(fixed.err, "applied successfully")) << fixed.err;
  const auto after = Tree(site);
  for (const auto& [rel, bytes] : before)  // every backup holds the original bytes
    EXPECT_EQ(after.contains(rel + ".bak") ? after.at(rel + ".bak") : bytes, bytes) << rel;
  const std::string index = ReadFileBytes(site + "/index.htm");
  EXPECT_TRUE(Contains(index, "<a href=\"info/contact.htm\">Contact</a>")) << index;
  // The repaired site has nothing left to change.
  EXPECT_EQ(RunCli({"scan", "--no-internet", "--allow-deletion", site}).exitCode, 0);

  EXPECT_EQ(RunProcess({URLSMITH_UNSPOOL_PATH, "--restore", "--yes", site}).exitCode, 0);
  EXPECT_EQ(Tree(site), before);
}

// `fix` killed at random moments: every file is its old or its new self, every new file's
// backup is its original, and the next run removes what the killed one left behind.
TEST(Cli, AKilledFixLosesNothingAndItsLeftoversGoAtTheNextRun) {
  TempDir dir;
  const std::string site = dir / "site";
  std::map<std::string, std::string> original, fixed;
  for (int i = 0; i < 400; ++i) {
    const std::string name = "p" + std::to_string(i) + ".htm", pic = std::to_string(i % 7) + ".gif";
    original[name] = "<p>" + std::string(2000, 'x') + "<a href=\"pic" + pic + "\">x</a></p>\n";
    fixed[name] = "<p>" + std::string(2000, 'x') + "<a href=\"img/pic" + pic + "\">x</a></p>\n";
    dir.Write("site/" + name, original[name]);
    dir.Write("site/img/pic" + pic, "GIF");
  }

  std::srand(20261207);
  bool leftBehind = false;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    {
      Process run({URLSMITH_CLI_PATH, "fix", "--no-internet", "--yes", site});
      ::usleep(static_cast<useconds_t>(20'000 + std::rand() % 250'000));
    }                    // killed
    leftBehind = false;  // a later run removes what an earlier one left
    for (const auto& [name, bytes] : Tree(site)) {
      if (name.starts_with(".urlsmith-")) {
        leftBehind = true;
      } else if (name.ends_with(".bak")) {
        EXPECT_EQ(bytes, original.at(name.substr(0, name.size() - 4))) << name;
      } else if (original.contains(name)) {
        EXPECT_TRUE(bytes == original.at(name) || bytes == fixed.at(name)) << name;
        EXPECT_TRUE(bytes == original.at(name) || fs::exists(site + "/" + name + ".bak"));
      }
    }
  }
  // The next run lists none of the leftovers, removes them and says so.
  const ProcessResult next = RunCli({"scan", "--no-internet", site});
  EXPECT_TRUE(!leftBehind || Contains(next.err, "removed: left behind by an interrupted run"));
  for (const auto& [name, bytes] : Tree(site))
    EXPECT_FALSE(name.starts_with(".urlsmith-")) << name;
  EXPECT_FALSE(Contains(next.out, ".urlsmith-"));
}

// Ctrl-\ skips a hanging Internet check, Ctrl-C stops the run.
TEST(Cli, SignalsReachTheRun) {
  ServerProcess server({"silent"});
  ASSERT_NE(server.port(), 0);
  TempDir dir;
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/hang";
  dir.Write("index.htm", "<a href=\"" + url + "\">away</a> <a href=\"gone.htm\">gone</a>");
  // After Ctrl-\ the broken link is still planned.
  for (const auto& [sig, exitCode, inErr] :
       {std::tuple(SIGQUIT, 1, "/hang\" in the Internet ... skipped. "),
        std::tuple(SIGINT, 2, "Stopped")}) {
    Process run({URLSMITH_CLI_PATH, "scan", dir.path()});
    // The addresses are checked ahead of the link search, which logs them afterwards.
    for (int i = 0; i < 400 && !Contains(run.Err(), ">> Finding Unicode files"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ::kill(run.pid(), sig);
    EXPECT_EQ(run.Wait(), exitCode) << run.Err();
    EXPECT_TRUE(Contains(run.Err(), inErr)) << run.Err();
  }
}

// A stream that collects what is written to it and presses Ctrl-C when a text shows up.
struct InterruptingStream {
  std::string text, trigger;
  bool raised = false;
  static ssize_t Write(void* cookie, const char* data, std::size_t size) {
    auto* self = static_cast<InterruptingStream*>(cookie);
    self->text.append(data, size);
    if (!self->raised && Contains(self->text, self->trigger)) {
      self->raised = true;
      ::raise(SIGINT);
    }
    return static_cast<ssize_t>(size);
  }
  std::FILE* Open() {
    std::FILE* f =
        ::fopencookie(this, "w", {nullptr, &InterruptingStream::Write, nullptr, nullptr});
    std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
  }
};

// Ctrl-C while fix builds its plan (sorted or not): the run ends there and no file is touched.
TEST(Cli, CtrlCAfterTheSearchStopsFixBeforeAnyFileIsWritten) {
  cli::CliRunView::InstallSignalHandlers();
  for (const std::vector<std::string>& sort : {std::vector<std::string>{}, {"--sort", "url"}}) {
    TempDir dir;
    const std::string page = dir.Write("a.htm", "<a href=\"www.example.com\">x</a>");
    std::vector<std::string> args = {"fix", "--no-internet", "--yes", dir.path()};
    args.insert(args.begin() + 1, sort.begin(), sort.end());
    InterruptingStream err{{}, "change(s) to apply in"};  // the summary comes before the plan
    std::FILE* outFile = std::tmpfile();
    std::FILE* errFile = err.Open();
    EXPECT_EQ(cli::RunCli(args, outFile, errFile), 2) << err.text;
    std::fclose(outFile);
    std::fclose(errFile);
    EXPECT_TRUE(err.raised);
    EXPECT_EQ(ReadFileBytes(page), "<a href=\"www.example.com\">x</a>");
    EXPECT_FALSE(fs::exists(page + ".bak"));
  }
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace urlsmith::testing
