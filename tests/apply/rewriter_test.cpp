// The rewriter on pages with hand-made rows: every position is computed from the page text, and
// every result is compared byte for byte.
#include "apply/rewriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support/test_support.h"
#include "text/primitives.h"

namespace urlsmith {
namespace {

using testing::Utf16Bytes;
using Opts = RewriteOptions;

constexpr const char* kPage = "/site/www/a/page.htm";

// Rewrites one file with a rewriter of its own; returns the number of its rows.
int RewriteOne(SearchSession& session, const Opts& options, const TextView& text, int fileIndex,
               std::vector<std::uint8_t>& out) {
  PageRewriter rewriter(session, options);
  const int rows = rewriter.RewritePage(text, fileIndex, out);
  rewriter.ForgetDroppedFixes();
  return rows;
}

int QuoteOf(std::string_view value) {
  if (value.size() >= 2 && value[0] == '\\' && (value[1] == '"' || value[1] == '\'')) return 2;
  if (!value.empty() && (value[0] == '"' || value[0] == '\'' || value[0] == '(')) return 1;
  return 0;
}

std::size_t Find(std::string_view page, std::string_view needle, std::size_t from = 0) {
  const std::size_t at = page.find(needle, from);
  if (at == std::string_view::npos)
    throw std::logic_error("not in the page: " + std::string(needle));
  return at;
}

// The row of `value` (as written, quotes included) in the first tag that begins with `tag`.
LinkEntry TagRow(std::string_view page, std::string_view tag, std::string_view value,
                 std::string url, std::string replacement) {
  LinkEntry row;
  const std::size_t tagPos = Find(page, tag);
  row.TagPos = static_cast<std::int32_t>(tagPos);
  row.ValuePos = static_cast<std::int32_t>(Find(page, value, tagPos));
  row.SpanLength = static_cast<std::int32_t>(value.size());
  row.QuoteLength = QuoteOf(value);
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

// A row found in script text (kTagPosScript) or in a style "url(" (kTagPosStyle).
LinkEntry FreeRow(std::string_view page, std::int32_t kind, std::string_view value, std::string url,
                  std::string replacement) {
  LinkEntry row;
  row.TagPos = kind;
  row.ValuePos = static_cast<std::int32_t>(Find(page, value));
  row.SpanLength = static_cast<std::int32_t>(value.size());
  row.QuoteLength = QuoteOf(value);
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

// A row that adds a target attribute to the first tag that begins with `tag`.
LinkEntry AddTargetRow(std::string_view page, std::string_view tag, std::string url,
                       std::string replacement) {
  LinkEntry row;
  row.TagPos = static_cast<std::int32_t>(Find(page, tag));
  row.ValuePos = row.TagPos;
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

struct Fixture {
  SearchSession session{PathStyle::Posix};
  explicit Fixture(std::string page = kPage) {
    session.FileList.Append(std::move(page));
    session.RootPath = "/site/www/";
  }
  void Add(std::vector<LinkEntry> rows, int file = 0) {
    for (auto& r : rows) {
      r.FileIndex = file;
      session.LinkTable.push_back(std::move(r));
    }
  }
  std::string Run(std::string_view text, const Opts& options, int* count = nullptr) {
    std::vector<std::uint8_t> out;
    const int n = RewriteOne(session, options, testing::AnsiView(text), 0, out);
    if (count != nullptr) *count = n;
    return std::string(out.begin(), out.end());
  }
};

Opts Deleting(TextLinkModeKind mode = TextLinkModeKind::ConvertToText) {
  Opts o;
  o.Review.AllowLinkDeletion = true;
  o.Deletion.TextLinkMode = mode;
  return o;
}

struct Case {
  const char* name;
  std::string page;
  std::function<std::vector<LinkEntry>(std::string_view)> rows;
  Opts options;
  std::string expected;
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.Add(c.rows(c.page));
    int count = -1;
    EXPECT_EQ(f.Run(c.page, c.options, &count), c.expected);
    EXPECT_EQ(count, f.session.LinkCount());
  }
}

TEST(RewritePage, ReplacementsKeepTheQuotesTheValueWasWrittenWith) {
  const std::vector<Case> cases = {
      {"double quotes",
       R"(<a href="old.htm">x</a>)",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"old.htm\"", "old.htm", "new.htm")}; },
       {},
       R"(<a href="new.htm">x</a>)"},
      {"apostrophes",
       "<img src='a.gif'>",
       [](auto p) { return std::vector{TagRow(p, "<img", "'a.gif'", "a.gif", "b.gif")}; },
       {},
       "<img src='b.gif'>"},
      {"unquoted stays unquoted",
       "<a href=old.htm>x</a>",
       [](auto p) { return std::vector{TagRow(p, "<a", "old.htm", "old.htm", "new.htm")}; },
       {},
       "<a href=new.htm>x</a>"},
      {"unquoted gets the quotes of a quoted replacement",
       "<a href=old.htm>x</a>",
       [](auto p) {
         return std::vector{TagRow(p, "<a", "old.htm", "old.htm", "\"new page.htm\"")};
       },
       {},
       R"(<a href="new page.htm">x</a>)"},
      {"escaped quotes in a script string",
       R"(document.write("<a href=\"old.htm\">");)",
       [](auto p) { return std::vector{TagRow(p, "<a", R"(\"old.htm\")", "old.htm", "new.htm")}; },
       {},
       R"(document.write("<a href=\"new.htm\">");)"},
      {"escaped apostrophes",
       R"(w('<img src=\'a.gif\'>');)",
       [](auto p) { return std::vector{TagRow(p, "<img", R"(\'a.gif\')", "a.gif", "b.gif")}; },
       {},
       R"(w('<img src=\'b.gif\'>');)"},
      {"style url(",
       "body { background: url(old.gif) }",
       [](auto p) {
         return std::vector{FreeRow(p, kTagPosStyle, "(old.gif)", "old.gif", "n.gif")};
       },
       {},
       "body { background: url(n.gif) }"},
      {"script string found by its protocol",
       R"(var u = "http:/x.com/";)",
       [](auto p) {
         return std::vector{
             FreeRow(p, kTagPosScript, "\"http:/x.com/\"", "http:/x.com/", "http://x.com/")};
       },
       {},
       R"(var u = "http://x.com/";)"},
      {"a line break inside the old value goes with it",
       "<a href=\"old\n.htm\">x</a>",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"old\n.htm\"", "old.htm", "n.htm")}; },
       {},
       R"(<a href="n.htm">x</a>)"},
      {"a replacement equal to the URL leaves the escaped text as written",
       R"(<a href="a%20b&amp;c.htm">x</a>)",
       [](auto p) {
         return std::vector{TagRow(p, "<a", "\"a%20b&amp;c.htm\"", "a b&c.htm", "a b&c.htm")};
       },
       {},
       R"(<a href="a%20b&amp;c.htm">x</a>)"},
      {"a value cut short by the tag's end gets no made-up closing quote",
       R"(<a href="old.htm>x</a>)",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"old.htm", "old.htm", "new.htm")}; },
       {},
       R"(<a href="new.htm>x</a>)"},
  };
  RunCases(cases);
}

