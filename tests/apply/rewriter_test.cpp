#include "apply/rewriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "support/core_fixtures.h"
#include "support/test_support.h"
#include "text/primitives.h"
#include "text/replacement.h"

namespace urlsmith::testing {
namespace {

using Opts = RewriteOptions;
using TL = TextLinkModeKind;

constexpr const char* kPage = "/site/www/a/page.htm";

struct Fixture {
  SearchSession session;
  explicit Fixture(std::string page = kPage, PathStyle style = PathStyle::Posix) : session(style) {
    session.FileList.Append(std::move(page));
    session.RootPath = "/site/www/";
  }
  void Add(std::string_view page, const std::vector<RowText>& rows, int file = 0) {
    for (const RowText& s : rows)
      session.LinkTable.push_back(RowIn(page, s, file));
  }
  std::vector<std::uint8_t> Rewrite(const TextView& text, const Opts& options,
                                    int* count = nullptr) {
    PageRewriter rewriter(session, options);
    std::vector<std::uint8_t> out;
    const int n = rewriter.RewritePage(text, 0, out);
    rewriter.ForgetDroppedFixes();
    if (count != nullptr) *count = n;
    return out;
  }
  std::string Run(std::string_view text, const Opts& options, int* count = nullptr) {
    return AsText(Rewrite(AnsiView(text), options, count));
  }
};

Opts Deleting(TL mode = TL::ConvertToText) {
  Opts o;
  o.Review.AllowLinkDeletion = true;
  o.Deletion.TextLinkMode = mode;
  return o;
}

// Deletions that point pictures (`image`) or backgrounds at `url`; the other kind's URL is unused.
Opts PictureUrl(bool image, std::string url, bool relative = true) {
  Opts o = Deleting();
  DeletionOptions& d = o.Deletion;
  (image ? d.ImageLinkMode : d.BackgroundLinkMode) = ImageLinkModeKind::ReplaceWithUrl;
  (image ? d.ImageReplacementUrl : d.BackgroundReplacementUrl) = std::move(url);
  (image ? d.ImageReplacementRelative : d.BackgroundReplacementRelative) = relative;
  (image ? d.BackgroundReplacementUrl : d.ImageReplacementUrl) = "WRONG";
  return o;
}

// Replacements keep the value's quotes (an unquoted value takes a quoted replacement's); a line
// break in the old value goes with it; a replacement equal to the URL leaves the text as written;
// a value cut short gets no closing quote. Targets go first in the tag or change in place. Deleted
// URLs outside tags are emptied; without link deletion deletions only count. The closing tags of
// removed elements go too; a row inside a removed link comes first. A picture's replacement URL,
// if a file URL (in any letter case, quoted or not), is made relative when its flag is on. No
// rows: the page as it is.
TEST(RewritePage, ReplacementsTargetsAndDeletionsOfSingleRows) {
  struct Case {
    std::string page;
    std::vector<RowText> rows;
    Opts options;
    std::string expected;
  };
  const Opts keep{};
  const std::string none = "file:///site/www/img/none.gif";
  const std::string binary("<html>\r\n<a href=\"x.htm\">\xE9\0\xFF</a></html\0", 38);
  // clang-format off
  const Case cases[] = {
      {R"(<a href="old.htm">x</a>)", {{"<a", "\"old.htm\"", "new.htm"}}, keep,
       R"(<a href="new.htm">x</a>)"},
      {"<a href=old.htm>x</a>", {{"<a", "old.htm", "new.htm"}}, keep, "<a href=new.htm>x</a>"},
      {"<a href=old.htm>x</a>", {{"<a", "old.htm", "\"new page.htm\""}}, keep,
       R"(<a href="new page.htm">x</a>)"},
      {R"(document.write("<a href=\"old.htm\">");)", {{"<a", R"(\"old.htm\")", "new.htm"}}, keep,
       R"(document.write("<a href=\"new.htm\">");)"},
      {R"(w('<img src=\'a.gif\'>');)", {{"<img", R"(\'a.gif\')", "b.gif"}}, keep,
       R"(w('<img src=\'b.gif\'>');)"},
      {"body { background: url(old.gif) }", {{"style", "(old.gif)", "n.gif"}}, keep,
       "body { background: url(n.gif) }"},
      {"<a href=\"old\n.htm\">x</a>", {{"<a", "\"old\n.htm\"", "n.htm"}}, keep,
       R"(<a href="n.htm">x</a>)"},
      {R"(<a href="a%20b&amp;c.htm">x</a>)",
       {{"<a", "\"a%20b&amp;c.htm\"", "a b&c.htm", "a b&c.htm"}}, keep,
       R"(<a href="a%20b&amp;c.htm">x</a>)"},
      {R"(<a href="old.htm>x</a>)", {{"<a", "\"old.htm", "new.htm"}}, keep,
       R"(<a href="new.htm>x</a>)"},
      {R"(<a href="x.htm">x</a>)", {{"+<a", "", ":::\"_blank\""}}, keep,
       R"(<a target="_blank" href="x.htm">x</a>)"},
      {"<A\nhref=\"x.htm\">x</A>", {{"+<A", "", ":::\"_top\""}}, keep,
       "<A target=\"_top\"\nhref=\"x.htm\">x</A>"},
      {R"(<a href="x.htm" target='_self'>x</a>)", {{"<a", "'_self'", ":::_blank"}}, keep,
       R"(<a href="x.htm" target='_blank'>x</a>)"},
      {R"(<a href="old.htm">x</a>)",
       {{"<a", "\"old.htm\"", "new.htm"}, {"+<a", "", ":::\"_blank\""}}, keep,
       R"(<a target="_blank" href="new.htm">x</a>)"},
      {"b { background: url(gone.gif) }", {{"style", "(gone.gif)", ""}}, Deleting(),
       "b { background: url() }"},
      {R"(x = \"http://gone/\";)", {{"script", "\\\"http://gone/\\\"", ""}}, Deleting(),
       R"(x = \"\";)"},
      {R"(<a href="g.htm">x</a><img src=g.gif><a href="o.htm">y</a>)",
       {{"<a", "\"g.htm\"", ""}, {"<img", "g.gif", "\"\""}, {"<a href=\"o", "\"o.htm\"", "n.htm"}},
       keep, R"(<a href="g.htm">x</a><img src=g.gif><a href="n.htm">y</a>)"},
      {R"(<a href="g.htm">A <abbr>x</abbr> b</A>.)", {{"<a", "\"g.htm\"", ""}}, Deleting(),
       "A <abbr>x</abbr> b."},
      {"<a href=\"g.htm\">x</a\n>y<iframe src=\"f.htm\">z</IFRAME >!",
       {{"<a", "\"g.htm\"", ""}, {"<iframe", "\"f.htm\"", ""}}, Deleting(), "xyz!"},
      {"<a href=\"g.htm\">text<p>more", {{"<a", "\"g.htm\"", ""}}, Deleting(), "text<p>more"},
      {"<a href=g1>one</a> <a href=g2>two</a>", {{"<a href=g2", "g2", ""}, {"<a", "g1", ""}},
       Deleting(), "one two"},
      {R"(<a href="g.htm">see <img src="old.gif"></a> end)",
       {{"<img", "\"old.gif\"", "new.gif"}, {"<a", "\"g.htm\"", ""}}, Deleting(),
       R"(see <img src="new.gif"> end)"},
      {R"(<a href=g>x<embed src=E>y</embed>z</a>.)", {{"<a", "g", "\"\""}, {"<embed", "E", "\"\""}},
       Deleting(), "xyz."},
      {"<img src=\"gone.gif\">", {{"<img", "\"gone.gif\"", ""}}, PictureUrl(true, none),
       "<img src=\"../img/none.gif\">"},
      {"<img src=\"g.gif\">", {{"<img", "\"g.gif\"", ""}},
       PictureUrl(true, "FILE:///site/www/a/n.gif"), "<img src=\"n.gif\">"},
      {"<img src=g.gif>", {{"<img", "g.gif", "\"\""}}, PictureUrl(true, "\"" + none + "\""),
       "<img src=\"../img/none.gif\">"},
      {"<img src=\"g.gif\">", {{"<img", "\"g.gif\"", ""}}, PictureUrl(true, none, false),
       "<img src=\"" + none + "\">"},
      {"<img src='g.gif'>", {{"<img", "'g.gif'", ""}}, PictureUrl(true, "http://x.org/n.gif"),
       "<img src='http://x.org/n.gif'>"},
      {"<table background=g.gif>", {{"<table", "g.gif", "\"\""}}, PictureUrl(false, "http://x/b"),
       "<table background=\"http://x/b\">"},
      {"<tr background='g.gif'>", {{"<tr", "'g.gif'", ""}}, PictureUrl(false, "bg.gif"),
       "<tr background='bg.gif'>"},
      {binary, {}, Deleting(), binary}, {"", {}, Deleting(), ""}};
  // clang-format on
  for (const Case& c : cases) {
    Fixture f;
    f.Add(c.page, c.rows);
    int count = -1;
    EXPECT_EQ(f.Run(c.page, c.options, &count), c.expected) << c.page;
    EXPECT_EQ(count, static_cast<int>(c.rows.size()));
  }
}

