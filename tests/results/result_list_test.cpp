#include "results/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "text/url_ops.h"

namespace urlsmith {
namespace {

LinkEntry Row(std::string url, std::string replacement, std::int32_t tagPos = 10,
              std::int32_t valuePos = 15, std::int32_t fileIndex = 0) {
  LinkEntry row;
  row.FileIndex = fileIndex;
  row.TagPos = tagPos;
  row.ValuePos = valuePos;
  row.SpanLength = static_cast<std::int32_t>(url.size()) + 2;
  row.QuoteLength = 1;
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

// ---- Line texts ----------------------------------------------------------------------------

struct LineCase {
  const char* name;
  LinkEntry row;
  int count;
  std::string expected;
};

TEST(ResultLineText, EachRuleComposesItsLine) {
  const std::vector<LineCase> cases = {
      {"delete", Row("images/x.gif", ""), 2, R"(DELETE (2): "images/x.gif")"},
      {"delete written with quotes", Row("a.htm", "\"\""), 1, R"(DELETE (1): "a.htm")"},
      {"copy old", Row("a.htm", "a.htm"), 1, R"(REPLACE (copy old, 1): "a.htm")"},
      {"copy old with relative mark", Row("a.htm", "|||a.htm"), 1,
       R"(REPLACE (copy old, 1): "a.htm")"},
      {"copy old quoted", Row("a.htm", "\"a.htm\""), 3, R"(REPLACE (copy old, 3): "a.htm")"},
      {"copy old is exact about case", Row("a.htm", "A.htm"), 1,
       R"(REPLACE (1): "a.htm" --> "A.htm")"},
      {"empty URL and empty value is copy old", Row("", ""), 1, R"(REPLACE (copy old, 1): "")"},
      {"relative", Row("a.htm", "|||file:///C|/s/b.htm"), 1,
       R"(REPLACE (relative, 1): "a.htm" --> "file:///C|/s/b.htm")"},
      {"relative quoted", Row("a.htm", "|||\"file:///C|/s/b.htm\""), 1,
       R"(REPLACE (relative, 1): "a.htm" --> "file:///C|/s/b.htm")"},
      {"target add", Row("http://e.com/", ":::_blank", 40, 40), 1,
       R"(TARGET (add, 1): "http://e.com/" --> "_blank")"},
      {"target modify", Row("http://e.com/", ":::\"_top\"", 40, 52), 12,
       R"(TARGET (modify, 12): "http://e.com/" --> "_top")"},
      {"bare target mark", Row("u", ":::", 1, 2), 1, R"(TARGET (modify, 1): "u" --> "")"},
      {"replace", Row("b.htm", "c.htm"), 1, R"(REPLACE (1): "b.htm" --> "c.htm")"},
      {"replace quoted", Row("b.htm", "\"c d.htm\""), 1, R"(REPLACE (1): "b.htm" --> "c d.htm")"},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(ResultLineText(c.row, c.count), c.expected) << c.name;
  }
  EXPECT_EQ(OrphanLineText("/s/img/unused.gif"), R"(ORPHAN: "/s/img/unused.gif")");
  EXPECT_EQ(CountLabelText(3), "URL's in the list: 3");
}

// ---- Building the list ---------------------------------------------------------------------

// A search result with one row of every kind, case variants and one orphan file.
class FillTest : public ::testing::Test {
 protected:
  FillTest() : step(session, list) {
    session.FileList.Append("/s/a.htm");
    session.FileList.Append("/s/img/unused.gif");
    session.FileList.Append("/s/b.htm");
    session.FileList.Append("/s/old.css");
    session.FileList.SetReferenced(0);
    session.FileList.SetReferenced(2);
    auto& t = session.LinkTable;
    t.push_back(Row("img/x.gif", ""));                     // 0 delete
    t.push_back(Row("a.htm", "b.htm"));                    // 1 replace
    t.push_back(Row("IMG/X.GIF", "\"\""));                 // 2 delete, joins 0
    t.push_back(Row("http://e.com/", ":::_blank", 7, 7));  // 3 target add
    t.push_back(Row("c.htm", "c.htm"));                    // 4 copy old
    t.push_back(Row("A.HTM", "B.HTM"));                    // 5 replace, joins 1
    t.push_back(Row("a.htm", "|||file:///s/b.htm"));       // 6 relative: same URL, own line
    step.Hooks.SetCountLabel = [this](std::string_view text) { labels.emplace_back(text); };
  }

  SearchSession session;
  VectorResultList list;
  ResultStep step;
  std::vector<std::string> labels;
};

const std::string kDeleteLine = R"(DELETE (2): "img/x.gif")";
const std::string kReplaceLine = R"(REPLACE (2): "a.htm" --> "b.htm")";
const std::string kTargetLine = R"(TARGET (add, 1): "http://e.com/" --> "_blank")";
const std::string kCopyLine = R"(REPLACE (copy old, 1): "c.htm")";
const std::string kRelativeLine = R"(REPLACE (relative, 1): "a.htm" --> "file:///s/b.htm")";
const std::string kOrphan1 = R"(ORPHAN: "/s/img/unused.gif")";
const std::string kOrphan2 = R"(ORPHAN: "/s/old.css")";
const std::string kNotice(kDeletionNotice);

struct FilterCase {
  const char* name;
  ResultOptions options;
  std::vector<std::string> lines;
  std::vector<std::int32_t> data;
  std::vector<std::int32_t> groups;  // ResultGroup per row
};

ResultOptions Opts(bool allow, bool hideDelete, bool hideReplace, bool hideTarget,
                   bool hideOrphan) {
  ResultOptions o;
  o.AllowLinkDeletion = allow;
  o.HideDelete = hideDelete;
  o.HideReplace = hideReplace;
  o.HideTarget = hideTarget;
  o.HideOrphan = hideOrphan;
  return o;
}

TEST_F(FillTest, FiltersGroupsAndLines) {
  const std::vector<FilterCase> cases = {
      {"deletion not allowed: notice, no DELETE line even with HideDelete off",
       Opts(false, false, false, false, false),
       {kNotice, kReplaceLine, kTargetLine, kCopyLine, kRelativeLine, kOrphan1, kOrphan2},
       {-1, 0, 1, 2, 3, -1, -1},
       {-1, 0, -1, 1, 2, 0, 3}},
      {"deletion allowed",
       Opts(true, false, false, false, false),
       {kDeleteLine, kReplaceLine, kTargetLine, kCopyLine, kRelativeLine, kOrphan1, kOrphan2},
       {0, 1, 2, 3, 4, -1, -1},
       {0, 1, 0, 2, 3, 1, 4}},
      {"deletion allowed, DELETE hidden",
       Opts(true, true, false, false, true),
       {kReplaceLine, kTargetLine, kCopyLine, kRelativeLine},
       {0, 1, 2, 3},
       {-1, 0, -1, 1, 2, 0, 3}},
      {"HideReplace hides every non-empty value, TARGET too",
       Opts(true, false, true, false, true),
       {kDeleteLine},
       {0},
       {0, -1, 0, -1, -1, -1, -1}},
      {"HideTarget hides only the target line",
       Opts(true, false, false, true, false),
       {kDeleteLine, kReplaceLine, kCopyLine, kRelativeLine, kOrphan1, kOrphan2},
       {0, 1, 2, 3, -1, -1},
       {0, 1, 0, -1, 2, 1, 3}},
      {"everything hidden but the notice",
       Opts(false, false, true, false, true),
       {kNotice},
       {-1},
       {-1, -1, -1, -1, -1, -1, -1}},
  };
  for (const FilterCase& c : cases) {
    step.Options = c.options;
    FillResultList(step);
    EXPECT_EQ(list.Texts(), c.lines) << c.name;
    std::vector<std::int32_t> data;
    for (const auto& line : list.lines()) {
      data.push_back(line.Data);
    }
    EXPECT_EQ(data, c.data) << c.name;
    EXPECT_EQ(step.ResultGroup, c.groups) << c.name;
    const auto entries = std::count_if(c.data.begin(), c.data.end(), [](int d) { return d >= 0; });
    EXPECT_EQ(step.GroupCount, entries) << c.name;
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[labels.size() - 2], kUpdatingLabel) << c.name;
    EXPECT_EQ(labels.back(), CountLabelText(static_cast<int>(entries))) << c.name;
  }
}

TEST_F(FillTest, CaseVariantsFormOneLineShowingTheFirstRowsUrl) {
  session.LinkTable = {Row("Pics/A.gif", "pics/b.GIF"), Row("pics/a.GIF", "PICS/B.gif"),
                       Row("pics/a.gif", "pics/c.gif")};
  step.Options = Opts(true, false, false, false, true);
  FillResultList(step);
  EXPECT_EQ(list.Texts(),
            (std::vector<std::string>{R"(REPLACE (2): "Pics/A.gif" --> "pics/b.GIF")",
                                      R"(REPLACE (1): "pics/a.gif" --> "pics/c.gif")"}));
}

TEST_F(FillTest, QuotedAndBareValuesWithTheSameMarkedFormShareALine) {
  session.LinkTable = {Row("x.htm", "|||\"y.htm\""), Row("x.htm", "|||y.htm"),
                       Row("x.htm", ":::y.htm"), Row("x.htm", "\"y.htm\""), Row("x.htm", "y.htm")};
  step.Options = Opts(true, false, false, false, true);
  FillResultList(step);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(step.ResultGroup, (std::vector<std::int32_t>{0, 0, 1, 2, 2}));
}

TEST_F(FillTest, UrlAndValueAreNotConfusedAcrossTheirBoundary) {
  // Concatenated, "ab" + "c" and "a" + "bc" are the same text; they are different groups.
  session.LinkTable = {Row("ab", "c"), Row("a", "bc")};
  step.Options = Opts(true, false, false, false, true);
  FillResultList(step);
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(FillTest, CountLabelCountsOnlyEntryLines) {
  // 3 entry lines (notice on, DELETE hidden), 2 orphan lines.
  session.LinkTable = {Row("a", "b"), Row("c", "d"), Row("e", "f"), Row("g", "")};
  FillResultList(step);
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(labels.back(), "URL's in the list: 3");
}

TEST_F(FillTest, EditorControlsAfterABuild) {
  step.Editor.Enabled.DeleteButton = true;
  FillResultList(step);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{true, true, true, true, true, true}));
  step.Editor.Enabled.DeleteButton = false;
  FillResultList(step);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{true, true, true, true, true, false}));

  // An empty list disables the five; Delete stays as it was.
  session.LinkTable.clear();
  step.Options = Opts(true, false, false, false, true);
  step.Editor.Enabled.DeleteButton = true;
  FillResultList(step);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(step.Editor.Enabled, (EditorControls{false, false, false, false, false, true}));
}

TEST_F(FillTest, AllowingDeletionEnablesHideDeleteAndShowsTheDeleteLines) {
  ShowResults(step);
  EXPECT_FALSE(HideDeleteEnabled(step.Options));
  EXPECT_EQ(list.Text(0), kNotice);

  EXPECT_TRUE(SetAllowLinkDeletion(step, true));
  EXPECT_EQ(list.Text(0), kDeleteLine);

  step.Options.HideDelete = true;
  RebuildResults(step);
  EXPECT_EQ(list.Text(0), kReplaceLine);

  EXPECT_FALSE(SetAllowLinkDeletion(step, false));
  EXPECT_EQ(list.Text(0), kNotice);
  EXPECT_EQ(list.Text(1), kReplaceLine);
  EXPECT_FALSE(step.Updating);
  EXPECT_FALSE(session.SearchBusy);
}

TEST_F(FillTest, RefreshSelectionFollowsTheSelectedLine) {
  FillResultList(step);  // notice, replace, target, copy, relative, orphan, orphan
  struct Case {
    int line;
    EditorControls enabled;
    std::string text;
    bool relative;
  };
  const EditorControls none{};
  const EditorControls targetOnly{true, true, false, false, false, false};
  const EditorControls all{true, true, true, true, true, true};
  const std::vector<Case> cases = {
      {1, all, "b.htm", false},
      {2, targetOnly, "_blank", false},
      {3, all, "c.htm", false},
      {4, all, "file:///s/b.htm", true},
      {0, none, "file:///s/b.htm", true},   // the notice: the edit keeps its text
      {5, none, "file:///s/b.htm", true},   // an orphan
      {-1, none, "file:///s/b.htm", true},  // nothing selected
  };
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
}

TEST_F(FillTest, HorizontalExtentFollowsTheWidestLine) {
  step.Hooks.TextWidth = [](std::string_view text) { return static_cast<int>(text.size()) * 7; };
  step.Hooks.ScrollBarWidth = 17;
  FillResultList(step);
  std::size_t widest = 0;
  for (const std::string& text : list.Texts()) {
    widest = std::max(widest, text.size());
  }
  EXPECT_EQ(step.WidestLine, static_cast<int>(widest) * 7);
  EXPECT_EQ(list.horizontalExtent(), static_cast<int>(widest) * 7 + 17);

  UpdateListExtent(step, "x");  // narrower: nothing changes
  EXPECT_EQ(list.horizontalExtent(), static_cast<int>(widest) * 7 + 17);
  UpdateListExtent(step, "");
  EXPECT_EQ(step.WidestLine, 0);
  EXPECT_EQ(list.horizontalExtent(), 0);

  // Without a measuring hook a line is as wide as its bytes.
  step.Hooks.TextWidth = nullptr;
  step.Hooks.ScrollBarWidth = 0;
  UpdateListExtent(step, "abcd");
  EXPECT_EQ(list.horizontalExtent(), 4);
}

TEST_F(FillTest, TheBuildPumpsMessagesButCannotBeStopped) {
  int polls = 0;
  step.Hooks.StopPoll = [&] {
    ++polls;
    return Poll::Stop;
  };
  step.Options = Opts(true, false, false, false, false);
  FillResultList(step);
  EXPECT_EQ(polls, 5);  // once per entry line
  EXPECT_EQ(list.Count(), 7);
}

// ---- Sorting -------------------------------------------------------------------------------

std::vector<std::string> Urls(const SearchSession& s) {
  std::vector<std::string> urls;
  for (const LinkEntry& row : s.LinkTable) {
    urls.push_back(row.Url);
  }
  return urls;
}

TEST(SortLinkTable, TwoSingleLettersUnderEitherChoice) {
  for (const SortModeKind mode : {SortModeKind::ByUrl, SortModeKind::ByAction}) {
    SearchSession s;
    s.LinkTable = {Row("b", "x"), Row("A", "y")};
    EXPECT_TRUE(SortLinkRows(s, mode));
    EXPECT_EQ(Urls(s), (std::vector<std::string>{"A", "b"}));
  }
}

TEST(SortLinkTable, ByActionAndByUrlOrders) {
  const std::vector<LinkEntry> rows = {
      Row("http://z.org/", "x"),   Row("c:\\site\\y.htm", ""), Row("b.htm", "x"),
      Row("ftp://a.org/", "\"\""), Row("D:\\a.htm", "x"),      Row("a.htm", ""),
      Row("Z.htm", "x"),           Row("e.htm", "\"\""),
  };
  struct Case {
    SortModeKind mode;
    std::vector<std::string> urls;
  };
  const std::vector<Case> cases = {
      {SortModeKind::ByAction,
       {"a.htm", "b.htm", "e.htm", "Z.htm", "c:\\site\\y.htm", "D:\\a.htm", "ftp://a.org/",
        "http://z.org/"}},
      {SortModeKind::ByUrl,
       {"b.htm", "Z.htm", "D:\\a.htm", "http://z.org/", "a.htm", "e.htm", "c:\\site\\y.htm",
        "ftp://a.org/"}},
  };
  for (const Case& c : cases) {
    SearchSession s;
    s.LinkTable = rows;
    EXPECT_TRUE(SortLinkRows(s, c.mode));
    EXPECT_EQ(Urls(s), c.urls) << static_cast<int>(c.mode);
  }
}

TEST(SortLinkTable, ShortUrlsHoldDrivePathsBack) {
  // A drive path never moves past a URL shorter than 3 characters.
  SearchSession s;
  s.LinkTable = {Row("a", "x"), Row("b:\\x", "x"), Row("c.htm", "x"), Row("d", "x"),
                 Row("e.htm", "x")};
  SortLinkRows(s, SortModeKind::ByAction);
  EXPECT_EQ(Urls(s), (std::vector<std::string>{"a", "c.htm", "b:\\x", "d", "e.htm"}));
}

TEST(SortLinkTable, RowsWithEqualUrlsKeepTheirSearchOrder) {
  SearchSession s;
  s.LinkTable = {Row("b.htm", "1"), Row("a.htm", "2"), Row("B.HTM", "3"),
                 Row("b.htm", ""),  Row("a.htm", "5"), Row("b.htm", "6")};
  SortLinkRows(s, SortModeKind::ByUrl);
  std::vector<std::string> values;
  for (const LinkEntry& row : s.LinkTable) {
    values.push_back(row.Replacement);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"2", "5", "1", "3", "6", ""}));
}

TEST(SortLinkTable, DeletionsOfBothFormsEndUpLast) {
  SearchSession s;
  s.LinkTable = {Row("a", ""),     Row("b", "\"\""), Row("c", "x"),
                 Row("d", "\"\""), Row("e", ""),     Row("f", "\"x\"")};
  EXPECT_TRUE(SortLinkRows(s, SortModeKind::ByUrl));
  EXPECT_EQ(Urls(s), (std::vector<std::string>{"c", "f", "a", "b", "d", "e"}));
}

TEST(SortLinkTable, TheFixListFollowsItsRows) {
  SearchSession s;
  for (int i = 0; i < 50; ++i) {
    // TagPos names the row; URLs in descending order so that every row moves.
    std::string url(1, 'u');
    url += std::to_string(100 - i);
    s.LinkTable.push_back(Row(url, i % 3 == 0 ? "" : "x", i));
  }
  s.FixList = {7, 3, 42, 0};
  const std::vector<std::int32_t> named = {7, 3, 42, 0};
  EXPECT_TRUE(SortLinkRows(s, SortModeKind::ByUrl));
  ASSERT_EQ(s.FixList.size(), named.size());
  for (std::size_t k = 0; k < named.size(); ++k) {
    EXPECT_EQ(s.LinkTable[static_cast<std::size_t>(s.FixList[k])].TagPos, named[k]);
  }
}

TEST(SortLinkTable, UnsortedLeavesTableAndListAlone) {
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
  EXPECT_EQ(Urls(s), (std::vector<std::string>{"a", "b", "c"}));

  // Back to Unsorted: the "By URL" order stays, the list is not even cleared.
  s.LinkTable.push_back(Row("0", "x"));
  list.AddLine("kept", 0);
  step.Options.SortMode = SortModeKind::Unsorted;
  EXPECT_TRUE(SortLinkTable(step));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Urls(s), (std::vector<std::string>{"a", "b", "c", "0"}));
  EXPECT_EQ(labels.size(), 1u);
}

