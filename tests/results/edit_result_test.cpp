// Editing the replacement of a review line, and the link deletion options.
#include "results/edit_result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "results/deletion_options.h"
#include "support/core_fixtures.h"
#include "support/test_support.h"
#include "text/replacement.h"

namespace urlsmith::testing {
namespace {

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