// With the base URL as the root, a target under the root is the base URL (one slash between) plus
// its path; otherwise (no base URL, a target outside the root) it is relative to the page.
TEST(RewritePage, RelativeReplacementsFollowThePageOrTheBaseUrl) {
  struct Case {
    bool useBase, baseAsRoot;
    std::string baseUrl, replacement, expected;
  };
  const std::string html = "<img src=old.gif>";
  const std::string target = "|||file:///site/www/img/b.gif";
  // clang-format off
  const Case cases[] = {
      {false, true, "http://x.org", target, "<img src=../img/b.gif>"},
      {true, true, "http://x.org", target, "<img src=http://x.org/img/b.gif>"},
      {true, true, "http://x.org/w/", target, "<img src=http://x.org/w/img/b.gif>"},
      {true, false, "http://x.org", target, "<img src=../img/b.gif>"},
      {true, true, "http://x.org", "|||file:///site/other/b.gif", "<img src=../../other/b.gif>"},
      {true, true, "http://x.org", "|||\"file:///site/www/img/b.gif\"",
       "<img src=\"http://x.org/img/b.gif\">"},
      {false, true, "", "|||\"file:///site/www/a/b.gif\"", "<img src=\"b.gif\">"},
      {true, true, "", target, "<img src=../img/b.gif>"}};
  // clang-format on
  for (const Case& c : cases) {
    Fixture f;
    f.session.Search.UseBaseUrl = c.useBase;
    f.session.Search.BaseUrl = c.baseUrl;
    f.session.Processing.UseBaseUrlAsRoot = c.baseAsRoot;
    f.Add(html, {{"<img", "old.gif", c.replacement}});
    EXPECT_EQ(f.Run(html, {}), c.expected) << c.replacement << " base " << c.baseUrl;
  }
  Fixture win("C:\\site\\a\\page.htm", PathStyle::Windows);
  win.Add(R"(<a href="x.htm">x</a>)", {{"<a", "\"x.htm\"", "|||C:\\site\\img\\b.htm"}});
  EXPECT_EQ(win.Run(R"(<a href="x.htm">x</a>)", {}), R"(<a href="../img/b.htm">x</a>)");
}

