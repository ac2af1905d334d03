// The analysis of one found URL, the Link Target Adder and the suggestions for broken links, on
// hand-made file lists in both path styles (the analysis reads no files).
#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/engine_fixtures.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::AnsiView;

constexpr RowOutcome kNoRow = RowOutcome::None;
constexpr RowOutcome kRow = RowOutcome::Added;
constexpr RowOutcome kStop = RowOutcome::Stop;

// The same small site in either path style.
const std::vector<std::string> kSiteFiles = {
    "index.htm",         // 0: the page most cases analyse
    "img/logo.gif",      // 1
    "docs/guide.htm",    // 2
    "docs/my file.htm",  // 3
    "old/logo.gif",      // 4
    "sub/page.htm",      // 5
    "docs/news.htm",     // 6: a page saved from the web
};

std::string ListedPath(PathStyle style, std::string relative) {
  if (style == PathStyle::Windows) std::replace(relative.begin(), relative.end(), '/', '\\');
  return (style == PathStyle::Windows ? "C:\\site\\" : "/srv/site/") + relative;
}
// Replaces "{FILE}" by the file URL of the site's root folder.
std::string Expand(std::string text, PathStyle style) {
  for (std::size_t at = text.find("{FILE}"); at != std::string::npos; at = text.find("{FILE}"))
    text.replace(at, 6, style == PathStyle::Windows ? "file:///C|/site/" : "file:///srv/site/");
  return text;
}

// Options of a case, off or on.
enum Flags : unsigned {
  kDefault = 0,
  kAbsolute = 1,         // URLs are made absolute
  kDeleteScripts = 2,    // script links are deleted
  kDeleteUnknown = 4,    // links of unknown schemes are deleted
  kRaw = 8,              // URLs are not canonicalized (escaped)
  kNoNames = 16,         // forgotten protocol names are not added
  kNoSlashes = 32,       // forgotten "//" are not added
  kCheckOff = 64,        // Internet URLs are not checked
  kNoByName = 128,       // no suggestion by file name for Internet URLs
  kScriptText = 256,     // the value stands in script text (quoteFlag false)
  kNotBaseAsRoot = 512,  // the base URL is not the root of absolute URLs
  kBrokenLinks = 1024,   // every Internet URL checks as broken
  kBase = 2048,          // the base URL is http://www.site.com
};

struct Site {
  explicit Site(PathStyle style, unsigned flags = kDefault, std::string base = "")
      : session(style) {
    for (const auto& f : kSiteFiles)
      session.FileList.Append(ListedPath(style, f));
    session.RootPath = ListedPath(style, "");
    auto owned = std::make_unique<testing::ScriptedChecker>(
        (flags & kBrokenLinks) != 0 ? UrlVerdict::Broken : UrlVerdict::Valid);
    checker = owned.get();
    session.SetInternetChecker(std::move(owned));
    ProcessingOptions& p = session.Processing;
    if ((flags & kAbsolute) != 0) p.UrlForm = UrlFormKind::Absolute;
    p.DeleteScriptLinks = (flags & kDeleteScripts) != 0;
    p.DeleteUnknownProtocols = (flags & kDeleteUnknown) != 0;
    p.CanonicalizeUrls = (flags & kRaw) == 0;
    p.AddProtocolNames = (flags & kNoNames) == 0;
    p.AddProtocolSlashes = (flags & kNoSlashes) == 0;
    p.UseBaseUrlAsRoot = (flags & kNotBaseAsRoot) == 0;
    session.InternetCheckOff = (flags & kCheckOff) != 0;
    session.Search.SearchByFileNames = (flags & kNoByName) == 0;
    session.Search.UseBaseUrl = !base.empty() || (flags & kBase) != 0;
    session.Search.BaseUrl = (flags & kBase) != 0 ? "http://www.site.com" : base;
    quoteFlag = (flags & kScriptText) == 0;
  }
  // Analyses the value as written in <a href=VALUE> on page `page`.
  RowOutcome Analyse(const std::string& written, int page = 0) {
    html = "<a href=" + written + ">x</a>";
    return AnalyseUrl(session, view, AnsiView(html), page, 0, 8, quoteFlag);
  }
  RowOutcome At(const std::string& text, Pos tagPos, Pos valuePos, bool quoted = true,
                int file = 0) {
    html = text;
    return AnalyseUrl(session, view, AnsiView(html), file, tagPos, valuePos, quoted);
  }
  const LinkEntry& Last() const { return session.LinkTable.back(); }

