#include "results/plan_json.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../../fuzz/json_check.h"
#include "results/edit_result.h"
#include "support/core_fixtures.h"

namespace urlsmith {
namespace {

using fuzzing::JsonChecker;  // the strict checker the JSON fuzz target uses

std::string JsonString(std::string_view bytes) {
  std::string out;
  AppendJsonString(out, bytes);
  return out;
}

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsValidUtf8) {
  struct Case {
    std::string bytes;
    std::string expected;
  };
  // clang-format off
  const Case cases[] = {
      {"plain/path.htm?a=1&b=2", R"("plain/path.htm?a=1&b=2")"},
      {"say \"hi\" C:\\x", R"("say \"hi\" C:\\x")"}, {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string("\x00\x01\x1f\x7f", 4), R"("\u0000\u0001\u001f\u007f")"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
      {"caf\xE9.htm", R"("caf\u00e9.htm")"}, {"\xC0\xAF", R"("\u00c0\u00af")"},
      {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"}, {"\xE2\x82", R"("\u00e2\u0082")"},
      {"\xE2\x82x", R"("\u00e2\u0082x")"}, {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},
      {"\xFF\xFE", R"("\u00ff\u00fe")"}, {"\x80", R"("\u0080")"}, {"", R"("")"}};
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(JsonString(c.bytes), c.expected);
  // Any bytes give valid JSON.
  std::mt19937 random(99);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 24, '\0');
    for (char& b : bytes)
      b = static_cast<char>(random() % 256);
    const std::string json = JsonString(bytes);
    EXPECT_TRUE(JsonChecker(json).Valid()) << json;
  }
}

TEST(PlanJson, ThePlanOfASmallSite) {
  // File, tag, value, span, quote, URL, replacement.
  testing::Review review(
      {{0, 5, 14, 11, 1, "img/x.gif", ""},
       {0, 30, 38, 11, 1, "www.e.com", "http://www.e.com"},
       {2, 3, 12, 9, 0, "img/X.GIF", "\"\""},
       {2, 40, 40, 0, 0, "http://e.com/", ":::_blank"}},
      {}, PathStyle::Posix,
      {{"/s/index.htm", true}, {"/s/img/unused \"1\".gif", false}, {"/s/b.htm", true}});
  review.session.FixList = {1};
  ResultStep& step = review.step;
  ShowResults(step);

  const std::string expected = R"json({
  "options": {"sort": "Unsorted", "hideDelete": false, "hideReplace": false, "hideTarget": false, "hideOrphan": false, "allowLinkDeletion": false, "makeBackups": true},
  "countLabel": "URL's in the list: 2",
  "notice": ">> Link deletion is prohibited. The \"DELETE\" items are hidden.",
  "counts": {"rows": 4, "groups": 2, "orphans": 1, "fixes": 1, "hiddenRows": 2, "actions": {"DELETE": 2, "REPLACE": 1, "REPLACE (relative)": 0, "REPLACE (copy old)": 0, "TARGET (add)": 1, "TARGET (modify)": 0}},
  "groups": [
    {"group": 0, "line": "REPLACE (1): \"www.e.com\" --> \"http://www.e.com\"", "action": "REPLACE", "url": "www.e.com", "value": "http://www.e.com", "count": 1, "rows": [1]},
    {"group": 1, "line": "TARGET (add, 1): \"http://e.com/\" --> \"_blank\"", "action": "TARGET (add)", "url": "http://e.com/", "value": "_blank", "count": 1, "rows": [3]}
  ],
  "orphans": [
    "/s/img/unused \"1\".gif"
  ],
  "rows": [
    {"index": 0, "file": "/s/index.htm", "fileIndex": 0, "tagPos": 5, "valuePos": 14, "spanLength": 11, "quoteLength": 1, "url": "img/x.gif", "replacement": "", "action": "DELETE", "group": -1, "fix": false},
    {"index": 1, "file": "/s/index.htm", "fileIndex": 0, "tagPos": 30, "valuePos": 38, "spanLength": 11, "quoteLength": 1, "url": "www.e.com", "replacement": "http://www.e.com", "action": "REPLACE", "group": 0, "fix": true},
    {"index": 2, "file": "/s/b.htm", "fileIndex": 2, "tagPos": 3, "valuePos": 12, "spanLength": 9, "quoteLength": 0, "url": "img/X.GIF", "replacement": "\"\"", "action": "DELETE", "group": -1, "fix": false},
    {"index": 3, "file": "/s/b.htm", "fileIndex": 2, "tagPos": 40, "valuePos": 40, "spanLength": 0, "quoteLength": 0, "url": "http://e.com/", "replacement": ":::_blank", "action": "TARGET (add)", "group": 1, "fix": false}
  ]
}
)json";
  EXPECT_EQ(PlanJson(step), expected);
  EXPECT_TRUE(JsonChecker(PlanJson(step)).Valid());

  // Deletion allowed, sorted by URL, orphans hidden: the deletions form one group at the end.
  step.Options.AllowLinkDeletion = true;
  step.Options.HideOrphan = true;
  ChangeSortMode(step, SortModeKind::ByUrl);
  const std::string sorted = PlanJson(step);
  EXPECT_TRUE(JsonChecker(sorted).Valid()) << sorted;
  EXPECT_NE(sorted.find(R"("notice": null)"), std::string::npos);
  EXPECT_NE(sorted.find(R"("orphans": [])"), std::string::npos);
  EXPECT_NE(
      sorted.find(
          R"("line": "DELETE (2): \"img/x.gif\"", "action": "DELETE", "url": "img/x.gif", "value": "", "count": 2, "rows": [2, 3]})"),
      std::string::npos)
      << sorted;
  // The fix still names the www.e.com row.
  EXPECT_NE(
      sorted.find(
          R"("url": "www.e.com", "replacement": "http://www.e.com", "action": "REPLACE", "group": 0, "fix": true)"),
      std::string::npos)
      << sorted;
}

TEST(PlanJson, EditedLinesAndOddBytesStayValid) {
  std::mt19937 random(5);
  std::vector<LinkEntry> rows;
  for (int i = 0; i < 200; ++i) {
    std::string url(random() % 12, '\0');
    for (char& b : url)
      b = static_cast<char>(random() % 256);
    rows.push_back({i % 2 ? 0 : 7, i, i, 1, 1, url, i % 3 ? "\"x\ty\"" : ""});
  }
  // A file name that is not UTF-8 (an orphan too); rows of a file that is not listed.
  testing::Review review(rows, {.AllowLinkDeletion = true}, PathStyle::Posix,
                         {{"/s/caf\xE9.htm", false}});
  ResultStep& step = review.step;
  ShowResults(step);
  review.list.SetSelection(0);
  step.Editor.Text = "new \x01 value";
  step.Session.Processing.CanonicalizeUrls = false;
  ApplyEdit(step);
  const std::string json = PlanJson(step);
  EXPECT_TRUE(JsonChecker(json).Valid());
  EXPECT_NE(json.find(R"("file": "/s/caf\u00e9.htm")"), std::string::npos);
  EXPECT_NE(json.find(R"("file": null, "fileIndex": 7)"), std::string::npos);
  EXPECT_NE(json.find(R"(\"new \u0001 value\")"), std::string::npos);
}

}  // namespace
}  // namespace urlsmith
