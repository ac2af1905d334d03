#include "results/plan_json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../fuzz/json_check.h"
#include "support/core_fixtures.h"

namespace urlsmith::testing {
namespace {

using fuzzing::JsonChecker;  // the strict checker the JSON fuzz target uses

// Bytes that are not part of well-formed UTF-8 are written as the characters of their values.
TEST(JsonString, EscapesWhatJsonRequiresAndKeepsValidUtf8) {
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
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
  for (const auto& [bytes, expected] : cases) {
    std::string out;
    AppendJsonString(out, bytes);
    EXPECT_EQ(out, expected);
  }
}

TEST(PlanJson, ThePlanOfASmallSite) {
  // File, tag, value, span, quote, URL, replacement.
  Review review({{0, 5, 14, 11, 1, "img/x.gif", ""},
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
  EXPECT_TRUE(JsonChecker(sorted).Valid());
  const std::string_view parts[] = {
      R"("notice": null)", R"("orphans": [])",
      R"("line": "DELETE (2): \"img/x.gif\"", "action": "DELETE", "url": "img/x.gif", "value": "", "count": 2, "rows": [2, 3]})",
      // The fix still names the www.e.com row.
      R"("url": "www.e.com", "replacement": "http://www.e.com", "action": "REPLACE", "group": 0, "fix": true)"};
  for (const std::string_view part : parts)
    EXPECT_NE(sorted.find(part), std::string::npos) << part << "\n" << sorted;
}

// Non-UTF-8 bytes in file names (an orphan's too) and URLs, control bytes, an unlisted file.
TEST(PlanJson, OddBytesAndUnlistedFilesStayValid) {
  Review review({{0, 1, 1, 1, 1, "a\xFF\xC3\"", "\"x\ty\""}, {7, 2, 2, 1, 1, "b\x01", ""}},
                {.AllowLinkDeletion = true}, PathStyle::Posix, {{"/s/caf\xE9.htm", false}});
  ResultStep& step = review.step;
  ShowResults(step);
  const std::string json = PlanJson(step);
  EXPECT_TRUE(JsonChecker(json).Valid());
  for (const std::string_view part :
       {R"("file": "/s/caf\u00e9.htm")", R"("file": null, "fileIndex": 7)", R"("url": "b\u0001")"})
    EXPECT_NE(json.find(part), std::string::npos) << part;
}

}  // namespace
}  // namespace urlsmith::testing