  SearchSession session;
  testing::ScriptedChecker* checker = nullptr;
  NullRunView view;
  bool quoteFlag = true;
  std::string html;
};

struct Case {
  std::string written;  // the value after "href=", quotes included
  // What the analysis planned: "URL -> REPLACEMENT" for a row, with " (fix)" for an automatic
  // protocol fix, "-> REPLACEMENT" when URL is the value as written; "" for no row; "stop" when
  // the run must stop.
  std::string outcome;
  unsigned flags = kDefault;
  int page = 0;
  std::string base = "";  // the base URL, if one is used
  std::function<void(Site&)> setup = nullptr;
};

void Check(PathStyle style, const Case& c) {
  Site site(style, c.flags, c.base);
  if (c.setup) c.setup(site);
  const std::string written = Expand(c.written, style);
  const RowOutcome result = site.Analyse(written, c.page);
  std::string outcome = result == kStop ? "stop" : "";
  for (const LinkEntry& row : site.session.LinkTable) {
    outcome += row.Url + " -> " + row.Replacement;
    if (!site.session.FixList.empty()) outcome += " (fix)";
    EXPECT_EQ(row.FileIndex, c.page);
  }
  const std::size_t quoted = written[0] == '"';
  std::string want = Expand(c.outcome, style);
  if (want.starts_with("-> "))
    want = written.substr(quoted, written.size() - 2 * quoted) + " " + want;
  EXPECT_EQ(outcome, want) << written << (style == PathStyle::Windows ? " / Windows" : " / POSIX");
  EXPECT_EQ(result, c.outcome.empty() ? kNoRow : c.outcome == "stop" ? kStop : kRow);
}

std::function<void(Site&)> SavedFrom(std::string url, int page) {
  return [url, page](Site& s) { s.session.SavedFromTable.push_back({url, page}); };
}

