// The review list: line texts, groups and filters, the editor's state, the sort, and the list in
// memory.
#include "results/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::Row;

// Copy old is exact about letter case; a target row whose value is its tag is an addition.
TEST(ResultLineText, EachRuleComposesItsLine) {
  struct Case {
    LinkEntry row;
    int count;
    std::string expected;
  };
  // clang-format off
  const Case cases[] = {
      {Row("images/x.gif", ""), 2, R"(DELETE (2): "images/x.gif")"},
      {Row("a.htm", "\"\""), 1, R"(DELETE (1): "a.htm")"},
      {Row("a.htm", "a.htm"), 1, R"(REPLACE (copy old, 1): "a.htm")"},
      {Row("a.htm", "|||a.htm"), 1, R"(REPLACE (copy old, 1): "a.htm")"},
      {Row("a.htm", "\"a.htm\""), 3, R"(REPLACE (copy old, 3): "a.htm")"},
      {Row("a.htm", "A.htm"), 1, R"(REPLACE (1): "a.htm" --> "A.htm")"},
      {Row("", ""), 1, R"(REPLACE (copy old, 1): "")"},
      {Row("a.htm", "|||file:///C|/s/b.htm"), 1,
       R"(REPLACE (relative, 1): "a.htm" --> "file:///C|/s/b.htm")"},
      {Row("a.htm", "|||\"file:///C|/s/b.htm\""), 1,
       R"(REPLACE (relative, 1): "a.htm" --> "file:///C|/s/b.htm")"},
      {Row("http://e.com/", ":::_blank", 40, 40), 1,
       R"(TARGET (add, 1): "http://e.com/" --> "_blank")"},
      {Row("http://e.com/", ":::\"_top\"", 40, 52), 12,
       R"(TARGET (modify, 12): "http://e.com/" --> "_top")"},
      {Row("u", ":::", 1, 2), 1, R"(TARGET (modify, 1): "u" --> "")"},
      {Row("b.htm", "c.htm"), 1, R"(REPLACE (1): "b.htm" --> "c.htm")"},
      {Row("b.htm", "\"c d.htm\""), 1, R"(REPLACE (1): "b.htm" --> "c d.htm")"}};
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(ResultLineText(c.row, c.count), c.expected);
  EXPECT_EQ(OrphanLineText("/s/img/unused.gif"), R"(ORPHAN: "/s/img/unused.gif")");
  EXPECT_EQ(CountLabelText(3), "URL's in the list: 3");
}

// A search result with one row of every kind, case variants and two orphan files.
class FillTest : public ::testing::Test {
 protected:
  FillTest() : step(session, list) {
    for (const char* path : {"/s/a.htm", "/s/img/unused.gif", "/s/b.htm", "/s/old.css"})
      session.FileList.Append(path);
    session.FileList.SetReferenced(0);
    session.FileList.SetReferenced(2);
    // Rows 2 and 5 join rows 0 and 1 in another letter case; the relative row 6 has a line of
    // its own although its URL is that of row 1.
    session.LinkTable = {Row("img/x.gif", ""),
                         Row("a.htm", "b.htm"),
                         Row("IMG/X.GIF", "\"\""),
                         Row("http://e.com/", ":::_blank", 7, 7),
                         Row("c.htm", "c.htm"),
                         Row("A.HTM", "B.HTM"),
                         Row("a.htm", "|||file:///s/b.htm")};
    step.Hooks.SetCountLabel = [this](std::string_view text) { labels.emplace_back(text); };
  }
  // Builds the list with these rows and options.
  void Fill(std::vector<LinkEntry> rows, ResultOptions options = kAllButOrphans) {
    session.LinkTable = std::move(rows);
    step.Options = options;
    FillResultList(step);
  }
  static constexpr ResultOptions kAllButOrphans{.HideOrphan = true, .AllowLinkDeletion = true};

  SearchSession session;
  VectorResultList list;
  ResultStep step;
  std::vector<std::string> labels;
};

const std::string kNotice(kDeletionNotice);
const std::string kReplaceLine = R"(REPLACE (2): "a.htm" --> "b.htm")";
const std::string kRelativeLine = R"(REPLACE (relative, 1): "a.htm" --> "file:///s/b.htm")";
// The lines of the fixture by letter: the notice, then DELETE, REPLACE, TARGET, copy old,
// relative, and the two orphans.
const std::map<char, std::string> kLines = {
    {'N', kNotice},
    {'D', R"(DELETE (2): "img/x.gif")"},
    {'R', kReplaceLine},
    {'T', R"(TARGET (add, 1): "http://e.com/" --> "_blank")"},
    {'C', R"(REPLACE (copy old, 1): "c.htm")"},
    {'L', kRelativeLine},
    {'O', R"(ORPHAN: "/s/img/unused.gif")"},
    {'P', R"(ORPHAN: "/s/old.css")"}};

// Without deletion the notice stands first and no DELETE line shows, even with HideDelete off;
// HideReplace hides every non-empty value, TARGET too; HideTarget only the target line. The entry
// lines carry their group numbers, the notice and the orphans -1.
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
    std::vector<std::int32_t> data;
    int entries = 0;
    for (const char letter : c.lines) {
      lines.push_back(kLines.at(letter));
      data.push_back(std::string_view("NOP").find(letter) == std::string_view::npos ? entries++
                                                                                    : -1);
    }
    EXPECT_EQ(list.Texts(), lines) << c.lines;
    std::vector<std::int32_t> shown;
    for (const auto& line : list.lines())
      shown.push_back(line.Data);
    EXPECT_EQ(shown, data) << c.lines;
    EXPECT_EQ(step.ResultGroup, c.groups) << c.lines;
    EXPECT_EQ(step.GroupCount, entries) << c.lines;
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[labels.size() - 2], kUpdatingLabel);
    EXPECT_EQ(labels.back(), CountLabelText(entries));
  }
}

TEST_F(FillTest, RowsGroupByUrlAndMarkedValueIgnoringCase) {
  // Case variants form one line showing the first row's URL.
  Fill({Row("Pics/A.gif", "pics/b.GIF"), Row("pics/a.GIF", "PICS/B.gif"),
        Row("pics/a.gif", "pics/c.gif")});
  EXPECT_EQ(list.Texts(),
            (std::vector<std::string>{R"(REPLACE (2): "Pics/A.gif" --> "pics/b.GIF")",
                                      R"(REPLACE (1): "pics/a.gif" --> "pics/c.gif")"}));
  // Quoted and bare values with the same marked form share a line.
  Fill({Row("x.htm", "|||\"y.htm\""), Row("x.htm", "|||y.htm"), Row("x.htm", ":::y.htm"),
        Row("x.htm", "\"y.htm\""), Row("x.htm", "y.htm")});
  EXPECT_EQ(step.ResultGroup, (std::vector<std::int32_t>{0, 0, 1, 2, 2}));
  // Concatenated, "ab" + "c" and "a" + "bc" are the same text; they are different groups.
  Fill({Row("ab", "c"), Row("a", "bc")});
  EXPECT_EQ(list.Count(), 2);
  // The count label counts only entry lines (notice on, DELETE hidden, two orphans).
  Fill({Row("a", "b"), Row("c", "d"), Row("e", "f"), Row("g", "")}, ResultOptions{});
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(labels.back(), "URL's in the list: 3");
}

TEST_F(FillTest, ALargeTableGroupsEveryRowWithItsEqualsAndSortsItsFixes) {
  // 30,000 rows over 3,000 URL and value pairs, written in varying letter case.
  std::vector<LinkEntry> rows;
  for (int i = 0; i < 30000; ++i) {
    std::string url = "Img/Pic" + std::to_string(i % 3000) + ".GIF";
    if (i % 2) std::transform(url.begin(), url.end(), url.begin(), ::tolower);
    rows.push_back(Row(url, i % 3000 % 4 == 0 ? "" : "|||New" + std::to_string(i % 3000 % 7), i));
  }
  Fill(rows, kAllButOrphans);
  EXPECT_EQ(step.GroupCount, 3000);
  for (int i = 3000; i < 30000; ++i)
    ASSERT_EQ(step.ResultGroup[i], step.ResultGroup[i % 3000]) << i;
  EXPECT_EQ(list.Text(0), R"(DELETE (10): "Img/Pic0.GIF")");
  const std::vector<std::int32_t> named = {29999, 5, 12345};
  session.FixList = named;
  ChangeSortMode(step, SortModeKind::ByUrl);
  EXPECT_EQ(step.GroupCount, 3000);
  for (std::size_t k = 0; k < named.size(); ++k)
    EXPECT_EQ(session.LinkTable[static_cast<std::size_t>(session.FixList[k])].TagPos, named[k]);
}

TEST_F(FillTest, EditorControlsAndSelection) {
  step.Editor.Enabled.DeleteButton = true;
  FillResultList(step);  // notice, replace, target, copy, relative, orphan, orphan
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{true, true, true, true, true, true}));
  step.Editor.Enabled.DeleteButton = false;
  FillResultList(step);
  const EditorControls none{}, all{true, true, true, true, true, true};
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{true, true, true, true, true, false}));
  struct Case {
    int line;
    EditorControls enabled;
    std::string text;
    bool relative;
  };
  const Case cases[] = {{1, all, "b.htm", false},
                        {2, {true, true, false, false, false, false}, "_blank", false},
                        {3, all, "c.htm", false},
                        {4, all, "file:///s/b.htm", true},
                        {0, none, "file:///s/b.htm", true},  // the notice: the edit keeps its text
                        {5, none, "file:///s/b.htm", true},  // an orphan
                        {-1, none, "file:///s/b.htm", true}};  // nothing selected
  for (const Case& c : cases) {
    list.SetSelection(c.line);
    SelectionChanged(step);
    EXPECT_EQ(step.Editor.Enabled, c.enabled) << "line " << c.line;
    EXPECT_EQ(step.Editor.Text, c.text) << "line " << c.line;
    EXPECT_EQ(step.Editor.Relative, c.relative) << "line " << c.line;
  }
  // Selection changes are ignored while the list is rebuilt.
  step.Updating = true;
  list.SetSelection(1);
  SelectionChanged(step);
  EXPECT_EQ(step.Editor.Enabled, none);
  // An empty list disables the five; Delete stays as it was.
  step.Editor.Enabled.DeleteButton = true;
  Fill({});
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{false, false, false, false, false, true}));
}