TEST(RewritePage, TargetsAreAddedFirstInTheTagOrChangedInPlace) {
  const std::vector<Case> cases = {
      {"added after the tag name",
       R"(<a href="x.htm">x</a>)",
       [](auto p) { return std::vector{AddTargetRow(p, "<a", "x.htm", ":::\"_blank\"")}; },
       {},
       R"(<a target="_blank" href="x.htm">x</a>)"},
      {"added when a line break follows the tag name",
       "<A\nhref=\"x.htm\">x</A>",
       [](auto p) { return std::vector{AddTargetRow(p, "<A", "x.htm", ":::\"_top\"")}; },
       {},
       "<A target=\"_top\"\nhref=\"x.htm\">x</A>"},
      {"an existing unquoted target changed",
       "<a target=_self href=x.htm>x</a>",
       [](auto p) { return std::vector{TagRow(p, "<a", "_self", "x.htm", ":::_blank")}; },
       {},
       "<a target=_blank href=x.htm>x</a>"},
      {"an existing quoted target changed",
       R"(<a href="x.htm" target='_self'>x</a>)",
       [](auto p) { return std::vector{TagRow(p, "<a", "'_self'", "x.htm", ":::_blank")}; },
       {},
       R"(<a href="x.htm" target='_blank'>x</a>)"},
      {"added together with a changed href",
       R"(<a href="old.htm">x</a>)",
       [](auto p) {
         return std::vector{TagRow(p, "<a", "\"old.htm\"", "old.htm", "new.htm"),
                            AddTargetRow(p, "<a", "old.htm", ":::\"_blank\"")};
       },
       {},
       R"(<a target="_blank" href="new.htm">x</a>)"},
  };
  RunCases(cases);
}

