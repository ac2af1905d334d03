// The reports read back by real parsers (scripts/setup fetches the SARIF schema).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

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