// A deleted text link (and AREA, LINK, STYLE) loses its tags or points at "#"; SCRIPT, IFRAME,
// EMBED, APPLET lose their tags (BGSOUND only its own) or are emptied. IMG follows the image mode
// (unquoted gets quotes), TD the background mode; other tags, one named like A, and a text link
// that is never closed are emptied.
TEST(RewritePage, DeletionRulesPerTagAndTextLinkMode) {
  struct Case {
    std::string page, tag, value, replacement;
    std::string toText, makeEmpty;  // the page after under convert-to-text and under make-empty
  };
  // clang-format off
  const Case cases[] = {
      {"<p><a href=\"gone.htm\">\nLink</a> after</p>", "<a", "\"gone.htm\"", "",
       "<p>Link after</p>", "<p><a href=\"#\">\nLink</a> after</p>"},
      {"<a href=gone.htm>L</a>!", "<a", "gone.htm", "\"\"", "L!", "<a href=#>L</a>!"},
      {"<LINK rel=x href='g.css'>", "<LINK", "'g.css'", "", "<LINK rel=x href='#'>",
       "<LINK rel=x href='#'>"},
      {"<style src=\"x.css\">body{}</style>.", "<style", "\"x.css\"", "", "body{}.",
       "<style src=\"#\">body{}</style>."},
      {"<script src=\"gone.js\"></script>rest", "<script", "\"gone.js\"", "", "rest",
       "<script src=\"\"></script>rest"},
      {"<bgsound src=\"x.wav\"><p>rest</p>", "<bgsound", "\"x.wav\"", "", "<p>rest</p>",
       "<bgsound src=\"\"><p>rest</p>"},
      {"<img src=gone.gif>", "<img", "gone.gif", "\"\"", "<img src=\"\">", "<img src=\"\">"},
      {"<td background=g.gif>", "<td", "g.gif", "\"\"", "<td background=\"\">",
       "<td background=\"\">"},
      {"<abbr cite=\"g.htm\">x</abbr>", "<abbr", "\"g.htm\"", "", "<abbr cite=\"\">x</abbr>",
       "<abbr cite=\"\">x</abbr>"},
      {"x<a href=\"g.htm\"", "<a", "\"g.htm\"", "", "x<a href=\"#\"", "x<a href=\"#\""}};
  // clang-format on
  for (const Case& c : cases) {
    for (const TL mode : {TL::ConvertToText, TL::MakeEmpty}) {
      Fixture f;
      f.Add(c.page, {{c.tag, c.value, c.replacement}});
      EXPECT_EQ(f.Run(c.page, Deleting(mode)), mode == TL::ConvertToText ? c.toText : c.makeEmpty)
          << c.page;
    }
  }
}

