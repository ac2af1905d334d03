// The review list: line texts, groups, filters, the editor's state, the sort, the list in memory.
#include "results/result_list.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/core_fixtures.h"
#include "support/test_support.h"

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

}  // namespace
}  // namespace urlsmith::testing