TEST(RewritePage, RelativeReplacementsFollowThePageOrTheBaseUrl) {
  struct RelCase {
    const char* name;
    bool useBase;
    bool baseAsRoot;
    std::string baseUrl;
    std::string page;
    std::string replacement;
    std::string expected;
  };
  const std::string html = "<img src=old.gif>";
  const std::vector<RelCase> cases = {
      {"relative to the page", false, true, "", kPage, "|||file:///site/www/img/b.gif",
       "<img src=../img/b.gif>"},
      {"base URL off: relative even with the root option", false, true, "http://x.org", kPage,
       "|||file:///site/www/img/b.gif", "<img src=../img/b.gif>"},
      {"base URL plus the path from the root", true, true, "http://x.org", kPage,
       "|||file:///site/www/img/b.gif", "<img src=http://x.org/img/b.gif>"},
      {"a base URL ending in a slash gets no second one", true, true, "http://x.org/w/", kPage,
       "|||file:///site/www/img/b.gif", "<img src=http://x.org/w/img/b.gif>"},
      {"base URL without the root option: relative", true, false, "http://x.org", kPage,
       "|||file:///site/www/img/b.gif", "<img src=../img/b.gif>"},
      {"outside the root: relative to the page", true, true, "http://x.org", kPage,
       "|||file:///site/other/b.gif", "<img src=../../other/b.gif>"},
      {"a quoted target with the base URL is quoted as a whole", true, true, "http://x.org", kPage,
       "|||\"file:///site/www/img/b.gif\"", "<img src=\"http://x.org/img/b.gif\">"},
      {"a quoted target relative to the page", false, true, "", kPage,
       "|||\"file:///site/www/a/b.gif\"", "<img src=\"b.gif\">"},
      {"an empty base URL is not used", true, true, "", kPage, "|||file:///site/www/img/b.gif",
       "<img src=../img/b.gif>"},
  };
  for (const RelCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(c.page);
    f.session.Search.UseBaseUrl = c.useBase;
    f.session.Search.BaseUrl = c.baseUrl;
    f.session.Processing.UseBaseUrlAsRoot = c.baseAsRoot;
    f.Add({TagRow(html, "<img", "old.gif", "old.gif", c.replacement)});
    EXPECT_EQ(f.Run(html, {}), c.expected);
  }
}

TEST(RewritePage, WindowsPathsAreMadeRelativeToThePage) {
  SearchSession session(PathStyle::Windows);
  session.FileList.Append("C:\\site\\a\\page.htm");
  const std::string html = R"(<a href="x.htm">x</a>)";
  LinkEntry row = TagRow(html, "<a", "\"x.htm\"", "x.htm", "|||C:\\site\\img\\b.htm");
  session.LinkTable.push_back(row);
  std::vector<std::uint8_t> out;
  RewriteOne(session, {}, testing::AnsiView(html), 0, out);
  EXPECT_EQ(std::string(out.begin(), out.end()), R"(<a href="../img/b.htm">x</a>)");
}

