#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

TEST(Cli, WithoutLibcurlTheLogSaysWhyOnceAndTheAddressesAreSkipped) {
  TempDir dir;
  dir.Write("a.htm",
            "<a href=\"http://127.0.0.1:1/a\">a</a> <a href=\"ftp://127.0.0.1:1/b\">b</a>");
  const std::string why =
      "Internet addresses cannot be checked: libcurl could not be loaded (libcurl-missing.so.4: ";
  ::setenv("URLSMITH_LIBCURL", "libcurl-missing.so.4", 1);
  for (const char* concurrency : {"32", "1"}) {  // checked ahead, or one by one
    const ProcessResult r = RunCli({"scan", "--max-concurrency", concurrency, dir.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(why), r.err.rfind(why)) << r.err;
    EXPECT_TRUE(Contains(r.err, "2 Internet address(es) could not be checked")) << r.err;
  }
  ::unsetenv("URLSMITH_LIBCURL");
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

// ---- The reports, read back by real parsers (scripts/setup fetches the SARIF schema) ----------

const std::string kSource = URLSMITH_SOURCE_DIR;
const std::string kJunitSchema = kSource + "/tests/cli/junit.xsd";
const std::string kSarifSchema = kSource + "/.cache/test-schemas/sarif-2.1.0-rtm.5.json";

constexpr const char* kReadJunit = R"(
import sys, xml.etree.ElementTree as et
root = et.parse(sys.argv[1]).getroot()
suite = root.find('testsuite')
print('tests', suite.get('tests'), 'failures', suite.get('failures'))
for case in suite.iter('testcase'):
    print(case.get('name'), len(case.findall('failure')))
)";

constexpr const char* kReadSarif = R"(
import sys, json, jsonschema
log = json.load(open(sys.argv[1], encoding='utf-8'))
jsonschema.Draft4Validator(json.load(open(sys.argv[2], encoding='utf-8'))).validate(log)
run = log['runs'][0]
print(run['tool']['driver']['name'], log['version'])
for r in run['results']:
    loc = r['locations'][0]['physicalLocation']
    print(r['ruleId'], loc['artifactLocation']['uri'], loc['region']['startLine'],
          loc['region']['startColumn'], r['message']['text'])
)";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// Scans the folder "site" of `dir` into the report file there.
std::string Report(const TempDir& dir, const std::string& format, int expectedExit = 1) {
  const std::string file = dir / ("report." + format);
  const auto r =
      RunCli({"scan", "-q", "--no-internet", "--format", format, "--output", file, dir / "site"});
  EXPECT_EQ(r.exitCode, expectedExit) << r.err;
  EXPECT_EQ(r.out, "");
  return file;
}