TEST_F(FillTest, AllowingDeletionEnablesHideDeleteAndShowsTheDeleteLines) {
  ShowResults(step);
  EXPECT_FALSE(HideDeleteEnabled(step.Options));
  EXPECT_EQ(list.Text(0), kNotice);
  EXPECT_TRUE(SetAllowLinkDeletion(step, true));
  EXPECT_EQ(list.Text(0), kLines.at('D'));
  step.Options.HideDelete = true;
  RebuildResults(step);
  EXPECT_EQ(list.Text(0), kReplaceLine);
  EXPECT_FALSE(SetAllowLinkDeletion(step, false));
  EXPECT_EQ(list.Texts()[0] + list.Texts()[1], kNotice + kReplaceLine);
  EXPECT_FALSE(step.Updating);
  EXPECT_FALSE(session.SearchBusy);
}

TEST_F(FillTest, HorizontalExtentAndMessagePumping) {
  step.Hooks.TextWidth = [](std::string_view text) { return static_cast<int>(text.size()) * 7; };
  step.Hooks.ScrollBarWidth = 17;
  // The build pumps messages once per entry line but cannot be stopped.
  int polls = 0;
  step.Hooks.StopPoll = [&] {
    ++polls;
    return Poll::Stop;
  };
  step.Options = ResultOptions{.AllowLinkDeletion = true};
  FillResultList(step);
  EXPECT_EQ(polls, 5);
  EXPECT_EQ(list.Count(), 7);
  const int widest = static_cast<int>(kRelativeLine.size()) * 7;
  EXPECT_EQ(step.WidestLine, widest);
  EXPECT_EQ(list.horizontalExtent(), widest + 17);
  UpdateListExtent(step, "x");  // narrower: nothing changes
  EXPECT_EQ(list.horizontalExtent(), widest + 17);
  UpdateListExtent(step, "");
  EXPECT_EQ(step.WidestLine, 0);
  EXPECT_EQ(list.horizontalExtent(), 0);
  // Without a measuring hook a line is as wide as its bytes.
  step.Hooks.TextWidth = nullptr;
  step.Hooks.ScrollBarWidth = 0;
  UpdateListExtent(step, "abcd");
  EXPECT_EQ(list.horizontalExtent(), 4);
}