TEST(RewritePage, DeletionRulesPerTagAndTextLinkMode) {
  using TL = TextLinkModeKind;
  struct DelCase {
    const char* name;
    std::string page;
    std::string tag;
    std::string value;
    std::string replacement;  // "" or two double quotes
    std::string toText;       // expected under convert-to-text
    std::string makeEmpty;    // expected under make-empty
  };
  const std::vector<DelCase> cases = {
      {"A: tags removed, text kept; or \"#\"", "<p><a href=\"gone.htm\">\nLink</a> after</p>", "<a",
       "\"gone.htm\"", "", "<p>Link after</p>", "<p><a href=\"#\">\nLink</a> after</p>"},
      {"unquoted A", "<a href=gone.htm>L</a>!", "<a", "gone.htm", "\"\"", "L!", "<a href=#>L</a>!"},
      {"AREA", "<area href=\"gone.htm\">", "<area", "\"gone.htm\"", "", "<area href=\"#\">",
       "<area href=\"#\">"},
      {"LINK", "<LINK rel=x href='g.css'>", "<LINK", "'g.css'", "", "<LINK rel=x href='#'>",
       "<LINK rel=x href='#'>"},
      {"STYLE", "<style src=\"x.css\">body{}</style>.", "<style", "\"x.css\"", "", "body{}.",
       "<style src=\"#\">body{}</style>."},
      {"SCRIPT", "<script src=\"gone.js\"></script>rest", "<script", "\"gone.js\"", "", "rest",
       "<script src=\"\"></script>rest"},
      {"IFRAME", "<iframe src=\"x.htm\">inner</iframe>", "<iframe", "\"x.htm\"", "", "inner",
       "<iframe src=\"\">inner</iframe>"},
      {"EMBED", "<embed src=x.swf></embed>z", "<embed", "x.swf", "\"\"", "z",
       "<embed src=\"\"></embed>z"},
      {"APPLET", "<applet code=\"A.class\">alt</applet>", "<applet", "\"A.class\"", "", "alt",
       "<applet code=\"\">alt</applet>"},
      {"BGSOUND without closing tag: only its tag goes", "<bgsound src=\"x.wav\"><p>rest</p>",
       "<bgsound", "\"x.wav\"", "", "<p>rest</p>", "<bgsound src=\"\"><p>rest</p>"},
      {"IMG per image mode", "<img src=\"gone.gif\">", "<img", "\"gone.gif\"", "", "<img src=\"\">",
       "<img src=\"\">"},
      {"unquoted IMG gets quotes", "<img src=gone.gif>", "<img", "gone.gif", "\"\"",
       "<img src=\"\">", "<img src=\"\">"},
      {"BODY per background mode", "<body background=\"g.gif\">", "<body", "\"g.gif\"", "",
       "<body background=\"\">", "<body background=\"\">"},
      {"TD", "<td background=g.gif>", "<td", "g.gif", "\"\"", "<td background=\"\">",
       "<td background=\"\">"},
      {"other tags are emptied", "<frame src=\"gone.htm\">", "<frame", "\"gone.htm\"", "",
       "<frame src=\"\">", "<frame src=\"\">"},
      {"a tag whose name only begins like A is no text link", "<abbr cite=\"g.htm\">x</abbr>",
       "<abbr", "\"g.htm\"", "", "<abbr cite=\"\">x</abbr>", "<abbr cite=\"\">x</abbr>"},
      {"a text link that is never closed: emptied", "x<a href=\"g.htm\"", "<a", "\"g.htm\"", "",
       "x<a href=\"#\"", "x<a href=\"#\""},
  };
  for (const DelCase& c : cases) {
    for (const TL mode : {TL::ConvertToText, TL::MakeEmpty}) {
      SCOPED_TRACE(std::string(c.name) + (mode == TL::ConvertToText ? " / to text" : " / empty"));
      Fixture f;
      f.Add({TagRow(c.page, c.tag, c.value, "gone", c.replacement)});
      EXPECT_EQ(f.Run(c.page, Deleting(mode)), mode == TL::ConvertToText ? c.toText : c.makeEmpty);
    }
  }
}

TEST(RewritePage, DeletedUrlsOutsideTagsAreEmptied) {
  const std::vector<Case> cases = {
      {"style url(", "b { background: url(gone.gif) }",
       [](auto p) { return std::vector{FreeRow(p, kTagPosStyle, "(gone.gif)", "gone.gif", "")}; },
       Deleting(), "b { background: url() }"},
      {"script string", R"(x = "http://gone/";)",
       [](auto p) { return std::vector{FreeRow(p, kTagPosScript, "\"http://gone/\"", "u", "")}; },
       Deleting(), R"(x = "";)"},
  };
  RunCases(cases);
}