// Cases whose rows read the same in both path styles ({FILE} stands for the root's file URL).
// clang-format off
const std::vector<Case> kCases = {
    // Script links.
    {"\"javascript:go()\"", "-> ", kDeleteScripts},
    {"VBScript:go()", "-> \"\"", kDeleteScripts},  // unquoted: two quotes
    {"about:blank", "-> ", kDeleteScripts | kScriptText},
    {"\"javascript:go('x')\"", "-> javascript:go(%27x%27)"},
    // Links that are not checked; forgotten protocol names and "//".
    {"\"mailto:my name@example.com\"", "-> mailto:my%20name@example.com"},
    {"me@example.com", "-> mailto:me@example.com"},
    {"\"john.doe@example.com\"", "-> "},  // a dotted name is no address
    {"\"me@example.com\"", "-> ", kNoNames},
    {"\"pics/me@home.jpg\"", "-> "},  // after a folder: no address
    {"\"www.example.com/a b.htm#top\"", "-> http://www.example.com/a%20b.htm#top (fix)"},
    {"FTP.example.com", "-> ftp://FTP.example.com (fix)"},
    {"http:www.example.com", "-> http://www.example.com (fix)"},
    // Without the fix the value is a relative URL naming no file.
    {"\"http:www.example.com\"", "-> ", kNoSlashes},
    // A value that begins like a replacement mark is no mark: its first character is escaped.
    {"\"|||http:www.example.com\"", "-> %7C||http://www.example.com (fix)"},
    // Internet URLs.
    {"\"http://www.example.com/a b.htm\"", "-> http://www.example.com/a%20b.htm"},
    {"\"http://www.example.com/img/logo.gif#a\"", "-> img/logo.gif#a", kBrokenLinks},
    {"\"http://www.example.com/none.gif\"", "-> ", kBrokenLinks},
    {"\"http://www.example.com/img/logo.gif\"", "-> ", kBrokenLinks | kNoByName},
    {"\"http://www.example.com/x\"", "stop", kDefault, 0, "",
     [](Site& s) { s.checker->verdicts["http://www.example.com/x"] = UrlVerdict::Stopped; }},
    {"\"https://www.example.com/img/logo.gif\"", "-> img/logo.gif", kCheckOff},
    // Pages saved from an address, looked up without fragment and trailing slash.
    {"\"HTTP://www.example.com/news.htm#n\"", "-> docs/news.htm#n", kCheckOff, 0, "",
     SavedFrom("http://www.example.com/NEWS.htm", 6)},
    {"\"http://example.com/\"", "http://example.com -> ", kCheckOff, 0, "",
     SavedFrom("http://example.com/", 6)},
    {"\"http://www.example.com/news.htm\"", "", kDefault, 0, "",  // valid: stays
     SavedFrom("http://www.example.com/news.htm", 6)},
    // Local absolute URLs.
    {"\"{FILE}docs/guide.htm#s\"", "-> docs/guide.htm#s"},
    {"\"{FILE}docs/guide.htm\"", "", kAbsolute},
    {"\"{FILE}nowhere/logo.gif\"", "-> img/logo.gif"},
    // Relative URLs.
    {"docs/guide.htm#x", "-> {FILE}docs/guide.htm#x", kAbsolute},
    {"\"docs/guide.htm\"", "-> http://www.site.com:8080/docs/guide.htm", kAbsolute, 0,
     "http://www.site.com:8080/"},
    {"\"docs/guide.htm\"", "-> {FILE}docs/guide.htm", kAbsolute | kNotBaseAsRoot | kBase},
    {"\"docs/my file.htm\"", "-> docs/my%20file.htm"},
    {"\"../docs/guide.htm\"", "", kDefault, 5},
    {"\"docs/#x\"", "docs#x -> "},  // the trailing slash goes
    {"\"imgs/logo.gif\"", "-> img/logo.gif"},
    {"\"imgs/logo.gif\"", "-> img/logo.gif", kNoByName},  // suggested all the same
    {"\"nothing.htm\"", "-> "},
    {"nothing.htm", "-> \"\""},  // unquoted: deleted as two quotes
    {"other/my%20file.htm", "other/my file.htm -> \"docs/my%20file.htm\""},
    {"\"docs/guide.htm?a=1&amp;b=2\"", "docs/guide.htm?a=1&b=2 -> {FILE}docs/guide.htm?a=1&b=2",
     kAbsolute},
    {"\"imgs/logo.gif?v=2#f\"", "-> img/logo.gif?v=2#f"},  // the query names no file
    // Root-relative URLs start at the site's root folder.
    {"\"/docs/guide.htm\"", "", kDefault, 5},
    {"\"/docs/guide.htm\"", "-> {FILE}docs/guide.htm", kAbsolute, 5},
    {"\"/imgs/logo.gif\"", "-> ../img/logo.gif", kDefault, 5},
    {"\"\\docs\\guide.htm\"", "", kRaw, 5},
    // The base URL.
    {"\"http://WWW.SITE.COM/docs/guide.htm#t\"", "-> docs/guide.htm#t", kBase},
    {"\"http://www.site.com/docs/guide.htm\"", "-> docs/guide.htm", kDefault, 0,
     "http://www.site.com/"},
    {"\"http://www.site.com/images/logo.gif\"", "-> img/logo.gif", kBase},
    {"\"http://www.site.com/docs/guide.htm\"", "", kAbsolute | kBase},
    {"\"http://www.site.com/~me/docs/guide.htm\"", "-> docs/guide.htm", kDefault, 0,
     "http://www.site.com/%7Eme"},
    {"\"http://www.site.com.example.org/docs/guide.htm\"", "", kBase},
    // Other schemes.
    {"\"telnet://host\"", "-> ", kDeleteUnknown},
    {"\"irc://host/a b\"", "-> irc://host/a%20b"},
};
// clang-format on

TEST(Analysis, EveryClassificationInBothPathStyles) {
  for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    // Values that need nothing: not checked, found, or valid.
    for (const std::string written :
         {"\"\"", "mailto:me@example.com", "news:comp.lang", "view-source:x.htm",
          "\"javascript:go()\"", "\"docs/guide.htm?t=10:30\"", "\"http://www.example.com/\"",
          "\"http://user@www.example.com/x.htm\"", "\"DOCS/Guide.HTM#a\"",
          "\"//cdn.example.com/lib/logo.gif\"", "\"telnet://host\""})
      Check(style, {written, ""});
    for (const Case& c : kCases)
      Check(style, c);
  }
  // Drive paths get the file protocol.
  for (const Case& c :
       std::vector<Case>{{"D:\\a\\b.htm", "-> file:///D|/a/b.htm (fix)"},
                         {"\"d:/a/b c.htm\"", "-> file:///d|/a/b%20c.htm (fix)"},
                         {"D:\\a.htm", "-> D://%5Ca.htm (fix)", kNoNames},  // then the slashes rule
                         {"\"D:\\\\a.htm\"", "-> D://%5C%5Ca.htm (fix)"}})  // no UNC drive path
    Check(PathStyle::Windows, c);
  Check(PathStyle::Posix, {"D:\\a\\b.htm", "-> file:///D:/a/b.htm (fix)"});
  Check(PathStyle::Posix, {"\"img/logo.gif\"", "-> file:///srv/site/img/logo.gif", kAbsolute});
}