// A replacement and a broken link on line 3, a UTF-16 page with a surrogate pair, a clean page.
TEST(ReportFormats, JunitSarifAndMarkdownCountLinesAndColumnsInCharacters) {
  ASSERT_TRUE(std::filesystem::exists(kSarifSchema)) << "run scripts/setup: " << kSarifSchema;
  TempDir site;
  site.Write("site/img/logo.gif", "GIF89a");
  site.Write("site/clean.htm", "<p>nothing to see</p>");
  site.Write("site/index.htm",
             "<html>\n<body>\n<img src=\"pics/logo.gif\"> <a href=\"a|b.htm\">x</a>\n"
             "</body></html>\n");
  site.WriteBytes("site/u16.htm", Utf16Bytes("<p>\r\n\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"
                                             " <img src=\"pics/logo.gif\"></p>",
                                             false));
  // JUnit, valid for CI servers: a test case per file.
  const auto junit = [](const std::string& file) {
    const auto valid = RunProcess({"/usr/bin/xmllint", "--noout", "--schema", kJunitSchema, file});
    EXPECT_EQ(valid.exitCode, 0) << valid.err;
    const auto r = RunProcess({"/usr/bin/python3", "-c", kReadJunit, file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Lines(r.out);
  };
  const std::string file = Report(site, "junit");
  EXPECT_EQ(junit(file), (std::vector<std::string>{"tests 3 failures 2", "clean.htm 0",
                                                   "index.htm 2", "u16.htm 1"}));
  EXPECT_TRUE(Contains(ReadFileBytes(file),
                       "index.htm:3:10: Replace &quot;pics/logo.gif&quot; with "
                       "&quot;img/logo.gif&quot;"));
  // Nothing to change: the report is still written, every file passing.
  TempDir clean;
  clean.Write("site/a.htm", "<p>x</p>");
  EXPECT_EQ(junit(Report(clean, "junit", 0)),
            (std::vector<std::string>{"tests 1 failures 0", "a.htm 0"}));

  const auto sarif =
      RunProcess({"/usr/bin/python3", "-c", kReadSarif, Report(site, "sarif"), kSarifSchema});
  ASSERT_EQ(sarif.exitCode, 0) << sarif.err;
  EXPECT_EQ(Lines(sarif.out),
            (std::vector<std::string>{
                "Urlsmith 2.1.0",
                "replace-link index.htm 3 10 Replace \"pics/logo.gif\" with \"img/logo.gif\"",
                "broken-link index.htm 3 35 Broken link \"a|b.htm\": no replacement found (link "
                "deletion is not allowed)",
                "replace-link u16.htm 2 14 Replace \"pics/logo.gif\" with \"img/logo.gif\""}));

  // Markdown: a table per file with changes; every line has its five cells, six pipes that are
  // not escaped.
  const std::vector<std::string> lines = Lines(ReadFileBytes(Report(site, "markdown")));
  EXPECT_TRUE(Contains(lines, "## index.htm"));
  EXPECT_TRUE(Contains(lines, "| 3 | 35 | DELETE | a\\|b.htm |  |"));
  EXPECT_TRUE(Contains(lines, "| 2 | 14 | REPLACE | pics/logo.gif | img/logo.gif |"));
  EXPECT_FALSE(Contains(lines, "## clean.htm"));
  for (const std::string& line : lines) {
    if (!line.starts_with('|')) continue;
    EXPECT_EQ(std::ranges::count(std::regex_replace(line, std::regex(R"(\\.)"), ""), '|'), 6)
        << line;
  }
}

TEST(ReportFormats, ModernPageOptionsOnTheCommandLine) {
  TempDir dir;
  dir.Write("img/Logo.gif", "GIF89a");
  dir.Write("b.htm", "<h2 id=\"intro\">");
  dir.Write("a.htm",
            "<img srcset=\"gone.gif 2x\"> <a href=\"b.htm#Intro\">b</a> <a href=\"b.htm#x\">x</a> "
            "<img src=\"img/logo.gif\">");
  const auto plain = RunCli({"scan", "-q", "--no-internet", "--allow-deletion", dir.path()});
  EXPECT_EQ(Lines(plain.out), (std::vector<std::string>{"DELETE (1): \"gone.gif\"",
                                                        "ORPHAN: \"" + (dir / "a.htm") + "\""}));
  const auto off = RunCli({"scan", "-q", "--no-internet", "--no-html5", dir.path()});
  EXPECT_EQ(off.exitCode, 0) << off.out;
  const auto all = RunCli({"scan", "-q", "--no-internet", "--check-anchors", "--case-sensitive",
                           "--hide-orphan", dir.path()});
  EXPECT_EQ(all.exitCode, 1);
  EXPECT_EQ(Lines(all.out), (std::vector<std::string>{
                                ">> Link deletion is prohibited. The \"DELETE\" items are hidden.",
                                "REPLACE (1): \"img/logo.gif\" --> \"img/Logo.gif\"",
                                "REPLACE (1): \"b.htm#Intro\" --> \"b.htm#intro\"",
                                "ANCHOR (1): \"b.htm#Intro\"", "ANCHOR (1): \"b.htm#x\""}));
  const auto json =
      RunCli({"scan", "-q", "--no-internet", "--check-anchors", "--format", "json", dir.path()});
  EXPECT_TRUE(Contains(json.out, R"("fragment": "x", "target": ")")) << json.out;

  const auto unwritable =
      RunCli({"scan", "--format", "sarif", "--output", dir / "no/such/folder/r.sarif", dir.path()});
  EXPECT_EQ(unwritable.exitCode, 2);
  EXPECT_TRUE(Contains(unwritable.err, "cannot write")) << unwritable.err;
}

}  // namespace
}  // namespace urlsmith::testing