TEST(RewritePage, DeletedPicturesGetTheReplacementUrl) {
  struct PicCase {
    const char* name;
    std::string page;
    std::string tag;
    std::string value;
    std::string replacement;
    std::string url;
    bool relative;
    std::string expected;
  };
  const std::vector<PicCase> cases = {
      {"IMG, file URL made relative", "<img src=\"gone.gif\">", "<img", "\"gone.gif\"", "",
       "file:///site/www/img/none.gif", true, "<img src=\"../img/none.gif\">"},
      {"IMG, file URL in any letter case", "<img src=\"gone.gif\">", "<img", "\"gone.gif\"", "",
       "FILE:///site/www/a/none.gif", true, "<img src=\"none.gif\">"},
      {"IMG, unquoted value gets quotes", "<img src=gone.gif>", "<img", "gone.gif", "\"\"",
       "file:///site/www/img/none.gif", true, "<img src=\"../img/none.gif\">"},
      {"IMG, quoted file URL made relative", "<img src=gone.gif>", "<img", "gone.gif", "\"\"",
       "\"file:///site/www/img/none.gif\"", true, "<img src=\"../img/none.gif\">"},
      {"IMG, relative off: as typed", "<img src=\"gone.gif\">", "<img", "\"gone.gif\"", "",
       "file:///site/www/img/none.gif", false, "<img src=\"file:///site/www/img/none.gif\">"},
      {"IMG, Internet URL as typed", "<img src='gone.gif'>", "<img", "'gone.gif'", "",
       "http://x.org/none.gif", true, "<img src='http://x.org/none.gif'>"},
      {"INPUT", "<input type=image src=\"g.gif\">", "<input", "\"g.gif\"", "",
       "file:///site/www/img/bg.gif", true, "<input type=image src=\"../img/bg.gif\">"},
      {"TABLE", "<table background=g.gif>", "<table", "g.gif", "\"\"", "http://x.org/bg.gif", true,
       "<table background=\"http://x.org/bg.gif\">"},
      {"TR", "<tr background='g.gif'>", "<tr", "'g.gif'", "", "bg.gif", true,
       "<tr background='bg.gif'>"},
  };
  for (const PicCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.Add({TagRow(c.page, c.tag, c.value, "gone", c.replacement)});
    Opts o = Deleting();
    const bool image = c.tag == "<img";
    (image ? o.Deletion.ImageLinkMode : o.Deletion.BackgroundLinkMode) =
        ImageLinkModeKind::ReplaceWithUrl;
    (image ? o.Deletion.ImageReplacementUrl : o.Deletion.BackgroundReplacementUrl) = c.url;
    (image ? o.Deletion.ImageReplacementRelative : o.Deletion.BackgroundReplacementRelative) =
        c.relative;
    // The other group's replacement must not be used.
    (image ? o.Deletion.BackgroundReplacementUrl : o.Deletion.ImageReplacementUrl) = "WRONG";
    EXPECT_EQ(f.Run(c.page, o), c.expected);
  }
}

TEST(RewritePage, WithoutLinkDeletionDeletionsChangeNothingButAreCounted) {
  const std::string page = R"(<a href="g.htm">x</a><img src=g.gif><a href="o.htm">y</a>)";
  Fixture f;
  f.Add({TagRow(page, "<a", "\"g.htm\"", "g.htm", ""),
         TagRow(page, "<img", "g.gif", "g.gif", "\"\""),
         TagRow(page, "<a href=\"o", "\"o.htm\"", "o.htm", "n.htm")});
  int count = 0;
  EXPECT_EQ(f.Run(page, {}, &count),
            R"(<a href="g.htm">x</a><img src=g.gif><a href="n.htm">y</a>)");
  EXPECT_EQ(count, 3);
}