TEST(SortLinkRows, OrdersOfBothChoices) {
  using enum SortModeKind;
  struct Case {
    SortModeKind mode;
    std::vector<std::pair<std::string, std::string>> rows;  // URL and replacement
    std::vector<int> order;                                 // the rows' places in the input
  };
  const std::vector<std::pair<std::string, std::string>> mixed = {
      {"http://z.org/", "x"}, {"c:\\site\\y.htm", ""}, {"b.htm", "x"}, {"ftp://a.org/", "\"\""},
      {"D:\\a.htm", "x"},     {"a.htm", ""},           {"Z.htm", "x"}, {"e.htm", "\"\""}};
  const Case cases[] = {
      {ByUrl, {{"b", "x"}, {"A", "y"}}, {1, 0}},
      {ByAction, {{"b", "x"}, {"A", "y"}}, {1, 0}},
      // Local URLs alphabetically, then drive paths, then URLs with "://"; By URL: deletions last.
      {ByAction, mixed, {5, 2, 7, 6, 1, 4, 3, 0}},
      {ByUrl, mixed, {2, 6, 4, 0, 5, 7, 1, 3}},
      // A drive path never moves past a URL shorter than 3 characters, nor past an Internet URL.
      {ByAction,
       {{"a", "x"}, {"b:\\x", "x"}, {"c.htm", "x"}, {"d", "x"}, {"e.htm", "x"}},
       {0, 2, 1, 3, 4}},
      {ByAction,
       {{"c:\\b", "x"},
        {"c:\\a", "x"},
        {"x.htm", "x"},
        {"http://h/", "x"},
        {"y.htm", "x"},
        {"c:\\a://b", "x"}},
       {2, 4, 1, 0, 5, 3}},
      // Equal URLs keep their search order; deletions of both forms end up last.
      {ByUrl,
       {{"b.htm", "1"},
        {"a.htm", "2"},
        {"B.HTM", "3"},
        {"b.htm", ""},
        {"a.htm", "5"},
        {"b.htm", "6"}},
       {1, 4, 0, 2, 5, 3}},
      {ByUrl,
       {{"a", ""}, {"b", "\"\""}, {"c", "x"}, {"d", "\"\""}, {"e", ""}, {"f", "\"x\""}},
       {2, 5, 0, 1, 3, 4}},
      // Bytes compare unsigned, beyond the first eight too; a shorter URL comes first.
      {ByAction,
       {{"abcdefghZ", "x"},
        {"ABCDEFGHI", "x"},
        {"abcdefgh", "x"},
        {"", "x"},
        {"ABCDEFGHIJ", "x"},
        {"\xE9", "x"},
        {"z", "x"}},
       {3, 2, 1, 4, 0, 6, 5}}};
  for (const Case& c : cases) {
    SearchSession s;
    for (std::size_t i = 0; i < c.rows.size(); ++i)
      s.LinkTable.push_back(Row(c.rows[i].first, c.rows[i].second, static_cast<int>(i)));
    EXPECT_TRUE(SortLinkRows(s, c.mode));
    std::vector<int> order;
    for (const LinkEntry& row : s.LinkTable)
      order.push_back(row.TagPos);
    EXPECT_EQ(order, c.order) << c.rows[0].first << " mode " << static_cast<int>(c.mode);
  }
}

