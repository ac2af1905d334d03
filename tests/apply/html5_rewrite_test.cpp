#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "support/test_support.h"
#include "text/replacement.h"

namespace urlsmith::testing {
namespace {

struct Mode {
  bool allow = true;
  ImageLinkModeKind pictures = ImageLinkModeKind::MakeEmpty;
  TextLinkModeKind text = TextLinkModeKind::ConvertToText;
};
constexpr Mode kDelete{};
constexpr Mode kPictureUrl{true, ImageLinkModeKind::ReplaceWithUrl};
constexpr Mode kEmptyLinks{true, ImageLinkModeKind::MakeEmpty, TextLinkModeKind::MakeEmpty};

// `folder`/p.htm searched with the site and applied (the site's folder as ROOT).
std::string Rewritten(const std::string& page, const std::string& folder, Mode mode, bool wide,
                      const std::function<void(SearchSession&)>& edit = {}) {
  TempDir dir;
  for (const char* file : {"a.jpg", "c.jpg", "img/a.jpg", "b.htm", "a.mp4", "a.swf", "img/a.gif"})
    dir.Write(file, "x");
  const std::string name = folder + "p.htm";
  const std::string path =
      wide ? dir.WriteBytes(name, Utf16Bytes(page, false)) : dir.Write(name, page);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  RunSearch(*session, view);
  if (edit) edit(*session);
  ApplyOptions apply;
  RewriteOptions& options = apply.Rewrite;
  options.Review.AllowLinkDeletion = mode.allow;
  options.Deletion.ImageLinkMode = mode.pictures;
  options.Deletion.ImageReplacementUrl = "pic.gif";
  options.Deletion.TextLinkMode = mode.text;
  options.Deletion.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
  options.Deletion.BackgroundReplacementUrl = "bg.gif";
  EXPECT_EQ(ApplyStep(*session, apply, view).FilesFailed, 0);
  const std::string out = ReadFileBytes(path);
  std::string result;
  for (std::size_t i = wide ? 2 : 0; i < out.size(); i += wide ? 2 : 1)
    result.push_back(out[i]);
  for (std::size_t at; (at = result.find(dir.path())) != std::string::npos;)
    result.replace(at, dir.path().size(), "ROOT");
  return result;
}

TEST(Html5Rewrite, EachPlaceIsReplacedOrDeletedAsItsKindSays) {
  struct Case {
    std::string page;
    Mode mode;
    std::string expected;
  };
  const Case cases[] = {
      // Image candidates leave their list with one comma; the list stays well formed.
      {R"(<img srcset="a.jpg 1x, gone.jpg 2x, c.jpg 3x">)", kDelete,
       R"(<img srcset="a.jpg 1x, c.jpg 3x">)"},
      {R"(<img srcset="gone.jpg 1x, a.jpg 2x">)", kDelete, R"(<img srcset="a.jpg 2x">)"},
      {R"(<img srcset="a.jpg 1x, gone.jpg 2x">)", kDelete, R"(<img srcset="a.jpg 1x">)"},
      {R"(<img srcset="a.jpg 1x, g1.jpg 2x,g2.jpg 3x">)", kDelete, R"(<img srcset="a.jpg 1x">)"},
      {R"(<img srcset="g1.jpg 1x, g2.jpg 2x">)", kDelete, R"(<img srcset="">)"},
      {R"(<img srcset=gone.jpg alt=x>)", kDelete, R"(<img srcset="" alt=x>)"},
      {R"(<img srcset="a.jpg 1x, gone.jpg 2x">)", kPictureUrl,
       R"(<img srcset="a.jpg 1x, pic.gif 2x">)"},
      {R"(<picture><source srcset="pics/c.jpg 2x"></picture>)", kDelete,
       R"(<picture><source srcset="c.jpg 2x"></picture>)"},
      {R"(<link rel=preload imagesrcset="a.jpg, gone.jpg 2x">)", kDelete,
       R"(<link rel=preload imagesrcset="a.jpg">)"},
      // A refresh to nowhere loses its tag (else the page would reload for ever).
      {R"(<head><meta http-equiv=refresh content="0;url=gone.htm"><title>)", kEmptyLinks,
       R"(<head><title>)"},
      {R"(<meta http-equiv=refresh content="5; URL='old/b.htm'">)", kDelete,
       R"(<meta http-equiv=refresh content="5; URL='b.htm'">)"},
      // OBJECT data goes like an embedded element.
      {R"(<object data="gone.swf" onclick="run(1);">fallback</object>!)", kDelete, "fallback!"},
      {R"(<object data="gone.swf">fallback</object>!)", kEmptyLinks,
       R"(<object data="">fallback</object>!)"},
      // Pictures follow the picture options; other media are emptied.
      {R"(<video poster="gone.png" src="a.mp4">)", kPictureUrl,
       R"(<video poster="pic.gif" src="a.mp4">)"},
      {R"(<video poster="gone.png" src="gone.mp4">)", kDelete, R"(<video poster="" src="">)"},
      {R"(<svg><image xlink:href="gone.png"/></svg>)", kPictureUrl,
       R"(<svg><image xlink:href="pic.gif"/></svg>)"},
      {R"(<audio src="x/a.mp4"><track src="gone.vtt"></audio>)", kDelete,
       R"(<audio src="a.mp4"><track src=""></audio>)"},
      // Form actions point at the page itself; an INPUT's formaction is no background.
      {R"(<form action="gone.php"><input type=image src="gone.gif" formaction="gone.php">)",
       kDelete, R"(<form action="#"><input type=image src="bg.gif" formaction="#">)"},
      {R"(<blockquote cite="gone.htm"><q cite=x/b.htm></q>)", kDelete,
       R"(<blockquote cite=""><q cite=b.htm></q>)"},
      {R"(<style>@import "gone.css"; @import 'x/b.htm';</style>)", kDelete,
       R"(<style>@import ""; @import 'b.htm';</style>)"},
  };
  for (const Case& c : cases) {
    for (const bool wide : {false, true}) {
      EXPECT_EQ(Rewritten(c.page, "", c.mode, wide), c.expected)
          << c.page << (wide ? " (utf-16)" : "");
    }
  }
}

// A relative value that the review planned is written from the folder of the page's base.
TEST(Html5Rewrite, RelativeValuesAreWrittenFromTheBase) {
  const std::pair<std::string, std::string> cases[] = {
      {"", R"(<a href="../img/a.gif">)"},
      {R"(<base href="../">)", R"(<a href="img/a.gif">)"},
      {R"(<base href="http://example.com/">)", "<a href=\"file://ROOT/img/a.gif\">"},
  };
  const auto toImg = [](SearchSession& s) {
    for (LinkEntry& row : s.LinkTable)
      row.Replacement = std::string(kRelativeMark) + "file://" + s.RootPath + "img/a.gif";
  };
  for (const auto& [base, expected] : cases) {
    const std::string page = base + R"(<a href="http://example.com/a.gif">)";
    EXPECT_EQ(Rewritten(page, "sub/", kDelete, false, toImg), base + expected) << base;
  }
}

}  // namespace
}  // namespace urlsmith::testing