// Where a row stands: at the value and its quotes (the scanner tests try every quote form).
TEST(Analysis, RowsRecordWhereTheValueStands) {
  Site site(PathStyle::Windows);
  const struct {
    std::string text;
    int file;
    Pos tagPos;
    char valueAt;  // the value starts at the first of these
    bool quoted;
    std::string url, replacement;
    int span, quote;
  } cases[] = {
      // clang-format off
      {"<p><img alt=x src='nothing.gif'>", 5, 3, '\'', true, "nothing.gif", "", 13, 1},
      // Style values: a '(' value needs no quotes of its own; quotes and blanks inside the
      // parentheses are no part of the address.
      {"body{background:url(my%20file.htm)}", 0, kTagPosStyle, '(', true, "my file.htm",
       "docs/my%20file.htm", 15, 1},
      {"x{background:url(gone.gif)}", 0, kTagPosStyle, '(', false, "gone.gif", "", 10, 1},
      {"x{background:url( 'gone.gif' )}", 0, kTagPosStyle, '(', false, "gone.gif", "", 14, 1},
      // clang-format on
  };
  for (const auto& c : cases) {
    const Pos valuePos = static_cast<Pos>(c.text.find(c.valueAt, 1));
    ASSERT_EQ(site.At(c.text, c.tagPos, valuePos, c.quoted, c.file), kRow) << c.text;
    const LinkEntry& row = site.Last();
    EXPECT_EQ(std::make_tuple(row.FileIndex, row.TagPos, row.ValuePos, row.Url, row.Replacement,
                              row.SpanLength, row.QuoteLength),
              std::make_tuple(c.file, c.tagPos, valuePos, c.url, c.replacement, c.span, c.quote))
        << c.text;
  }
  // A quoted style value of a listed file is found; an unreadable value gives no row.
  EXPECT_EQ(site.At("x{background:url(\"img/logo.gif\")}", kTagPosStyle, 16, false), kNoRow);
  EXPECT_TRUE(site.session.FileList.referenced(1));
  EXPECT_EQ(site.At("<a href=\"never closed", 0, 8), kNoRow);
  EXPECT_EQ(site.At("<a href=\"never closed", 0, 500), kNoRow);
  EXPECT_EQ(site.session.LinkCount(), 4);
}

TEST(Analysis, WhatTheInternetCheckIsAsked) {
  Site site(PathStyle::Windows);
  // Without fragment and trailing slash; network paths and unchecked URLs are not asked.
  EXPECT_EQ(site.Analyse("\"http://www.example.com/dir/#part\""), kNoRow);
  EXPECT_EQ(site.Analyse("\"//www.example.com/img/logo.gif\""), kNoRow);
  EXPECT_FALSE(site.session.FileList.referenced(1));
  site.session.InternetCheckOff = true;
  // Not checked and nothing of that name: the link is planned for deletion.
  EXPECT_EQ(site.Analyse("\"http://www.example.com/x.gif\""), kRow);
  EXPECT_EQ(site.Last().Replacement, "");
  EXPECT_EQ(site.checker->asked, std::vector<std::string>{"http://www.example.com/dir"});
  // A session without a checker checks nothing either.
  Site bare(PathStyle::Windows);
  bare.session.SetInternetChecker(nullptr);
  EXPECT_EQ(bare.Analyse("\"http://www.example.com/img/logo.gif\""), kRow);
  EXPECT_EQ(bare.Last().Replacement, "img/logo.gif");
}