TEST(RewritePage, RowsOfARemovedLinkAreDroppedAndTheirFixesForgotten) {
  const std::string page =
      R"X(<p><a href="gone.htm" onclick="open('http:/x.com')">text</a> <a href="www.y.com">y</a></p>)X";
  for (const auto mode : {TextLinkModeKind::ConvertToText, TextLinkModeKind::MakeEmpty}) {
    SCOPED_TRACE(mode == TextLinkModeKind::ConvertToText ? "to text" : "make empty");
    Fixture f;
    // Table order is not position order: the fix in the onclick comes first.
    f.Add({TagRow(page, "<a", "'http:/x.com'", "http:/x.com", "http://x.com"),
           AddTargetRow(page, "<a", "gone.htm", ":::\"_blank\""),
           TagRow(page, "<a", "\"gone.htm\"", "gone.htm", ""),
           TagRow(page, "<a href=\"www", "\"www.y.com\"", "www.y.com", "http://www.y.com")});
    f.session.FixList = {0, 3};
    int count = 0;
    const std::string out = f.Run(page, Deleting(mode), &count);
    EXPECT_EQ(count, 4);
    if (mode == TextLinkModeKind::ConvertToText) {
      EXPECT_EQ(out, R"(<p>text <a href="http://www.y.com">y</a></p>)");
      EXPECT_EQ(f.session.FixList, (std::vector<std::int32_t>{3}));
      EXPECT_EQ(f.session.LinkTable[0].ValuePos, -1);
      EXPECT_EQ(f.session.LinkTable[1].ValuePos, -1);
      EXPECT_EQ(f.session.LinkTable[2].ValuePos, -1);
      EXPECT_GE(f.session.LinkTable[3].ValuePos, 0);
    } else {
      EXPECT_EQ(out, R"X(<p><a target="_blank" href="#" onclick="open('http://x.com')">text</a> )X"
                     R"(<a href="http://www.y.com">y</a></p>)");
      EXPECT_EQ(f.session.FixList, (std::vector<std::int32_t>{0, 3}));
    }
  }
}

// A site whose pages each lose a fix with a removed link: forgetting those fixes takes time in
// proportion to the pages, not to the pages times the fixes.
TEST(PageRewriter, DroppedFixesOfManyPagesAreForgottenInLinearTime) {
  constexpr int kPages = 40000;
  const std::string page = R"X(<a href="gone.htm" onclick="open('http:/x.com')">t</a>)X";
  SearchSession session(PathStyle::Posix);
  for (int i = 0; i < kPages; ++i) {
    session.FileList.Append("/site/p" + std::to_string(i) + ".htm");
    LinkEntry fix = TagRow(page, "<a", "'http:/x.com'", "http:/x.com", "http://x.com");
    LinkEntry gone = TagRow(page, "<a", "\"gone.htm\"", "gone.htm", "");
    fix.FileIndex = gone.FileIndex = i;
    session.FixList.push_back(static_cast<std::int32_t>(session.LinkTable.size()));
    session.LinkTable.push_back(std::move(fix));
    session.LinkTable.push_back(std::move(gone));
  }
  PageRewriter rewriter(session, Deleting());
  std::vector<std::uint8_t> out;
  for (int i = 0; i < kPages; ++i) {
    out.clear();
    rewriter.RewritePage(testing::AnsiView(page), i, out);
  }
  rewriter.ForgetDroppedFixes();
  EXPECT_EQ(std::string(out.begin(), out.end()), "t");
  EXPECT_TRUE(session.FixList.empty());
}

TEST(RewritePage, ClosingTagsOfRemovedElements) {
  const std::vector<Case> cases = {
      {"</ABBR> is not the closing tag of A", R"(<a href="g.htm">A <abbr>x</abbr> b</A>.)",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"g.htm\"", "g.htm", "")}; }, Deleting(),
       "A <abbr>x</abbr> b."},
      {"a closing tag with a blank or line break before its '>'",
       "<a href=\"g.htm\">x</a\n>y<iframe src=\"f.htm\">z</IFRAME >!",
       [](auto p) {
         return std::vector{TagRow(p, "<a", "\"g.htm\"", "g.htm", ""),
                            TagRow(p, "<iframe", "\"f.htm\"", "f.htm", "")};
       },
       Deleting(), "xyz!"},
      {"no closing tag: nothing more is removed", "<a href=\"g.htm\">text<p>more",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"g.htm\"", "g.htm", "")}; }, Deleting(),
       "text<p>more"},
      {"a closing tag at the very end of the page", "<a href=\"g.htm\">text</a>",
       [](auto p) { return std::vector{TagRow(p, "<a", "\"g.htm\"", "g.htm", "")}; }, Deleting(),
       "text"},
      {"two removed links", "<a href=g1>one</a> <a href=g2>two</a>",
       [](auto p) {
         return std::vector{TagRow(p, "<a href=g2", "g2", "g2", ""),
                            TagRow(p, "<a", "g1", "g1", "")};
       },
       Deleting(), "one two"},
      {"a row inside a removed link comes before its closing tag",
       R"(<a href="g.htm">see <img src="old.gif"></a> end)",
       [](auto p) {
         return std::vector{TagRow(p, "<img", "\"old.gif\"", "old.gif", "new.gif"),
                            TagRow(p, "<a", "\"g.htm\"", "g.htm", "")};
       },
       Deleting(), R"(see <img src="new.gif"> end)"},
      {"a removed element inside a removed link", R"(<a href=g>x<embed src=E>y</embed>z</a>.)",
       [](auto p) {
         return std::vector{TagRow(p, "<a", "g", "g", "\"\""),
                            TagRow(p, "<embed", "E", "E", "\"\"")};
       },
       Deleting(), "xyz."},
  };
  RunCases(cases);
}