TEST(SortLinkTable, EscStopsTheSortAfterTheCurrentPass) {
  SearchSession s;
  s.LinkTable = {Row("http://a/", "x"), Row("c", ""), Row("b", "x")};
  s.FixList = {0};
  VectorResultList list;
  ResultStep step(s, list);
  step.Hooks.StopPoll = [] { return Poll::Stop; };
  step.Options.SortMode = SortModeKind::ByUrl;
  EXPECT_FALSE(SortLinkTable(step));
  // Only the URL pass ran: the Internet URL is not moved last.
  EXPECT_EQ(Urls(s), (std::vector<std::string>{"b", "c", "http://a/"}));
  EXPECT_EQ(s.LinkTable[static_cast<std::size_t>(s.FixList[0])].Url, "http://a/");
  // The list is then built from the partly sorted table as usual.
  step.Options.AllowLinkDeletion = true;
  FillResultList(step);
  EXPECT_EQ(list.Text(0), R"(REPLACE (1): "b" --> "x")");
}

// The four exchange passes done literally, quadratic: the reference for the fast sort.
void ReferenceSort(std::vector<LinkEntry>& t, SortModeKind mode) {
  const auto n = static_cast<int>(t.size());
  const auto at = [&](int i) -> LinkEntry& { return t[static_cast<std::size_t>(i)]; };
  for (int p = n - 1; p >= 1; --p) {
    for (int j = 0; j < p; ++j) {
      if (CompareIgnoreCase(at(j).Url, at(p).Url) > 0) std::swap(at(j), at(p));
    }
  }
  const auto sweep = [&](auto swapWhen) {
    bool swapped = true;
    while (swapped) {
      swapped = false;
      for (int i = 0; i + 1 < n; ++i) {
        if (swapWhen(at(i), at(i + 1))) {
          std::swap(at(i), at(i + 1));
          swapped = true;
        }
      }
    }
  };
  const auto web = [](const std::string& u) { return u.find("://") != std::string::npos; };
  const auto drive = [](const std::string& u) {
    return u.size() >= 3 && u[1] == ':' && u[2] == '\\';
  };
  sweep([&](const LinkEntry& a, const LinkEntry& b) { return web(a.Url) && !web(b.Url); });
  sweep([&](const LinkEntry& a, const LinkEntry& b) {
    return drive(a.Url) && b.Url.size() >= 3 && !drive(b.Url) && !web(b.Url);
  });
  if (mode == SortModeKind::ByUrl) {
    const auto del = [](const LinkEntry& r) {
      return r.Replacement.empty() || r.Replacement == "\"\"";
    };
    sweep([&](const LinkEntry& a, const LinkEntry& b) { return del(a) && !del(b); });
  }
}

