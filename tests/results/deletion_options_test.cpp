#include "results/deletion_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace urlsmith {
namespace {

TEST(DeletionOptions, AFreshStartUsesTheFixedModesAndTheSavedUrls) {
  const DeletionOptions first;
  EXPECT_EQ(first.TextLinkMode, TextLinkModeKind::ConvertToText);
  EXPECT_EQ(first.ImageLinkMode, ImageLinkModeKind::MakeEmpty);
  EXPECT_EQ(first.BackgroundLinkMode, ImageLinkModeKind::MakeEmpty);
  EXPECT_EQ(first.ImageReplacementUrl, "");
  EXPECT_EQ(first.BackgroundReplacementUrl, "");
  EXPECT_TRUE(first.ImageReplacementRelative);
  EXPECT_TRUE(first.BackgroundReplacementRelative);

  // Saved URLs come back, but the modes do not: both edits start disabled.
  const DeletionOptions later =
      InitialDeletionOptions("file:///C|/img/blank.gif", false, "file:///C|/img/bg.gif", true);
  EXPECT_EQ(later.ImageReplacementUrl, "file:///C|/img/blank.gif");
  EXPECT_FALSE(later.ImageReplacementRelative);
  EXPECT_EQ(later.BackgroundReplacementUrl, "file:///C|/img/bg.gif");
  EXPECT_TRUE(later.BackgroundReplacementRelative);
  EXPECT_EQ(later.TextLinkMode, TextLinkModeKind::ConvertToText);
  EXPECT_FALSE(ImageUrlControlsEnabled(later));
  EXPECT_FALSE(BackgroundUrlControlsEnabled(later));
}

TEST(DeletionOptions, EachReplaceChoiceEnablesOnlyItsOwnControls) {
  DeletionOptions o;
  o.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  EXPECT_TRUE(ImageUrlControlsEnabled(o));
  EXPECT_FALSE(BackgroundUrlControlsEnabled(o));
  o.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  o.ImageLinkMode = ImageLinkModeKind::MakeEmpty;
  EXPECT_FALSE(ImageUrlControlsEnabled(o));
  EXPECT_TRUE(BackgroundUrlControlsEnabled(o));
}

TEST(DeletionOptions, LeavingAnEditNormalisesOnlyTheUrlsInUse) {
  DeletionOptions o;
  o.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  o.ImageReplacementUrl = "C:\\img\\a b.gif";
  o.BackgroundReplacementUrl = "C:\\img\\bg x.gif";
  NormalizeReplacementUrls(o, true, PathStyle::Windows);
  EXPECT_EQ(o.ImageReplacementUrl, "file:///C|/img/a%20b.gif");
  EXPECT_EQ(o.BackgroundReplacementUrl, "C:\\img\\bg x.gif");

  o.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  NormalizeReplacementUrls(o, true, PathStyle::Windows);
  EXPECT_EQ(o.ImageReplacementUrl, "file:///C|/img/a%20b.gif");  // normalising twice is stable
  EXPECT_EQ(o.BackgroundReplacementUrl, "file:///C|/img/bg%20x.gif");
}

TEST(DeletionOptions, BrowseGivesAnUnescapedFileUrl) {
  EXPECT_EQ(BrowsedReplacementUrl("C:\\my pics\\a.gif", PathStyle::Windows),
            "file:///C|/my pics/a.gif");
  EXPECT_EQ(BrowsedReplacementUrl("/home/u/my pics/a.gif", PathStyle::Posix),
            "file:///home/u/my pics/a.gif");
}

TEST(DeletionOptions, AReplaceChoiceNeedsItsUrl) {
  DeletionOptions o;
  EXPECT_TRUE(ReplacementUrlsComplete(o));  // empty URLs do not matter while making empty
  o.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  EXPECT_FALSE(ReplacementUrlsComplete(o));
  o.ImageReplacementUrl = "x.gif";
  EXPECT_TRUE(ReplacementUrlsComplete(o));
  o.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  EXPECT_FALSE(ReplacementUrlsComplete(o));
  EXPECT_EQ(kEmptyReplacementUrlMessage, "The replacement URL cannot be empty!");
}

}  // namespace
}  // namespace urlsmith