TEST(RewritePage, RowsAreAppliedInPositionOrderAndOverlapsSkipped) {
  const std::string page = R"(<img src="a.gif"><a href="b.htm">x</a><a href="c.htm">y</a>)";
  Fixture f;
  // Ties keep table order: of the two rows at c.htm the first in the table is written.
  f.Add({TagRow(page, "<a", "\"b.htm\"", "b.htm", "B.htm"),
         TagRow(page, "<a href=\"c", "\"c.htm\"", "c.htm", "first.htm"),
         TagRow(page, "<a href=\"c", "\"c.htm\"", "c.htm", "second.htm"),
         TagRow(page, "<img", "\"a.gif\"", "a.gif", "A.gif")});
  // A row that starts inside the span of another is passed over.
  LinkEntry inside = TagRow(page, "<a", "b.htm", "b", "XX");
  f.Add({inside});
  // Rows of other files and rows that do not fit the text are not applied.
  LinkEntry other = TagRow(page, "<img", "\"a.gif\"", "a.gif", "OTHER");
  f.session.FileList.Append("/site/www/other.htm");
  f.Add({other}, 1);
  LinkEntry beyond = TagRow(page, "<a href=\"c", "\"c.htm\"", "c.htm", "far.htm");
  beyond.SpanLength = 400;
  f.Add({beyond});
  int count = 0;
  EXPECT_EQ(f.Run(page, {}, &count),
            R"(<img src="A.gif"><a href="B.htm">x</a><a href="first.htm">y</a>)");
  EXPECT_EQ(count, 6);
}

TEST(RewritePage, GatheredRowsAreInValuePosOrderWithTiesInTableOrder) {
  SearchSession s;
  s.FileList.Append("/a.htm");
  s.FileList.Append("/b.htm");
  const std::vector<std::pair<int, int>> rows = {{0, 50}, {1, 5}, {0, 10}, {0, 50}, {0, 10}};
  for (const auto& [file, pos] : rows) {
    LinkEntry e;
    e.FileIndex = file;
    e.ValuePos = pos;
    s.LinkTable.push_back(e);
  }
  const auto byFile = GatherRowsByFile(s);
  EXPECT_EQ(byFile[0], (std::vector<std::int32_t>{2, 4, 0, 3}));
  EXPECT_EQ(byFile[1], (std::vector<std::int32_t>{1}));
}

TEST(RewritePage, APageWithoutRowsIsWrittenUnchanged) {
  std::string page = "<html>\r\n<a href=\"x.htm\">\xE9\x00\xFF</a></html";
  page.push_back('\0');
  Fixture f;
  EXPECT_EQ(f.Run(page, Deleting()), page);
  EXPECT_EQ(f.Run("", Deleting()), "");
}