TEST(SortLinkTable, MatchesTheExchangePassesOnRandomTables) {
  std::mt19937 random(12345);
  const std::vector<std::string> pieces = {"a", "B", "c", ":", "\\", "://", "/", "x.htm", "Z"};
  for (int round = 0; round < 60; ++round) {
    std::vector<LinkEntry> rows;
    const int n = 1 + static_cast<int>(random() % 120);
    for (int i = 0; i < n; ++i) {
      std::string url;
      const int parts = static_cast<int>(random() % 4);
      for (int k = 0; k < parts; ++k) {
        url += pieces[random() % pieces.size()];
      }
      if (random() % 5 == 0)
        url = std::string(1, static_cast<char>('a' + random() % 3)) + ":\\" + url;
      const std::string value = random() % 3 == 0 ? "" : (random() % 2 ? "\"\"" : "v");
      rows.push_back(Row(url, value, i));
    }
    for (const SortModeKind mode : {SortModeKind::ByUrl, SortModeKind::ByAction}) {
      SearchSession s;
      s.LinkTable = rows;
      std::vector<LinkEntry> expected = rows;
      ReferenceSort(expected, mode);
      ASSERT_TRUE(SortLinkRows(s, mode));
      ASSERT_EQ(s.LinkTable.size(), expected.size());
      for (std::size_t k = 0; k < expected.size(); ++k) {
        // Same URL (ignoring case) and same deletion state at every place; only rows of equal
        // URLs may stand in another order, and there the search order is kept.
        EXPECT_EQ(ToLowerAscii(s.LinkTable[k].Url), ToLowerAscii(expected[k].Url))
            << "round " << round << " place " << k;
        if (mode == SortModeKind::ByUrl) {
          EXPECT_EQ(s.LinkTable[k].Replacement == "v", expected[k].Replacement == "v");
        }
        if (k > 0 && EqualsIgnoreCase(s.LinkTable[k - 1].Url, s.LinkTable[k].Url) &&
            (mode == SortModeKind::ByAction ||
             (s.LinkTable[k - 1].Replacement == "v") == (s.LinkTable[k].Replacement == "v"))) {
          EXPECT_LT(s.LinkTable[k - 1].TagPos, s.LinkTable[k].TagPos);
        }
      }
    }
  }
}

