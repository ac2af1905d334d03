#include "results/edit_result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace urlsmith {
namespace {

LinkEntry Row(std::string url, std::string replacement, std::int32_t tagPos = 10,
              std::int32_t valuePos = 15) {
  LinkEntry row;
  row.TagPos = tagPos;
  row.ValuePos = valuePos;
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

// A review built over hand-made rows, with one line selected.
struct Review {
  Review(PathStyle style, std::vector<LinkEntry> rows, bool allowDeletion = true)
      : session(style), step(session, list) {
    session.FileList.Append(style == PathStyle::Windows ? "C:\\site\\index.htm"
                                                        : "/home/u/site/index.htm");
    session.FileList.Append(style == PathStyle::Windows ? "C:\\site\\unused.gif"
                                                        : "/home/u/site/unused.gif");
    session.FileList.SetReferenced(0);
    session.LinkTable = std::move(rows);
    step.Options.AllowLinkDeletion = allowDeletion;
    FillResultList(step);
  }
  // Selects the line of a group and refreshes the editor, as a click in the list does.
  void Select(std::int32_t group) {
    for (int k = 0; k < list.Count(); ++k) {
      if (list.ItemData(k) == group) list.SetSelection(k);
    }
    SelectionChanged(step);
  }
  std::vector<std::string> Replacements() const {
    std::vector<std::string> values;
    for (const LinkEntry& row : session.LinkTable) {
      values.push_back(row.Replacement);
    }
    return values;
  }

  SearchSession session;
  VectorResultList list;
  ResultStep step;
};

struct EditCase {
  const char* name;
  PathStyle style;
  std::string old;  // the row's Replacement before the edit
  std::string typed;
  bool relative;
  bool canonicalize;
  std::string stored;
  std::string line;
  bool relativeAfter;
  std::string editAfter;
  std::int32_t valuePos = 15;  // TagPos is 10
};

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

TEST(ApplyEdit, NormalisesStoresAndRewritesTheLine) {
  const std::vector<EditCase> cases = {
      {"drive path with the box on", kWin, "img/b.gif", "C:\\site\\img\\a.gif", true, true,
       "|||file:///C|/site/img/a.gif",
       R"(REPLACE (relative, 1): "img/a.gif" --> "file:///C|/site/img/a.gif")", true,
       "file:///C|/site/img/a.gif"},
      {"drive path with the box off", kWin, "img/b.gif", "C:\\site\\img\\a.gif", false, true,
       "file:///C|/site/img/a.gif", R"(REPLACE (1): "img/a.gif" --> "file:///C|/site/img/a.gif")",
       false, "file:///C|/site/img/a.gif"},
      {"drive path written with a bar", kWin, "img/b.gif", "C|/site/a.gif", true, true,
       "|||file:///C|/site/a.gif",
       R"(REPLACE (relative, 1): "img/a.gif" --> "file:///C|/site/a.gif")", true,
       "file:///C|/site/a.gif"},
      {"file URL in capitals keeps the mark", kWin, "img/b.gif", "FILE:///C|/x.gif", true, true,
       "|||FILE:///C|/x.gif", R"(REPLACE (relative, 1): "img/a.gif" --> "FILE:///C|/x.gif")", true,
       "FILE:///C|/x.gif"},
      {"network URL loses the relative flag", kWin, "img/b.gif", "http://e.com/a.gif", true, true,
       "http://e.com/a.gif", R"(REPLACE (1): "img/a.gif" --> "http://e.com/a.gif")", false,
       "http://e.com/a.gif"},
      {"empty value over a quoted value", kWin, "\"img/b.gif\"", "", false, true, "\"\"",
       R"(DELETE (1): "img/a.gif")", false, ""},
      {"empty value over a bare value", kWin, "img/b.gif", "", true, true, "",
       R"(DELETE (1): "img/a.gif")", false, ""},
      {"the old URL again", kWin, "img/b.gif", "img/a.gif", false, true, "img/a.gif",
       R"(REPLACE (copy old, 1): "img/a.gif")", false, "img/a.gif"},
      {"quoted value with the box on", kWin, "\"img/b.gif\"", "file:///C|/site/b.gif", true, true,
       "|||\"file:///C|/site/b.gif\"",
       R"(REPLACE (relative, 1): "img/a.gif" --> "file:///C|/site/b.gif")", true,
       "file:///C|/site/b.gif"},
      {"blanks escaped", kWin, "img/b.gif", "my pics/a b.gif", false, true, "my%20pics/a%20b.gif",
       R"(REPLACE (1): "img/a.gif" --> "my%20pics/a%20b.gif")", false, "my%20pics/a%20b.gif"},
      {"blanks kept without canonicalising", kWin, "img/b.gif", "my pics\\a b.gif", false, false,
       "my pics/a b.gif", R"(REPLACE (1): "img/a.gif" --> "my pics/a b.gif")", false,
       "my pics/a b.gif"},
      {"target stays a target", kWin, ":::_blank", "_top", false, true, ":::_top",
       R"(TARGET (add, 1): "img/a.gif" --> "_top")", false, "_top", 10},
      {"quoted target with a file value keeps the target mark", kWin, ":::\"_blank\"",
       "file:///C|/x.htm", true, true, ":::\"file:///C|/x.htm\"",
       R"(TARGET (modify, 1): "img/a.gif" --> "file:///C|/x.htm")", true, "file:///C|/x.htm"},
      {"a port keeps its colon", kWin, "img/b.gif", "http://e.com:8080/a\\b.gif", false, true,
       "http://e.com:8080/a/b.gif", R"(REPLACE (1): "img/a.gif" --> "http://e.com:8080/a/b.gif")",
       false, "http://e.com:8080/a/b.gif"},
      {"mailto keeps its colon", kWin, "img/b.gif", "mailto:me@e.org", false, true,
       "mailto:me@e.org", R"(REPLACE (1): "img/a.gif" --> "mailto:me@e.org")", false,
       "mailto:me@e.org"},
      {"POSIX: a root-relative path is not a file", kPosix, "img/b.gif", "/img/a b.gif", true, true,
       "/img/a%20b.gif", R"(REPLACE (1): "img/a.gif" --> "/img/a%20b.gif")", false,
       "/img/a%20b.gif"},
      {"POSIX: file URL with the box on", kPosix, "img/b.gif", "file:///home/u/a b.gif", true, true,
       "|||file:///home/u/a%20b.gif",
       R"(REPLACE (relative, 1): "img/a.gif" --> "file:///home/u/a%20b.gif")", true,
       "file:///home/u/a%20b.gif"},
      {"POSIX: backslashes become slashes", kPosix, "img/b.gif", "img\\c.gif", false, true,
       "img/c.gif", R"(REPLACE (1): "img/a.gif" --> "img/c.gif")", false, "img/c.gif"},
  };
  for (const EditCase& c : cases) {
    Review r(c.style, {Row("other.htm", "x.htm"), Row("img/a.gif", c.old, 10, c.valuePos)});
    r.session.Processing.CanonicalizeUrls = c.canonicalize;
    r.Select(1);
    r.step.Editor.Text = c.typed;
    r.step.Editor.Relative = c.relative;
    EXPECT_EQ(ApplyEdit(r.step), 1) << c.name;
    EXPECT_EQ(r.Replacements(), (std::vector<std::string>{"x.htm", c.stored})) << c.name;
    EXPECT_EQ(r.list.Text(1), c.line) << c.name;
    EXPECT_EQ(r.list.ItemData(1), 1) << c.name;
    EXPECT_EQ(r.list.Selection(), 1) << c.name;
    EXPECT_EQ(r.step.Editor.Relative, c.relativeAfter) << c.name;
    EXPECT_EQ(r.step.Editor.Text, c.editAfter) << c.name;
  }
}

TEST(ApplyEdit, ChangesEveryRowOfTheGroupAndKeepsTheLinesPlace) {
  Review r(kWin,
           {Row("a.htm", "gone.htm"), Row("x.htm", "\"y.htm\""), Row("other.htm", ""),
            Row("X.HTM", "y.htm"), Row("b.htm", "c.htm"), Row("x.htm", "Y.HTM")},
           /*allowDeletion=*/false);
  // notice, a.htm (0), x.htm x3 (1), b.htm (2), orphan
  ASSERT_EQ(r.list.Count(), 5);
  ASSERT_EQ(r.list.Text(2), R"(REPLACE (3): "x.htm" --> "y.htm")");
  r.list.SetTopIndex(1);
  r.Select(1);
  EXPECT_EQ(r.step.Editor.Text, "y.htm");
  r.step.Editor.Text = "z.htm";
  EXPECT_EQ(ApplyEdit(r.step), 3);
  EXPECT_EQ(r.Replacements(),
            (std::vector<std::string>{"gone.htm", "\"z.htm\"", "", "z.htm", "c.htm", "z.htm"}));
  // The line is rewritten from the last changed row with the count of changed rows.
  EXPECT_EQ(r.list.Texts(),
            (std::vector<std::string>{
                std::string(kDeletionNotice), R"(REPLACE (1): "a.htm" --> "gone.htm")",
                R"(REPLACE (3): "x.htm" --> "z.htm")", R"(REPLACE (1): "b.htm" --> "c.htm")",
                R"(ORPHAN: "C:\site\unused.gif")"}));
  EXPECT_EQ(r.list.ItemData(2), 1);
  EXPECT_EQ(r.list.Selection(), 2);
  EXPECT_EQ(r.list.TopIndex(), 1);
  EXPECT_EQ(r.step.ResultGroup, (std::vector<std::int32_t>{0, 1, -1, 1, 2, 1}));
}

TEST(ApplyEdit, ALineWithoutRowsChangesNothing) {
  // The hidden deletion row has no line: its ResultGroup is -1, like the item data of the notice
  // and ORPHAN lines. Applying there must not reach it.
  Review r(kWin, {Row("a.htm", ""), Row("b.htm", "c.htm")}, /*allowDeletion=*/false);
  ASSERT_EQ(r.step.ResultGroup[0], kNoGroup);
  const std::vector<std::string> before = r.Replacements();
  const std::vector<std::string> lines = r.list.Texts();
  for (const int line : {0, 2, -1}) {  // notice, orphan, nothing selected
    r.list.SetSelection(line);
    r.step.Editor.Text = "new.htm";
    EXPECT_EQ(ApplyEdit(r.step), 0);
    RelativeToggled(r.step, true);
    EXPECT_EQ(r.Replacements(), before);
    EXPECT_EQ(r.list.Texts(), lines);
  }
}

TEST(ApplyEdit, TheExtentIsMeasuredAgainOverAllLines) {
  Review r(kWin, {Row("a.htm", "a-very-long-replacement-value-that-is-the-widest.htm"),
                  Row("b.htm", "c.htm")});
  r.step.Hooks.TextWidth = [](std::string_view t) { return static_cast<int>(t.size()); };
  r.step.Hooks.ScrollBarWidth = 10;
  FillResultList(r.step);
  const int wide = r.list.horizontalExtent();
  r.Select(0);
  r.step.Editor.Text = "d.htm";
  ApplyEdit(r.step);
  EXPECT_LT(r.list.horizontalExtent(), wide);
  int widest = 0;
  for (const std::string& t : r.list.Texts()) {
    widest = std::max(widest, static_cast<int>(t.size()));
  }
  EXPECT_EQ(r.list.horizontalExtent(), widest + 10);
}

TEST(ApplyEdit, TheNextBuildAppliesFiltersToTheEditedLine) {
  Review r(kWin, {Row("a.htm", "b.htm"), Row("c.htm", "d.htm")}, /*allowDeletion=*/false);
  r.Select(0);
  r.step.Editor.Text = "";
  ApplyClicked(r.step);
  EXPECT_EQ(r.list.Text(1), R"(DELETE (1): "a.htm")");  // stays where it was
  RebuildResults(r.step);
  EXPECT_EQ(r.list.Text(1), R"(REPLACE (1): "c.htm" --> "d.htm")");
}

TEST(EditorCommands, CopyOldDeleteAndTheRelativeBox) {
  Review r(kWin, {Row("img/a.gif", "img/b.gif"), Row("img/a.gif", "IMG/B.GIF")});
  r.Select(0);
  CopyOldClicked(r.step);
  EXPECT_EQ(r.step.Editor.Text, "img/a.gif");
  EXPECT_EQ(r.Replacements()[0], "img/b.gif");  // only Apply stores
  ApplyClicked(r.step);
  EXPECT_EQ(r.list.Text(0), R"(REPLACE (copy old, 2): "img/a.gif")");

  DeleteClicked(r.step);
  EXPECT_EQ(r.step.Editor.Text, "");
  EXPECT_EQ(r.Replacements()[0], "img/a.gif");

  // The box takes effect at once.
  r.step.Editor.Text = "C:\\site\\a.gif";
  RelativeToggled(r.step, true);
  EXPECT_EQ(r.Replacements(),
            (std::vector<std::string>{"|||file:///C|/site/a.gif", "|||file:///C|/site/a.gif"}));
  RelativeToggled(r.step, false);
  EXPECT_EQ(r.Replacements()[1], "file:///C|/site/a.gif");
  EXPECT_EQ(r.list.Text(0), R"(REPLACE (2): "img/a.gif" --> "file:///C|/site/a.gif")");
}

TEST(EditorCommands, BrowseStoresTheFileAsARelativeReplacement) {
  struct Case {
    PathStyle style;
    std::string lastRoot;
    std::string chosen;
    std::string stored;
    std::string folder;
  };
  const std::vector<Case> cases = {
      {kWin, "C:\\site\\", "C:\\site\\img\\new pic.gif", "|||file:///C|/site/img/new%20pic.gif",
       "C:\\site\\img"},
      {kPosix, "/home/u/site/", "/home/u/site/img/new pic.gif",
       "|||file:///home/u/site/img/new%20pic.gif", "/home/u/site/img"},
  };
  for (const Case& c : cases) {
    Review r(c.style, {Row("img/old.gif", "")});
    r.Select(0);
    std::vector<FileDialogRequest> asked;
    std::optional<std::string> answer;
    const FileChooser chooser = [&](const FileDialogRequest& request) {
      asked.push_back(request);
      return answer;
    };

    // Cancelled: nothing changes.
    EXPECT_FALSE(BrowseClicked(r.step, chooser, c.lastRoot));
    EXPECT_EQ(r.Replacements()[0], "");

    answer = c.chosen;
    EXPECT_TRUE(BrowseClicked(r.step, chooser, c.lastRoot));
    EXPECT_EQ(r.Replacements()[0], c.stored);
    EXPECT_TRUE(r.list.Text(0).starts_with("REPLACE (relative, 1): \"img/old.gif\" --> \"file:///"))
        << r.list.Text(0);
    EXPECT_TRUE(r.step.Editor.Relative);
    EXPECT_TRUE(r.step.Editor.Enabled.Browse);

    EXPECT_TRUE(BrowseClicked(r.step, chooser, c.lastRoot));
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].StartFolder, c.lastRoot);
    EXPECT_EQ(asked[1].StartFolder, c.lastRoot);
    EXPECT_TRUE(asked[2].StartFolder.starts_with(c.folder)) << asked[2].StartFolder;
    EXPECT_EQ(asked[0].Kind, FileDialogKind::Replacement);
  }
}

TEST(NormalizeEditedValue, RelativeFlagOnlyForFileUrls) {
  struct Case {
    std::string typed;
    bool relative;
    EditedValue expected;
  };
  const std::vector<Case> cases = {
      {"C:\\a.htm", true, {"file:///C|/a.htm", true}},
      {"file:///", true, {"file:///", true}},
      {"file://", true, {"file://", false}},
      {"ftp://h/a.htm", true, {"ftp://h/a.htm", false}},
      {"C:\\a.htm", false, {"file:///C|/a.htm", false}},
      {"C:", true, {"C|", false}},  // too short for a drive path
  };
  for (const Case& c : cases) {
    const EditedValue v = NormalizeEditedValue(c.typed, c.relative, true, kWin);
    EXPECT_EQ(v.Value, c.expected.Value) << c.typed;
    EXPECT_EQ(v.Relative, c.expected.Relative) << c.typed;
  }
}

}  // namespace
}  // namespace urlsmith