TEST(SortLinkTable, UnsortedLeavesTableAndListAloneAndEscStopsAfterAPass) {
  SearchSession s;
  s.LinkTable = {Row("c", "x"), Row("a", "x"), Row("b", "x")};
  VectorResultList list;
  ResultStep step(s, list);
  std::vector<std::string> labels;
  step.Hooks.SetCountLabel = [&](std::string_view t) { labels.emplace_back(t); };
  step.Hooks.ShowSortingLabel = [&] { labels.emplace_back("(sorting)"); };
  step.Options.SortMode = SortModeKind::ByUrl;
  list.AddLine("stale", 0);
  EXPECT_TRUE(SortLinkTable(step));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(labels, (std::vector<std::string>{"(sorting)"}));
  // Back to Unsorted: the "By URL" order stays, the list is not even cleared.
  s.LinkTable.push_back(Row("0", "x"));
  list.AddLine("kept", 0);
  step.Options.SortMode = SortModeKind::Unsorted;
  EXPECT_TRUE(SortLinkTable(step));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(s.LinkTable[0].Url + s.LinkTable[3].Url, "a0");
  EXPECT_EQ(labels.size(), 1u);

  // ESC: only the URL pass ran, so the Internet URL is not moved last; the fix still names its
  // row, and the list is then built from the partly sorted table as usual.
  s.LinkTable = {Row("http://a/", "x"), Row("c", ""), Row("b", "x")};
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
  EXPECT_EQ(list.Selection(), 2);
  EXPECT_EQ(list.Text(2), "c");
  list.DeleteLine(2);
  EXPECT_EQ(list.Selection(), -1);
  list.InsertLine(-1, "end", 4);
  EXPECT_EQ(list.Text(list.Count() - 1), "end");
  list.SetTopIndex(3);
  EXPECT_EQ(list.TopIndex(), 3);
  list.SetTopIndex(9);  // out of range: ignored
  EXPECT_EQ(list.TopIndex(), 3);
  list.SetSelection(7);
  EXPECT_EQ(list.Selection(), -1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.TopIndex(), 0);
}

}  // namespace
}  // namespace urlsmith