// ---- Speed ---------------------------------------------------------------------------------

TEST(ResultListSpeed, AFullTableGroupsAndSortsQuickly) {
  SearchSession s;
  s.LinkTable.reserve(kMaxLinkRows);
  std::mt19937 random(7);
  const auto form = [](unsigned kind, unsigned id) -> std::string {
    const std::string n = std::to_string(id);
    switch (kind) {
      case 0:
        return "img/pic" + n + ".gif";
      case 1:
        return "http://site" + n + ".example.com/page.htm";
      case 2:
        return "C:\\site\\p" + n + ".htm";
      case 3:
        return "../Docs/File" + n + ".PDF";
      default:
        return "ab";
    }
  };
  const auto value = [](unsigned kind, unsigned id) -> std::string {
    const std::string n = std::to_string(id);
    switch (kind) {
      case 0:
        return "";
      case 1:
        return "\"\"";
      case 2:
        return "img/new" + n + ".gif";
      case 3:
        return "|||file:///C|/site/x" + n + ".htm";
      default:
        return ":::_blank";
    }
  };
  for (int i = 0; i < kMaxLinkRows; ++i) {
    const unsigned id = random() % 40000;
    const unsigned kind = random() % 5;
    s.LinkTable.push_back(Row(form(kind, id), value(random() % 5, id % 3), i, i + 5, i % 1000));
    if (i % 97 == 0) s.FixList.push_back(i);
  }
  VectorResultList list;
  ResultStep step(s, list);
  step.Options.SortMode = SortModeKind::ByUrl;
  step.Options.AllowLinkDeletion = true;

  const auto start = std::chrono::steady_clock::now();
  ShowResults(step);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ timing ] sort and build of " << kMaxLinkRows << " rows: " << seconds << " s, "
            << step.GroupCount << " lines\n";
  RecordProperty("seconds", std::to_string(seconds));
  EXPECT_LT(seconds, 3.0);
  EXPECT_GT(step.GroupCount, 1000);
  for (const std::int32_t fix : s.FixList) {
    EXPECT_EQ(s.LinkTable[static_cast<std::size_t>(fix)].TagPos % 97, 0);
  }
}

// ---- The in-memory list --------------------------------------------------------------------

TEST(VectorResultList, SelectionFollowsInsertsAndDeletes) {
  VectorResultList list;
  for (const char* t : {"a", "b", "c", "d"}) {
    list.AddLine(t, 0);
  }
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
