// The review list: line texts, groups, filters, the editor's state and edits, the sort, the list
// in memory, the link deletion options and the plan as JSON.
#include "results/result_list.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../fuzz/json_check.h"
#include "results/deletion_options.h"
#include "results/edit_result.h"
#include "results/plan_json.h"
#include "support/core_fixtures.h"
#include "support/test_support.h"
#include "text/replacement.h"

namespace urlsmith::testing {
namespace {

// Copy old is exact about letter case; a target row whose value is its tag is an addition. The
// plain DELETE, REPLACE, TARGET (add) and relative lines are those of FillTest below.
TEST(ResultLineText, EachRuleComposesItsLine) {
  // clang-format off
  const std::tuple<LinkEntry, int, std::string> cases[] = {
      {Row("", ""), 1, R"(REPLACE (copy old, 1): "")"},
      {Row("a.htm", "a.htm"), 1, R"(REPLACE (copy old, 1): "a.htm")"},
      {Row("a.htm", "|||a.htm"), 1, R"(REPLACE (copy old, 1): "a.htm")"},
      {Row("a.htm", "\"a.htm\""), 3, R"(REPLACE (copy old, 3): "a.htm")"},
      {Row("a.htm", "A.htm"), 1, R"(REPLACE (1): "a.htm" --> "A.htm")"},
      {Row("a.htm", "|||\"file:///C|/s/b.htm\""), 1,
       R"(REPLACE (relative, 1): "a.htm" --> "file:///C|/s/b.htm")"},
      {Row("http://e.com/", ":::\"_top\"", 40, 52), 12,
       R"(TARGET (modify, 12): "http://e.com/" --> "_top")"},
      {Row("u", ":::", 1, 2), 1, R"(TARGET (modify, 1): "u" --> "")"},
      {Row("b.htm", "\"c d.htm\""), 1, R"(REPLACE (1): "b.htm" --> "c d.htm")"}};
  // clang-format on
  for (const auto& [row, count, expected] : cases)
    EXPECT_EQ(ResultLineText(row, count), expected);
}

constexpr ResultOptions kAllButOrphans{.HideOrphan = true, .AllowLinkDeletion = true};

// One row of every kind and two orphans: rows 2 and 5 join rows 0 and 1 in another letter case;
// the relative row 6 has a line of its own although its URL is that of row 1.
class FillTest : public ::testing::Test {
 protected:
  FillTest() {
    step.Hooks.SetCountLabel = [this](std::string_view text) { labels.emplace_back(text); };
    step.Hooks.StopPoll = [] { return Poll::Stop; };  // the build pumps messages but never stops
  }
  Review review{{Row("img/x.gif", ""), Row("a.htm", "b.htm"), Row("IMG/X.GIF", "\"\""),
                 Row("http://e.com/", ":::_blank", 7, 7), Row("c.htm", "c.htm"),
                 Row("A.HTM", "B.HTM"), Row("a.htm", "|||file:///s/b.htm")},
                {},
                PathStyle::Posix,
                {{"/s/a.htm", true},
                 {"/s/img/unused.gif", false},
                 {"/s/b.htm", true},
                 {"/s/old.css", false}}};
  ResultStep& step = review.step;
  VectorResultList& list = review.list;
  std::vector<std::string> labels;
};

// The fixture's lines by letter; L is the relative line, O and P are the orphans.
const std::map<char, std::string> kLines = {
    {'N', std::string(kDeletionNotice)},
    {'D', R"(DELETE (2): "img/x.gif")"},
    {'R', R"(REPLACE (2): "a.htm" --> "b.htm")"},
    {'T', R"(TARGET (add, 1): "http://e.com/" --> "_blank")"},
    {'C', R"(REPLACE (copy old, 1): "c.htm")"},
    {'L', R"(REPLACE (relative, 1): "a.htm" --> "file:///s/b.htm")"},
    {'O', R"(ORPHAN: "/s/img/unused.gif")"},
    {'P', R"(ORPHAN: "/s/old.css")"}};

// Without deletion the notice stands first and no DELETE line shows, even with HideDelete off;
// HideReplace hides every non-empty value, TARGET too; HideTarget only the target line. Entry lines
// carry their group numbers, the notice and the orphans -1.
TEST_F(FillTest, FiltersGroupsAndLines) {
  struct Case {
    ResultOptions options;
    std::string lines;                 // letters of kLines
    std::vector<std::int32_t> groups;  // ResultGroup per row
  };
  // clang-format off
  const Case cases[] = {
      {{}, "NRTCLOP", {-1, 0, -1, 1, 2, 0, 3}},
      {{.AllowLinkDeletion = true}, "DRTCLOP", {0, 1, 0, 2, 3, 1, 4}},
      {{.HideDelete = true, .HideOrphan = true, .AllowLinkDeletion = true}, "RTCL",
       {-1, 0, -1, 1, 2, 0, 3}},
      {{.HideReplace = true, .HideOrphan = true, .AllowLinkDeletion = true}, "D",
       {0, -1, 0, -1, -1, -1, -1}},
      {{.HideTarget = true, .AllowLinkDeletion = true}, "DRCLOP", {0, 1, 0, -1, 2, 1, 3}},
      {{.HideReplace = true, .HideOrphan = true}, "N", {-1, -1, -1, -1, -1, -1, -1}}};
  // clang-format on
  for (const Case& c : cases) {
    step.Options = c.options;
    FillResultList(step);
    std::vector<std::string> lines;
    std::vector<std::int32_t> data, shown;
    int entries = 0;
    for (const char letter : c.lines) {
      lines.push_back(kLines.at(letter));
      data.push_back(std::string_view("NOP").find(letter) == std::string_view::npos ? entries++
                                                                                    : -1);
    }
    for (const auto& line : list.lines())
      shown.push_back(line.Data);
    EXPECT_EQ(std::tuple(list.Texts(), shown, step.ResultGroup, step.GroupCount),
              std::tuple(lines, data, c.groups, entries))
        << c.lines;
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[labels.size() - 2], kUpdatingLabel);
    EXPECT_EQ(labels.back(), "URL's in the list: " + std::to_string(entries));
  }
}

TEST_F(FillTest, RowsGroupByUrlAndMarkedValueIgnoringCase) {
  // Case variants form one line showing the first row's URL.
  review.Fill({Row("Pics/A.gif", "pics/b.GIF"), Row("pics/a.GIF", "PICS/B.gif"),
               Row("pics/a.gif", "pics/c.gif")},
              kAllButOrphans);
  EXPECT_EQ(list.Texts(),
            (std::vector<std::string>{R"(REPLACE (2): "Pics/A.gif" --> "pics/b.GIF")",
                                      R"(REPLACE (1): "pics/a.gif" --> "pics/c.gif")"}));
  // Quoted and bare values with the same marked form share a line.
  review.Fill({Row("x.htm", "|||\"y.htm\""), Row("x.htm", "|||y.htm"), Row("x.htm", ":::y.htm"),
               Row("x.htm", "\"y.htm\""), Row("x.htm", "y.htm")},
              kAllButOrphans);
  EXPECT_EQ(step.ResultGroup, (std::vector<std::int32_t>{0, 0, 1, 2, 2}));
  // Concatenated, "ab" + "c" and "a" + "bc" are the same text; they are different groups.
  review.Fill({Row("ab", "c"), Row("a", "bc")}, kAllButOrphans);
  EXPECT_EQ(list.Count(), 2);
}

// A line that shows no rows (the notice, an orphan, nothing selected) disables the editor and
// leaves its text; a TARGET line enables only the edit and Apply.
TEST_F(FillTest, EditorControlsAndSelection) {
  step.Editor.Enabled.DeleteButton = true;
  FillResultList(step);  // notice, replace, target, copy, relative, orphan, orphan
  const EditorControls none{}, all{true, true, true, true, true, true};
  EXPECT_EQ(step.Editor.Enabled, all);
  step.Editor.Enabled.DeleteButton = false;
  FillResultList(step);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{true, true, true, true, true, false}));
  // Line, the controls enabled, the editor's text and box.
  // clang-format off
  const std::tuple<int, EditorControls, std::string, bool> cases[] = {
      {1, all, "b.htm", false}, {2, {true, true, false, false, false, false}, "_blank", false},
      {3, all, "c.htm", false}, {4, all, "file:///s/b.htm", true},
      {0, none, "file:///s/b.htm", true}, {5, none, "file:///s/b.htm", true},
      {-1, none, "file:///s/b.htm", true}};
  // clang-format on
  for (const auto& [line, enabled, text, relative] : cases) {
    list.SetSelection(line);
    SelectionChanged(step);
    EXPECT_EQ(std::tuple(step.Editor.Enabled, step.Editor.Text, step.Editor.Relative),
              std::tuple(enabled, text, relative))
        << "line " << line;
  }
  // Selection changes are ignored while the list is rebuilt.
  step.Updating = true;
  list.SetSelection(1);
  SelectionChanged(step);
  EXPECT_EQ(step.Editor.Enabled, none);
  // An empty list disables the five; Delete stays as it was.
  step.Editor.Enabled.DeleteButton = true;
  review.Fill({}, kAllButOrphans);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{false, false, false, false, false, true}));
}

// Rows as "URL=replacement" separated by blanks.
std::vector<LinkEntry> RowsOf(const std::string& rows) {
  std::vector<LinkEntry> table;
  std::istringstream in(rows);
  for (std::string row; in >> row;) {
    const std::size_t eq = row.find('=');
    table.push_back(Row(row.substr(0, eq), row.substr(eq + 1), static_cast<int>(table.size())));
  }
  return table;
}

// Local URLs alphabetically (bytes compared unsigned, a shorter one first), then drive paths, then
// URLs with "://"; By URL: deletions of both forms last. A drive path never moves past a URL
// shorter than 3 characters, nor past an Internet URL. Equal URLs keep their search order.
TEST(SortLinkRows, OrdersOfBothChoices) {
  using enum SortModeKind;
  const std::string mixed =
      R"(http://z.org/=x c:\site\y.htm= b.htm=x ftp://a.org/="" D:\a.htm=x a.htm= Z.htm=x e.htm="")";
  // clang-format off
  const std::tuple<SortModeKind, std::string, std::vector<int>> cases[] = {
      {ByUrl, "b=x A=y", {1, 0}}, {ByAction, "b=x A=y", {1, 0}},
      {ByAction, mixed, {5, 2, 7, 6, 1, 4, 3, 0}}, {ByUrl, mixed, {2, 6, 4, 0, 5, 7, 1, 3}},
      {ByAction, R"(a=x b:\x=x c.htm=x d=x e.htm=x)", {0, 2, 1, 3, 4}},
      {ByAction, R"(c:\b=x c:\a=x x.htm=x http://h/=x y.htm=x c:\a://b=x)", {2, 4, 1, 0, 5, 3}},
      {ByUrl, "b.htm=1 a.htm=2 B.HTM=3 b.htm= a.htm=5 b.htm=6", {1, 4, 0, 2, 5, 3}},
      {ByUrl, R"(a= b="" c=x d="" e= f="x")", {2, 5, 0, 1, 3, 4}},
      {ByAction, "abcdefghZ=x ABCDEFGHI=x abcdefgh=x =x ABCDEFGHIJ=x \xE9=x z=x",
       {3, 2, 1, 4, 0, 6, 5}}};
  // clang-format on
  for (const auto& [mode, rows, expected] : cases) {
    SearchSession s;
    s.LinkTable = RowsOf(rows);
    EXPECT_TRUE(SortLinkRows(s, mode));
    std::vector<int> order;
    for (const LinkEntry& row : s.LinkTable)
      order.push_back(row.TagPos);
    EXPECT_EQ(order, expected) << rows << " mode " << static_cast<int>(mode);
  }
}

TEST(SortLinkTable, UnsortedLeavesTableAndListAloneAndEscStopsAfterAPass) {
  SearchSession s;
  s.LinkTable = RowsOf("c=x a=x b=x");
  VectorResultList list;
  ResultStep step(s, list);
  std::vector<std::string> labels;
  step.Hooks.SetCountLabel = [&](std::string_view t) { labels.emplace_back(t); };
  step.Hooks.ShowSortingLabel = [&] { labels.emplace_back("(sorting)"); };
  step.Options.SortMode = SortModeKind::ByUrl;
  list.AddLine("stale", 0);
  EXPECT_TRUE(SortLinkTable(step));
  EXPECT_EQ(std::pair(list.Count(), labels), std::pair(0, std::vector<std::string>{"(sorting)"}));
  // Back to Unsorted: the "By URL" order stays, the list is not even cleared.
  s.LinkTable.push_back(Row("0", "x"));
  list.AddLine("kept", 0);
  step.Options.SortMode = SortModeKind::Unsorted;
  EXPECT_TRUE(SortLinkTable(step));
  EXPECT_EQ(std::tuple(list.Count(), s.LinkTable[0].Url + s.LinkTable[3].Url, labels.size()),
            std::tuple(1, "a0", 1u));
  // ESC: only the URL pass ran (the Internet URL is not last); the fix follows its row.
  s.LinkTable = RowsOf("http://a/=x c= b=x");
  s.FixList = {0};
  step.Hooks.StopPoll = [] { return Poll::Stop; };
  step.Options.SortMode = SortModeKind::ByUrl;
  EXPECT_FALSE(SortLinkTable(step));
  EXPECT_EQ(s.LinkTable[0].Url + s.LinkTable[1].Url + s.LinkTable[2].Url, "bchttp://a/");
  EXPECT_EQ(s.LinkTable[static_cast<std::size_t>(s.FixList[0])].Url, "http://a/");
  step.Options.AllowLinkDeletion = true;
  FillResultList(step);
  EXPECT_EQ(list.Text(0), R"(REPLACE (1): "b" --> "x")");
}

TEST(VectorResultList, SelectionFollowsInsertsAndDeletes) {
  VectorResultList list;
  for (const char* t : {"a", "b", "c", "d"})
    list.AddLine(t, 0);
  list.SetSelection(2);
  list.InsertLine(0, "z", 1);
  EXPECT_EQ(list.Selection(), 3);
  list.DeleteLine(1);
  EXPECT_EQ(std::pair(list.Selection(), list.Text(2)), std::pair(2, std::string("c")));
  list.DeleteLine(2);
  EXPECT_EQ(list.Selection(), -1);
  list.InsertLine(-1, "end", 4);
  EXPECT_EQ(list.Text(list.Count() - 1), "end");
  list.SetTopIndex(3);
  list.SetTopIndex(9);  // out of range: ignored
  EXPECT_EQ(list.TopIndex(), 3);
  list.SetSelection(7);
  EXPECT_EQ(list.Selection(), -1);
  list.Clear();
  EXPECT_EQ(std::pair(list.Count(), list.TopIndex()), std::pair(0, 0));
}

// ---- The plan as JSON -------------------------------------------------------------------------

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

// ---- Editing the replacement of a review line, and the link deletion options -----------------

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

constexpr ResultOptions kDeleting{.AllowLinkDeletion = true};

// A review in `style` over a site's index page and an orphan picture.
Review ReviewOf(PathStyle style, std::vector<LinkEntry> rows, ResultOptions options = kDeleting) {
  const std::string root = style == kWin ? "C:\\site\\" : "/home/u/site/";
  return Review(std::move(rows), options, style,
                {{root + "index.htm", true}, {root + "unused.gif", false}});
}

// A drive path becomes a file URL (written with a bar too), relative while the box is checked; a
// network URL loses the relative flag; an empty value deletes, in the old value's quotes; blanks
// are escaped unless canonicalising is off; a target stays a target, a quoted one with a file value
// too; ports and mailto keep their colons. POSIX: a root-relative path is not a file; '\' is '/'.
// The relative flag survives only for file URLs ("file://" is none); a drive needs its separator.
TEST(ApplyEdit, NormalisesStoresAndRewritesTheLine) {
  struct Case {
    PathStyle style;
    std::string old, typed;  // the row's Replacement before the edit, the editor's text
    bool relative, canonicalize;
    std::string stored;
    bool relativeAfter;
    std::int32_t valuePos = 15;  // TagPos is 10
  };
  // clang-format off
  const Case cases[] = {
      {kWin, "img/b.gif", "C:\\site\\img\\a.gif", true, true, "|||file:///C|/site/img/a.gif", true},
      {kWin, "img/b.gif", "C:\\site\\img\\a.gif", false, true, "file:///C|/site/img/a.gif", false},
      {kWin, "img/b.gif", "C|/site/a.gif", true, true, "|||file:///C|/site/a.gif", true},
      {kWin, "img/b.gif", "FILE:///C|/x.gif", true, true, "|||FILE:///C|/x.gif", true},
      {kWin, "img/b.gif", "http://e.com/a.gif", true, true, "http://e.com/a.gif", false},
      {kWin, "\"img/b.gif\"", "", false, true, "\"\"", false},
      {kWin, "img/b.gif", "", true, true, "", false},
      {kWin, "\"img/b.gif\"", "file:///C|/site/b.gif", true, true, "|||\"file:///C|/site/b.gif\"",
       true},
      {kWin, "img/b.gif", "my pics/a b.gif", false, true, "my%20pics/a%20b.gif", false},
      {kWin, "img/b.gif", "my pics\\a b.gif", false, false, "my pics/a b.gif", false},
      {kWin, ":::_blank", "_top", false, true, ":::_top", false, 10},
      {kWin, ":::\"_blank\"", "file:///C|/x.htm", true, true, ":::\"file:///C|/x.htm\"", true},
      {kWin, "img/b.gif", "http://e.com:8080/a\\b.gif", false, true, "http://e.com:8080/a/b.gif",
       false},
      {kWin, "img/b.gif", "mailto:me@e.org", false, true, "mailto:me@e.org", false},
      {kPosix, "img/b.gif", "/img/a b.gif", true, true, "/img/a%20b.gif", false},
      {kPosix, "img/b.gif", "file:///home/u/a b.gif", true, true, "|||file:///home/u/a%20b.gif",
       true},
      {kPosix, "img/b.gif", "img\\c.gif", false, true, "img/c.gif", false},
      {kWin, "x", "file:///", true, true, "|||file:///", true},
      {kWin, "x", "file://", true, true, "file://", false}, {kWin, "x", "C:", true, true, "C|", false}};
  // clang-format on
  for (const Case& c : cases) {
    auto r =
        ReviewOf(c.style, {Row("other.htm", "x.htm"), Row("img/a.gif", c.old, 10, c.valuePos)});
    r.session.Processing.CanonicalizeUrls = c.canonicalize;
    r.Select(1);
    r.step.Editor.Text = c.typed;
    r.step.Editor.Relative = c.relative;
    EXPECT_EQ(ApplyEdit(r.step), 1) << c.typed;
    // The editor shows the value without mark and quotes.
    EXPECT_EQ(std::tuple(r.Replacements(), r.step.Editor.Relative, r.step.Editor.Text),
              std::tuple(std::vector<std::string>{"x.htm", c.stored}, c.relativeAfter,
                         std::string(ReplacementText(c.stored).value())))
        << c.typed;
  }
}

TEST(ApplyEdit, ChangesEveryRowOfTheGroupAndKeepsTheLinesPlaceAndExtent) {
  auto r = ReviewOf(kWin,
                    {Row("a.htm", "gone-and-a-very-long-replacement-value-that-is-the-widest.htm"),
                     Row("x.htm", "\"y.htm\""), Row("other.htm", ""), Row("X.HTM", "y.htm"),
                     Row("b.htm", "c.htm"), Row("x.htm", "Y.HTM")},
                    {});
  r.step.Hooks.TextWidth = [](std::string_view t) { return static_cast<int>(t.size()); };
  r.step.Hooks.ScrollBarWidth = 10;
  FillResultList(r.step);
  // notice, a.htm (0), x.htm x3 (1), b.htm (2), orphan
  ASSERT_EQ(r.list.Text(2), R"(REPLACE (3): "x.htm" --> "y.htm")");
  r.list.SetTopIndex(1);
  r.Select(1);
  EXPECT_EQ(r.step.Editor.Text, "y.htm");
  r.step.Editor.Text = "z.htm";
  EXPECT_EQ(ApplyEdit(r.step), 3);
  // The line is rewritten from the last changed row with the count of changed rows.
  EXPECT_EQ(r.Replacements()[1] + r.Replacements()[3] + r.Replacements()[5], "\"z.htm\"z.htmz.htm");
  EXPECT_EQ(std::tuple(r.list.Text(2), r.list.Count(), r.list.ItemData(2), r.list.Selection(),
                       r.list.TopIndex()),
            std::tuple(R"(REPLACE (3): "x.htm" --> "z.htm")", 5, 1, 2, 1));
  EXPECT_EQ(r.step.ResultGroup, (std::vector<std::int32_t>{0, 1, -1, 1, 2, 1}));
  // The extent is measured again over all lines: the widest one is gone.
  r.Select(0);
  r.step.Editor.Text = "d.htm";
  ApplyEdit(r.step);
  EXPECT_EQ(r.list.horizontalExtent(), static_cast<int>(kDeletionNotice.size()) + 10);
  // Lines without rows (item data -1, the group of the hidden deletion row 2) reach no row.
  const std::vector<std::string> before = r.Replacements(), lines = r.list.Texts();
  for (const int line : {0, 4, -1}) {  // notice, orphan, nothing selected
    r.list.SetSelection(line);
    r.step.Editor.Text = "new.htm";
    EXPECT_EQ(ApplyEdit(r.step), 0);
    RelativeToggled(r.step, true);
    EXPECT_EQ(std::pair(r.Replacements(), r.list.Texts()), std::pair(before, lines));
  }
}

TEST(EditorCommands, CopyOldDeleteTheRelativeBoxTheNextBuildAndBrowse) {
  auto r = ReviewOf(
      kWin, {Row("img/a.gif", "img/b.gif"), Row("img/a.gif", "IMG/B.GIF"), Row("c.htm", "d.htm")});
  r.Select(0);
  CopyOldClicked(r.step);
  EXPECT_EQ(r.step.Editor.Text + " " + r.Replacements()[0], "img/a.gif img/b.gif");  // not stored
  DeleteClicked(r.step);
  EXPECT_EQ(r.step.Editor.Text, "");
  // The box takes effect at once, on every row of the line.
  r.step.Editor.Text = "C:\\site\\a.gif";
  RelativeToggled(r.step, true);
  EXPECT_EQ(r.Replacements()[1], "|||file:///C|/site/a.gif");
  RelativeToggled(r.step, false);
  EXPECT_EQ(r.list.Text(0), R"(REPLACE (2): "img/a.gif" --> "file:///C|/site/a.gif")");
  // A line emptied stays where it was as a DELETE line; the next build applies the filters.
  r.step.Options.AllowLinkDeletion = false;
  r.step.Editor.Text = "";
  ApplyClicked(r.step);
  EXPECT_EQ(r.list.Text(0), R"(DELETE (2): "img/a.gif")");
  RebuildResults(r.step);
  EXPECT_EQ(r.list.Text(1), R"(REPLACE (1): "c.htm" --> "d.htm")");
  // Browse stores the file chosen as a relative replacement.
  r.list.SetSelection(1);
  SelectionChanged(r.step);
  std::vector<FileDialogRequest> asked;
  std::optional<std::string> answer;
  const FileChooser chooser = [&](const FileDialogRequest& request) {
    asked.push_back(request);
    return answer;
  };
  EXPECT_FALSE(BrowseClicked(r.step, chooser, "C:\\site\\"));  // cancelled: nothing changes
  EXPECT_EQ(r.Replacements()[2], "d.htm");
  answer = "C:\\site\\img\\new pic.gif";
  EXPECT_TRUE(BrowseClicked(r.step, chooser, "C:\\site\\"));
  EXPECT_EQ(std::pair(r.Replacements()[2], r.step.Editor.Relative),
            std::pair(std::string("|||file:///C|/site/img/new%20pic.gif"), true));
  // The first dialogs start in the last root folder, the next in the folder of the file chosen.
  EXPECT_TRUE(BrowseClicked(r.step, chooser, "C:\\site\\"));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(
      std::tuple(asked[0].StartFolder, asked[1].StartFolder, asked[2].StartFolder, asked[0].Kind),
      std::tuple("C:\\site\\", "C:\\site\\", "C:\\site\\img", FileDialogKind::Replacement));
}

TEST(DeletionOptions, SavedUrlsReplaceChoicesAndTheirUrls) {
  // Saved URLs come back, but the modes do not; URLs do not matter while making empty.
  DeletionOptions o =
      InitialDeletionOptions("file:///C|/img/blank.gif", false, "C:\\img\\bg x.gif", true);
  EXPECT_EQ(std::tuple(o.ImageReplacementUrl, o.ImageReplacementRelative,
                       o.BackgroundReplacementUrl, o.BackgroundReplacementRelative, o.TextLinkMode,
                       o.ImageLinkMode, o.BackgroundLinkMode),
            std::tuple("file:///C|/img/blank.gif", false, "C:\\img\\bg x.gif", true,
                       TextLinkModeKind::ConvertToText, ImageLinkModeKind::MakeEmpty,
                       ImageLinkModeKind::MakeEmpty));
  EXPECT_TRUE(ReplacementUrlsComplete(o));
  // Leaving an edit normalises only the URLs in use (twice is stable); replacing needs a URL.
  o.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  o.ImageReplacementUrl = "C:\\img\\a b.gif";
  NormalizeReplacementUrls(o, true, kWin);
  EXPECT_EQ(o.ImageReplacementUrl + " " + o.BackgroundReplacementUrl,
            "file:///C|/img/a%20b.gif C:\\img\\bg x.gif");
  o.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  NormalizeReplacementUrls(o, true, kWin);
  EXPECT_EQ(o.ImageReplacementUrl + " " + o.BackgroundReplacementUrl,
            "file:///C|/img/a%20b.gif file:///C|/img/bg%20x.gif");
  EXPECT_TRUE(ReplacementUrlsComplete(o));
  o.BackgroundReplacementUrl.clear();
  EXPECT_FALSE(ReplacementUrlsComplete(o));
  o.BackgroundLinkMode = ImageLinkModeKind::MakeEmpty;
  o.ImageReplacementUrl.clear();
  EXPECT_FALSE(ReplacementUrlsComplete(o));
  // Browse gives an unescaped file URL.
  EXPECT_EQ(BrowsedReplacementUrl("C:\\my pics\\a.gif", kWin), "file:///C|/my pics/a.gif");
  EXPECT_EQ(BrowsedReplacementUrl("/home/u/my pics/a.gif", kPosix), "file:///home/u/my pics/a.gif");
}

}  // namespace
}  // namespace urlsmith::testing