TEST(Analysis, MarksFixesAndAFullTable) {
  Site site(PathStyle::Posix);
  EXPECT_EQ(site.Analyse("\"docs/guide.htm\""), kNoRow);
  EXPECT_EQ(site.Analyse("\"imgs/logo.gif\""), kRow);  // suggested
  EXPECT_EQ(site.Analyse("\"nothing.htm\""), kRow);
  EXPECT_EQ(site.Analyse("www.example.com"), kRow);
  EXPECT_EQ(site.Analyse("me@example.com"), kRow);  // not a fix
  EXPECT_EQ(site.Analyse("http:example.com"), kRow);
  for (int i = 0; i < site.session.FileList.size(); ++i)
    EXPECT_EQ(site.session.FileList.referenced(i), i == 1 || i == 2) << i;
  EXPECT_EQ(site.session.FixList, (std::vector<std::int32_t>{2, 4}));

  site.session.LinkTable.resize(kMaxLinkRows);
  EXPECT_EQ(site.Analyse("\"nothing.htm\""), kStop);
  EXPECT_TRUE(site.session.TableFull);
  EXPECT_EQ(site.session.LinkCount(), kMaxLinkRows);
  EXPECT_EQ(site.Analyse("\"docs/guide.htm\""), kNoRow);  // a link that needs nothing is fine
  site.session.RunReset();
  EXPECT_EQ(site.session.LinkCount(), 0);
  EXPECT_FALSE(site.session.TableFull);
  EXPECT_TRUE(site.session.FixList.empty());
}

TEST(Analysis, LongValuesAndPaths) {
  for (PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    Site site(style);
    // A value far longer than any path buffer: broken, nothing to suggest.
    const std::string longName(70000, 'a');
    EXPECT_EQ(site.Analyse("\"" + longName + "/x.htm\""), kRow);
    EXPECT_EQ(site.Last().Replacement, "");
    EXPECT_EQ(site.Last().Url, longName + "/x.htm");
    // A listed file whose path is too long for the platform is never found by a join; the
    // suggestion by name still finds it, and spells the link as it was (so no row).
    const std::string folder(MaxPathLength(style), 'f');
    const int listed = site.session.FileList.Append(ListedPath(style, folder + "/deep.gif"));
    EXPECT_EQ(site.Analyse("\"" + folder + "/deep.gif\""), kNoRow);
    EXPECT_EQ(site.session.LinkCount(), 1);
    EXPECT_TRUE(site.session.FileList.referenced(listed));
    const std::string spaced(50000, ' ');
    EXPECT_EQ(site.Analyse("\"mailto:" + spaced + "\""), kRow);
    EXPECT_EQ(site.Last().Replacement.size(), 7 + 3 * spaced.size());
  }
}

// ---- Link Target Adder --------------------------------------------------------------------

// Links as "URL" or "URL -> REPLACEMENT" (the replacement, when there is one, is what is judged).
TEST(TargetAdder, QualificationByMode) {
  const struct {
    TargetMode mode;
    std::vector<std::string> qualify, others;
  } cases[] = {
      {TargetMode::AllExternal,
       {"http://www.example.com/", "FTP://ftp.example.com/",
        "x.htm -> http://www.example.com/x.htm", "http://www.example.com/ -> ",
        "www.example.com -> \"http://www.example.com\"", "x.htm -> |||http://www.example.com/"},
       {"docs/guide.htm", "FILE:///C|/x.htm", "HTTP://WWW.SITE.COM/a.htm" /* the base URL */,
        "http://www.example.com/ -> \"\"" /* deleted */}},
      {TargetMode::ImageFiles,
       {"pics/a.JPG", "a.jpeg", "a.png?v=1", "a.bmp#x", "a.htm -> img/a.gif"},
       {"a.gif.htm", "gif.dir/a"}},
      {TargetMode::CustomMask, {"a.jpg"}, {"a.JPG" /* masks are exact */, "a.gif"}},
      {TargetMode::NoSelection, {"", "anything"}, {}},
  };
  SearchSession session(PathStyle::Windows);
  session.Search.UseBaseUrl = true;
  session.Search.BaseUrl = "http://www.site.com";
  auto qualifies = [&](const std::string& link) {
    const std::size_t arrow = link.find(" -> ");
    const std::string replacement = arrow == std::string::npos ? "" : link.substr(arrow + 4);
    return TargetAdderQualifies(session, link.substr(0, arrow),
                                arrow == std::string::npos ? nullptr : &replacement);
  };
  for (const auto& c : cases) {
    session.Processing.TargetAdderMode = c.mode;
    for (const std::string& link : c.qualify)
      EXPECT_TRUE(qualifies(link)) << link;
    for (const std::string& link : c.others)
      EXPECT_FALSE(qualifies(link)) << link;
  }
  session.Processing.TargetUrlMask = "*.gif;*.png";
  EXPECT_TRUE(qualifies("x.png"));
  session.Processing.TargetAdderMode = TargetMode::AllExternal;
  session.Search.UseBaseUrl = false;
  EXPECT_TRUE(qualifies("HTTP://WWW.SITE.COM/a.htm"));
}

// ---- Suggestions: the listed file of the same name a broken link most likely meant ----------