TEST(RewritePage, RowsOfARemovedLinkAreDroppedAndTheirFixesForgotten) {
  const std::string page =
      R"X(<p><a href="gone.htm" onclick="open('http:/x.com')">text</a> <a href="www.y.com">y</a></p>)X";
  for (const TL mode : {TL::ConvertToText, TL::MakeEmpty}) {
    Fixture f;
    // Table order is not position order: the fix in the onclick comes first.
    f.Add(page, {{"<a", "'http:/x.com'", "http://x.com"},
                 {"+<a", "", ":::\"_blank\""},
                 {"<a", "\"gone.htm\"", ""},
                 {"<a href=\"www", "\"www.y.com\"", "http://www.y.com"}});
    f.session.FixList = {0, 3};
    int count = 0;
    const std::string out = f.Run(page, Deleting(mode), &count);
    EXPECT_EQ(count, 4);
    if (mode == TL::ConvertToText) {
      EXPECT_EQ(out, R"(<p>text <a href="http://www.y.com">y</a></p>)");
      EXPECT_EQ(f.session.FixList, (std::vector<std::int32_t>{3}));
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.session.LinkTable[static_cast<std::size_t>(i)].ValuePos < 0, i < 3) << i;
    } else {
      EXPECT_EQ(out, R"X(<p><a target="_blank" href="#" onclick="open('http://x.com')">text</a> )X"
                     R"(<a href="http://www.y.com">y</a></p>)");
      EXPECT_EQ(f.session.FixList, (std::vector<std::int32_t>{0, 3}));
    }
  }
}

TEST(RewritePage, RowsAreAppliedInPositionOrderAndOverlapsSkipped) {
  const std::string page = R"(<img src="a.gif"><a href="b.htm">x</a><a href="c.htm">y</a>)";
  Fixture f;
  f.session.FileList.Append("/site/www/other.htm");
  // Ties keep table order: of the two rows at c.htm the first in the table is written. A row
  // that starts inside the span of another is passed over.
  f.Add(page, {{"<a", "\"b.htm\"", "B.htm"},
               {"<a href=\"c", "\"c.htm\"", "first.htm"},
               {"<a href=\"c", "\"c.htm\"", "second.htm"},
               {"<img", "\"a.gif\"", "A.gif"},
               {"<a", "b.htm", "XX"},
               {"<a href=\"c", "\"c.htm\"", "far.htm"}});
  f.session.LinkTable.back().SpanLength = 400;       // does not fit the text
  f.Add(page, {{"<img", "\"a.gif\"", "OTHER"}}, 1);  // another file's row
  int count = 0;
  EXPECT_EQ(f.Run(page, {}, &count),
            R"(<img src="A.gif"><a href="B.htm">x</a><a href="first.htm">y</a>)");
  EXPECT_EQ(count, 6);
}

// Values (in the session's code page) are written as UTF-16; an odd trailing byte is kept.
TEST(RewritePage, Utf16PagesAreRewrittenInUtf16InTheirOwnByteOrder) {
  const std::string page =
      "<p><a href=\"gone.htm\">\nLink</a> <A HREF=x.htm>y</A> <img src='old.gif'></p>";
  const std::tuple<bool, CodePage, std::string, std::string> cases[] = {
      {false, CodePage::Utf8, "\xC3\xA9\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80"},
      {true, CodePage::Windows1252, "\x80\xE9", "\xE2\x82\xAC\xC3\xA9"}};
  for (const auto& [bigEndian, codePage, value, utf8] : cases) {
    Fixture f;
    f.session.CodePage = codePage;
    f.Add(page, {{"<a", "\"gone.htm\"", ""},
                 {"<A", "x.htm", "\"" + value + ".htm\""},
                 {"+<A", "", ":::\"_blank\""},
                 {"<img", "'old.gif'", value + ".gif"}});
    for (LinkEntry& r : f.session.LinkTable) {  // two bytes a character after the mark
      if (r.TagPos >= 0) r.TagPos = 2 + 2 * r.TagPos;
      r.ValuePos = 2 + 2 * r.ValuePos;
    }
    std::vector<std::uint8_t> text = Utf16Bytes(page, bigEndian);
    if (bigEndian) ByteSwapText(text.data(), text.size());  // as the search read it
    const FileEncoding enc = bigEndian ? FileEncoding::Utf16Be : FileEncoding::Utf16Le;
    int count = 0;
    EXPECT_EQ(f.Rewrite(f.session.View(text, enc), Deleting(), &count),
              Utf16Bytes("<p>Link <A target=\"_blank\" HREF=\"" + utf8 + ".htm\">y</A> <img src='" +
                             utf8 + ".gif'></p>",
                         bigEndian));
    EXPECT_EQ(count, 4);
    std::vector<std::uint8_t> odd = Utf16Bytes("<a href=x>", bigEndian);
    odd.push_back(0x41);
    const std::vector<std::uint8_t> original = odd;
    if (bigEndian) ByteSwapText(odd.data(), odd.size());
    Fixture none;
    EXPECT_EQ(none.Rewrite(none.session.View(odd, enc), {}), original);
  }
}

// ---- HTML5 places, searched on real files and applied ------------------------------------------

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