// UTF-16: the same page as single-byte text gives the same result in UTF-16, in the file's own
// byte order.
TEST(RewritePage, Utf16PagesAreRewrittenInUtf16InTheirOwnByteOrder) {
  const std::string page =
      "<p><a href=\"gone.htm\">\nLink</a> <A HREF=x.htm>y</A> <img src='old.gif'></p>";
  const std::string expected =
      "<p>Link <A target=\"_blank\" HREF=\"caf\xC3\xA9.htm\">y</A> <img "
      "src='\xE2\x82\xAC.gif'></p>";
  auto rowsOf = [&](std::string_view p) {
    return std::vector{TagRow(p, "<a", "\"gone.htm\"", "gone.htm", ""),
                       TagRow(p, "<A", "x.htm", "x.htm", "\"caf\xC3\xA9.htm\""),
                       AddTargetRow(p, "<A", "x.htm", ":::\"_blank\""),
                       TagRow(p, "<img", "'old.gif'", "old.gif", "\xE2\x82\xAC.gif")};
  };
  {
    Fixture ansi;
    ansi.Add(rowsOf(page));
    ASSERT_EQ(ansi.Run(page, Deleting()), expected);
  }
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
    Fixture f;
    auto rows = rowsOf(page);
    for (auto& r : rows) {  // one BOM, then two bytes per character
      if (r.TagPos >= 0) r.TagPos = 2 + 2 * r.TagPos;
      r.ValuePos = 2 + 2 * r.ValuePos;
    }
    f.Add(rows);
    std::vector<std::uint8_t> text = Utf16Bytes(page, bigEndian);
    if (bigEndian) ByteSwapText(text.data(), text.size());  // as the search read it
    const FileEncoding enc = bigEndian ? FileEncoding::Utf16Be : FileEncoding::Utf16Le;
    std::vector<std::uint8_t> out;
    EXPECT_EQ(RewriteOne(f.session, Deleting(), f.session.View(text, enc), 0, out), 4);
    EXPECT_EQ(out, Utf16Bytes(expected, bigEndian));
  }
}

TEST(RewritePage, Utf16ValuesFromOtherByteForms) {
  struct ValueCase {
    const char* name;
    CodePage codePage;
    std::string value;
    std::string expectedUtf8;
  };
  const std::vector<ValueCase> cases = {
      {"UTF-8 letters", CodePage::Utf8, "\xC3\xA9\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80"},
      {"a stray byte is its Latin-1 letter", CodePage::Utf8, "caf\xE9", "caf\xC3\xA9"},
      {"a cut-off sequence", CodePage::Utf8, "a\xE2\x82", "a\xC3\xA2\xC2\x82"},
      {"Windows-1252", CodePage::Windows1252, "\x80\xE9", "\xE2\x82\xAC\xC3\xA9"},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string page = "<img src=old.gif>";
    Fixture f;
    f.session.CodePage = c.codePage;
    LinkEntry row = TagRow(page, "<img", "old.gif", "old.gif", c.value);
    row.TagPos = 2 + 2 * row.TagPos;
    row.ValuePos = 2 + 2 * row.ValuePos;
    f.Add({row});
    const std::vector<std::uint8_t> text = Utf16Bytes(page, false);
    std::vector<std::uint8_t> out;
    RewriteOne(f.session, {}, f.session.View(text, FileEncoding::Utf16Le), 0, out);
    EXPECT_EQ(out, Utf16Bytes("<img src=" + c.expectedUtf8 + ">", false));
  }
}

TEST(RewritePage, AnOddTrailingByteOfAUtf16FileIsKept) {
  for (const bool bigEndian : {false, true}) {
    std::vector<std::uint8_t> text = Utf16Bytes("<a href=x>", bigEndian);
    text.push_back(0x41);
    const std::vector<std::uint8_t> original = text;
    if (bigEndian) ByteSwapText(text.data(), text.size());
    Fixture f;
    std::vector<std::uint8_t> out;
    RewriteOne(f.session, {},
               f.session.View(text, bigEndian ? FileEncoding::Utf16Be : FileEncoding::Utf16Le), 0,
               out);
    EXPECT_EQ(out, original);
  }
}

TEST(ComposeValue, QuotesComeFromTheSpan) {
  const std::string page = "x=(a.gif) y=\\\"b\\\"";
  LinkEntry paren = FreeRow(page, kTagPosStyle, "(a.gif)", "a.gif", "");
  LinkEntry escaped = FreeRow(page, kTagPosScript, "\\\"b\\\"", "b", "");
  const auto view = testing::AnsiView(page);
  const auto s = [](std::vector<std::uint8_t> v) { return std::string(v.begin(), v.end()); };
  EXPECT_EQ(s(ComposeValue(view, paren, "n")), "(n)");
  EXPECT_EQ(s(ComposeValue(view, escaped, "")), "\\\"\\\"");
}

}  // namespace
}  // namespace urlsmith