struct Suggestion {
  PathStyle style;
  std::string files;  // the listed files, separated by blanks
  std::string pathOrUrl;
  int expected;
  int startIndex = 0;
  int fromFile = -1;  // the page that holds the link
};

TEST(Suggestion, TheNearestFileOfTheSameNameWins) {
  constexpr PathStyle W = PathStyle::Windows;
  constexpr PathStyle P = PathStyle::Posix;
  const std::string win = R"(D:\site\a\img\logo.gif)";
  const std::string posix = "/srv/site/a/img/logo.gif";
  const std::string url = "http://www.example.com/img/logo.gif";
  const Suggestion cases[] = {
      // clang-format off
      // Local paths: the fewest steps up and down; the earlier file on a tie.
      {W, R"(D:\site\a\pics\logo.gif D:\site\logo.gif)", win, 0},
      {W, R"(D:\site\logo.gif D:\site\a\pics\logo.gif)", win, 0},
      {W, R"(D:\site\a\pics\logo.gif D:\site\logo.gif D:\site\a\img\sub\logo.gif)", win, 2},
      {W, R"(D:\site\a\img\logo.png D:\site\x\logo.gif)", win, 1},  // another name: no candidate
      {W, R"(D:\site\a\LOGO.GIF)", win, 0}, {W, R"(D:\site\a\img\other.gif)", win, -1},
      {W, R"(E:\a\b\c\logo.gif D:\site\logo.gif)", win, 1},  // another drive: its absolute path
      {W, "", win, -1}, {W, R"(D:\site\logo.gif)", win, -1, 1},  // start index past the end
      {W, R"(D:\site\a\img\sub\logo.gif D:\site\logo.gif)", win, 1, 1},  // start index skips
      {P, "/srv/site/a/pics/logo.gif /srv/site/logo.gif /srv/site/a/img/sub/logo.gif", posix, 2},
      {P, "/srv/site/Logo.Gif", posix, 0},
      {P, "/other/logo.gif /srv/site/a/b/c/d/logo.gif", posix, 0},  // only the root shared
      // Equal steps: the folder that matches wins over the page itself, which is never suggested;
      // then the longer shared tail of folders, ignoring case.
      {P, "/m/de/bind.html /m/pt-br/bind.html", "/m/de/../../pt-br/bind.html", 1, 0, 0},
      {P, "/m/pt-br/bind.html /m/da/bind.html", "/m/pt-br/../../pt-br/bind.html", -1, 0, 0},
      {P, "/m/da/bind.html", "/m/da/../../pt-br/bind.html", -1, 0, 0},
      {P, "/s/x/en/a.htm /s/y/fr/a.htm", "/s/z/FR/a.htm", 1},
      // Internet URLs: the longest common tail of folders (letters of another case end it), the
      // earlier on a tie, never the page that holds the link; a query is part of the name.
      {W, R"(D:\site\old\logo.gif D:\site\img\logo.gif)", url, 1},
      {W, R"(D:\a\img\logo.gif D:\b\img\logo.gif)", url, 0},
      {W, R"(D:\a\img\logo.gif D:\b\old\logo.gif)", url, -1, 0, 0},
      {W, R"(D:\site\IMG\logo.gif D:\x\img\logo.gif)", url, 1},
      {W, R"(D:\site\img\LOGO.GIF)", url, -1},
      {W, R"(D:\site\page.php)", "http://www.example.com/page.php?id=1", -1},
      {W, R"(D:\site\docs\index.htm D:\site\docs)", "http://www.example.com/docs", 1},
      {W, R"(D:\site\img\logo.gif D:\old\logo.gif)", url, 1, 1},
      {P, "/srv/old/logo.gif /srv/site/img/logo.gif", url, 1},
      // clang-format on
  };
  for (const Suggestion& c : cases) {
    SCOPED_TRACE(c.files + " / " + c.pathOrUrl);
    SearchSession session(c.style);
    for (std::size_t at = 0, end = 0; at < c.files.size(); at = end + 1) {
      end = std::min(c.files.find(' ', at), c.files.size());
      session.FileList.Append(c.files.substr(at, end - at));
    }
    EXPECT_EQ(SuggestReplacement(session, c.pathOrUrl, c.startIndex, c.fromFile), c.expected);
    for (int i = 0; i < session.FileList.size(); ++i)
      EXPECT_EQ(session.FileList.referenced(i), i == c.expected) << "mark of " << i;
  }
}

}  // namespace
}  // namespace urlsmith
