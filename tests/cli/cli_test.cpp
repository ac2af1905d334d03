#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "cli/cli_app.h"
#include "cli/cli_run_view.h"
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
  // clang-format off
  const struct { std::vector<std::string> args; int exitCode; std::string inOut, inErr; } cases[]{
      {{"--help"}, 0, "Usage: urlsmith-cli scan", ""}, {{"scan", "--help"}, 0, "--no-internet", ""},
      {{"--version"}, 0, "urlsmith-cli", ""}, {{}, 2, "", "Usage:"},
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
      // clang-format on
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
  const std::string leftover =
      dir.Write("sub/.urlsmith-999999999-AbC123", "half");  // a killed run's
  const ProcessResult r = RunCli({"scan", "--no-internet", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, leftover + " ... removed: left behind by an interrupted run"))
      << r.err;
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(Contains(r.err, ">> Counting processable files ... 2 file(s) found")) << r.err;
  EXPECT_TRUE(Contains(r.err, page + " (14 bytes) ... 0 change(s) to apply"));
  EXPECT_TRUE(Contains(r.err, "Done: 0 change(s) to apply in 2 file(s)"));
  EXPECT_TRUE(Contains(RunCli({"scan", "--no-internet", "--no-recurse", dir.path()}).err,
                       "1 file(s) found"));
  EXPECT_TRUE(Contains(RunCli({"scan", "--no-internet", page, page}).err, "1 file(s) found"));
  EXPECT_EQ(RunCli({"scan", "-q", "--no-internet", dir.path()}).err, "");
}

TEST(Cli, TheExampleSiteIsReviewedFixedAndRestored) {
  TempDir dir;
  const std::string site = dir / "site";
  fs::copy(URLSMITH_SOURCE_DIR "/examples/site", site, fs::copy_options::recursive);
  const auto before = Tree(site);
  const ProcessResult r = RunCli({"scan", "--no-internet", "--sort", "url", site});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  // The rows themselves are the search's (see ExampleSite); here their order under --sort url.
  EXPECT_TRUE(
      r.out.starts_with(">> Link deletion is prohibited. The \"DELETE\" items are hidden.\n"
                        "REPLACE (1): \"baker@example.com\" --> \"mailto:baker@example.com\"\n"
                        "REPLACE (1): \"contact.htm\" --> \"info/contact.htm\"\n"))
      << r.out;
  EXPECT_TRUE(
      r.out.ends_with("REPLACE (1): \"http://www.example.com/news.htm\" --> "
                      "\"saved/news.htm\"\nORPHAN: \"" +
                      site + "/img/unused.gif\"\n"));
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

  EXPECT_TRUE(
      Contains(RunCli({"fix", "--no-internet", "--format", "json", "--no-backups", site}).out,
               "\"makeBackups\": false"));

  const ProcessResult fixed = RunCli({"fix", "--no-internet", "--allow-deletion", "--yes", site});
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_TRUE(Contains(fixed.err, "applied successfully")) << fixed.err;
  const auto after = Tree(site);
  for (const auto& [rel, bytes] : before)  // every backup holds the original bytes
    EXPECT_EQ(after.contains(rel + ".bak") ? after.at(rel + ".bak") : bytes, bytes) << rel;
  // The repaired site has nothing left to change.
  EXPECT_EQ(RunCli({"scan", "--no-internet", "--allow-deletion", site}).exitCode, 0);

  EXPECT_EQ(RunProcess({URLSMITH_UNSPOOL_PATH, "--restore", "--yes", site}).exitCode, 0);
  EXPECT_EQ(Tree(site), before);
}

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

// Presses Ctrl-C when `trigger` is written.
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
