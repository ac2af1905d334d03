#include "engine/analysis.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/internet_check.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::AnsiView;

// An Internet check that answers from a script: a verdict per URL, else `fallback`.
class ScriptedChecker : public InternetChecker {
 public:
  void OpenSession() override {}
  void Reset() override {}
  UrlVerdict CheckInternetUrl(std::string_view url, RunView&) override {
    asked.emplace_back(url);
    const auto it = verdicts.find(std::string(url));
    return it == verdicts.end() ? fallback : it->second;
  }
  std::map<std::string, UrlVerdict> verdicts;
  UrlVerdict fallback = UrlVerdict::Valid;
  std::vector<std::string> asked;
};

// What an analysis did, short enough for the case tables.
constexpr RowOutcome kNoRow = RowOutcome::None;
constexpr RowOutcome kRow = RowOutcome::Added;
constexpr RowOutcome kStop = RowOutcome::Stop;

// The same small site in either path style. Files are not read by the analysis, so the list
// needs no files on disk.
const std::vector<std::string> kSiteFiles = {
    "index.htm",         // 0: the page most cases analyse
    "img/logo.gif",      // 1
    "docs/guide.htm",    // 2
    "docs/my file.htm",  // 3
    "old/logo.gif",      // 4
    "sub/page.htm",      // 5
    "docs/news.htm",     // 6: a page saved from the web
};

std::string Root(PathStyle style) {
  return style == PathStyle::Windows ? "C:\\site\\" : "/srv/site/";
}
// The file URL of the site's root folder.
std::string RootUrl(PathStyle style) {
  return style == PathStyle::Windows ? "file:///C|/site/" : "file:///srv/site/";
}

std::string ListedPath(PathStyle style, std::string relative) {
  if (style == PathStyle::Windows) std::replace(relative.begin(), relative.end(), '/', '\\');
  return Root(style) + relative;
}

// Replaces "{FILE}" by the file URL of the site root.
std::string Expand(std::string text, PathStyle style) {
  const std::string key = "{FILE}";
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key)) {
    text.replace(at, key.size(), RootUrl(style));
  }
  return text;
}

struct Site {
  explicit Site(PathStyle style) : session(style) {
    for (const auto& f : kSiteFiles)
      session.FileList.Append(ListedPath(style, f));
    session.RootPath = Root(style);
    auto owned = std::make_unique<ScriptedChecker>();
    checker = owned.get();
    session.SetInternetChecker(std::move(owned));
  }
  SearchSession session;
  ScriptedChecker* checker = nullptr;
  NullRunView view;

  // Analyses the attribute value as written in <a href=VALUE> on page `page`.
  RowOutcome Analyse(const std::string& written, int page = 0, bool quoteFlag = true) {
    html = "<a href=" + written + ">x</a>";
    return AnalyseUrl(session, view, AnsiView(html), page, 0, 8, quoteFlag);
  }
  std::string html;
};

using Setup = std::function<void(Site&)>;

struct Case {
  const char* name;
  std::string written;  // the value after "href=", quotes included
  RowOutcome result;
  std::string url;  // the row's Url when a row is expected
  std::string replacement;
  bool fix = false;
  Setup setup = nullptr;
  int page = 0;
  bool quoteFlag = true;
};

void Check(PathStyle style, const Case& c) {
  SCOPED_TRACE(std::string(c.name) + " / " + (style == PathStyle::Windows ? "Windows" : "POSIX"));
  Site site(style);
  if (c.setup) c.setup(site);
  const RowOutcome r = site.Analyse(Expand(c.written, style), c.page, c.quoteFlag);
  EXPECT_EQ(r, c.result);
  if (c.result == kRow) {
    ASSERT_EQ(site.session.LinkCount(), 1);
    const LinkEntry& row = site.session.LinkTable[0];
    EXPECT_EQ(row.Url, Expand(c.url, style));
    EXPECT_EQ(row.Replacement, Expand(c.replacement, style));
    EXPECT_EQ(row.FileIndex, c.page);
    EXPECT_EQ(site.session.FixCount(), c.fix ? 1 : 0);
    if (c.fix) {
      EXPECT_EQ(site.session.FixList[0], 0);
    }
  } else {
    EXPECT_EQ(site.session.LinkCount(), 0);
    EXPECT_EQ(site.session.FixCount(), 0);
  }
}

Setup Options(std::function<void(ProcessingOptions&)> f) {
  return [f](Site& s) { f(s.session.Processing); };
}
Setup Absolute() {
  return Options([](ProcessingOptions& p) { p.UrlForm = UrlFormKind::Absolute; });
}
Setup WithBase(std::string base, std::function<void(Site&)> more = nullptr) {
  return [base, more](Site& s) {
    s.session.Search.UseBaseUrl = true;
    s.session.Search.BaseUrl = base;
    if (more) more(s);
  };
}
Setup Verdict(std::string url, UrlVerdict verdict) {
  return [url, verdict](Site& s) { s.checker->verdicts[url] = verdict; };
}

// Cases whose rows read the same in both path styles ({FILE} stands for the root's file URL).
const std::vector<Case> kCases = {
    // Script links.
    {"script link deleted", "\"javascript:go()\"", kRow, "javascript:go()", "", false,
     Options([](ProcessingOptions& p) { p.DeleteScriptLinks = true; })},
    {"unquoted script link deleted as two quotes", "VBScript:go()", kRow, "VBScript:go()", "\"\"",
     false, Options([](ProcessingOptions& p) { p.DeleteScriptLinks = true; })},
    {"script link in script text deleted as empty", "about:blank", kRow, "about:blank", "", false,
     Options([](ProcessingOptions& p) { p.DeleteScriptLinks = true; }), 0, false},
    {"script link kept", "\"javascript:go()\"", kNoRow, "", ""},
    {"script link kept, escaped form", "\"javascript:go('x')\"", kRow, "javascript:go('x')",
     "javascript:go(%27x%27)"},
    {"script link kept, no escaping wanted", "\"javascript:go('x')\"", kNoRow, "", "", false,
     Options([](ProcessingOptions& p) { p.CanonicalizeUrls = false; })},
    // Links that are not checked.
    {"empty value", "\"\"", kNoRow, "", ""},
    {"mailto", "mailto:me@example.com", kNoRow, "", ""},
    {"mailto with a blank", "\"mailto:my name@example.com\"", kRow, "mailto:my name@example.com",
     "mailto:my%20name@example.com"},
    {"news", "news:comp.lang", kNoRow, "", ""},
    {"view-source", "view-source:x.htm", kNoRow, "", ""},
    // Forgotten protocol names.
    {"forgotten mailto", "me@example.com", kRow, "me@example.com", "mailto:me@example.com"},
    {"dotted name is no address", "\"john.doe@example.com\"", kRow, "john.doe@example.com", ""},
    {"forgotten mailto off", "\"me@example.com\"", kRow, "me@example.com", "", false,
     Options([](ProcessingOptions& p) { p.AddProtocolNames = false; })},
    {"address after a folder is no address", "\"pics/me@home.jpg\"", kRow, "pics/me@home.jpg", ""},
    {"www", "\"www.example.com/a b.htm#top\"", kRow, "www.example.com/a b.htm#top",
     "http://www.example.com/a%20b.htm#top", true},
    {"ftp", "FTP.example.com", kRow, "FTP.example.com", "ftp://FTP.example.com", true},
    // Forgotten "//".
    {"forgotten slashes", "http:www.example.com", kRow, "http:www.example.com",
     "http://www.example.com", true},
    // Without the fix the value is a relative URL naming no file.
    {"forgotten slashes off", "\"http:www.example.com\"", kRow, "http:www.example.com", "", false,
     Options([](ProcessingOptions& p) { p.AddProtocolSlashes = false; })},
    {"colon in a query names no scheme", "\"docs/guide.htm?t=10:30\"", kNoRow, "", ""},
    // A value that begins like a replacement mark is no mark: its first character is escaped.
    {"begins like the relative mark", "\"|||http:www.example.com\"", kRow,
     "|||http:www.example.com", "%7C||http://www.example.com", true},
    // Internet URLs.
    {"valid Internet URL", "\"http://www.example.com/\"", kNoRow, "", ""},
    {"valid Internet URL, escaped form", "\"http://www.example.com/a b.htm\"", kRow,
     "http://www.example.com/a b.htm", "http://www.example.com/a%20b.htm"},
    {"userinfo is no address", "\"http://user@www.example.com/x.htm\"", kNoRow, "", ""},
    {"broken Internet URL, file of that name", "\"http://www.example.com/img/logo.gif#a\"", kRow,
     "http://www.example.com/img/logo.gif#a", "img/logo.gif#a", false,
     Verdict("http://www.example.com/img/logo.gif", UrlVerdict::Broken)},
    {"broken Internet URL, nothing of that name", "\"http://www.example.com/none.gif\"", kRow,
     "http://www.example.com/none.gif", "", false,
     Verdict("http://www.example.com/none.gif", UrlVerdict::Broken)},
    {"broken Internet URL, suggestions off", "\"http://www.example.com/img/logo.gif\"", kRow,
     "http://www.example.com/img/logo.gif", "", false,
     [](Site& s) {
       s.checker->fallback = UrlVerdict::Broken;
       s.session.Search.SearchByFileNames = false;
     }},
    {"stopped during the check", "\"http://www.example.com/x\"", kStop, "", "", false,
     Verdict("http://www.example.com/x", UrlVerdict::Stopped)},
    {"unchecked Internet URL", "\"https://www.example.com/img/logo.gif\"", kRow,
     "https://www.example.com/img/logo.gif", "img/logo.gif", false,
     [](Site& s) { s.session.InternetCheckOff = true; }},
    {"saved-from redirect", "\"HTTP://www.example.com/news.htm#n\"", kRow,
     "HTTP://www.example.com/news.htm#n", "docs/news.htm#n", false,
     [](Site& s) {
       s.session.InternetCheckOff = true;
       s.session.SavedFromTable.push_back({"http://www.example.com/NEWS.htm", 6});
       s.session.SavedFromTable.push_back({"http://www.example.com/news.htm", 2});
     }},
    {"saved-from address with a trailing slash does not match", "\"http://example.com/\"", kRow,
     "http://example.com", "", false,
     [](Site& s) {
       s.session.InternetCheckOff = true;
       s.session.SavedFromTable.push_back({"http://example.com/", 6});
     }},
    {"saved-from redirect of a valid URL does not happen", "\"http://www.example.com/news.htm\"",
     kNoRow, "", "", false,
     [](Site& s) {
       s.session.SavedFromTable.push_back({"http://www.example.com/news.htm", 6});
     }},
    // Local absolute URLs.
    {"file URL found, made relative", "\"{FILE}docs/guide.htm#s\"", kRow, "{FILE}docs/guide.htm#s",
     "docs/guide.htm#s"},
    {"file URL found, absolute form kept", "\"{FILE}docs/guide.htm\"", kNoRow, "", "", false,
     Absolute()},
    {"file URL broken", "\"{FILE}nowhere/logo.gif\"", kRow, "{FILE}nowhere/logo.gif",
     "img/logo.gif"},
    // Relative URLs.
    {"relative found", "\"docs/guide.htm\"", kNoRow, "", ""},
    {"relative found, any letter case", "\"DOCS/Guide.HTM\"", kNoRow, "", ""},
    {"relative found, any letter case, with a fragment", "\"DOCS/Guide.HTM#a\"", kNoRow, "", ""},
    {"relative found, made absolute", "docs/guide.htm#x", kRow, "docs/guide.htm#x",
     "{FILE}docs/guide.htm#x", false, Absolute()},
    {"relative found, absolute with the base URL", "\"docs/guide.htm\"", kRow, "docs/guide.htm",
     "http://www.site.com/docs/guide.htm", false,
     WithBase("http://www.site.com", [](Site& s) { Absolute()(s); })},
    {"base URL with a port keeps its colon", "\"docs/guide.htm\"", kRow, "docs/guide.htm",
     "http://www.site.com:8080/docs/guide.htm", false,
     WithBase("http://www.site.com:8080/", [](Site& s) { Absolute()(s); })},
    {"absolute without the base as root", "\"docs/guide.htm\"", kRow, "docs/guide.htm",
     "{FILE}docs/guide.htm", false,
     WithBase("http://www.site.com",
              [](Site& s) {
                Absolute()(s);
                s.session.Processing.UseBaseUrlAsRoot = false;
              })},
    {"relative found, escaped form", "\"docs/my file.htm\"", kRow, "docs/my file.htm",
     "docs/my%20file.htm"},
    {"parent step", "\"../docs/guide.htm\"", kNoRow, "", "", false, nullptr, 5},
    {"trailing slash removed", "\"docs/#x\"", kRow, "docs#x", ""},
    {"broken relative, suggestion", "\"imgs/logo.gif\"", kRow, "imgs/logo.gif", "img/logo.gif"},
    {"broken relative, suggestion from a subfolder", "\"logo.gif\"", kRow, "logo.gif",
     "../img/logo.gif", false, nullptr, 5},
    {"broken relative, suggestion whatever SearchByFileNames", "\"imgs/logo.gif\"", kRow,
     "imgs/logo.gif", "img/logo.gif", false,
     [](Site& s) { s.session.Search.SearchByFileNames = false; }},
    {"broken relative, nothing to suggest", "\"nothing.htm\"", kRow, "nothing.htm", ""},
    {"broken unquoted, deleted as two quotes", "nothing.htm", kRow, "nothing.htm", "\"\""},
    {"broken in script text, deleted as empty", "nothing.htm", kRow, "nothing.htm", "", false,
     nullptr, 0, false},
    {"suggested file with a blank, unquoted value", "other/my%20file.htm", kRow,
     "other/my file.htm", "\"docs/my%20file.htm\""},
    {"suggested file with a blank, quoted value", "'other/my%20file.htm'", kRow,
     "other/my file.htm", "docs/my%20file.htm"},
    {"entities decoded", "\"docs/guide.htm?a=1&amp;b=2\"", kRow, "docs/guide.htm?a=1&b=2",
     "{FILE}docs/guide.htm?a=1&b=2", false, Absolute()},
    // Root-relative URLs start at the site's root folder.
    {"root-relative found", "\"/docs/guide.htm\"", kNoRow, "", "", false, nullptr, 5},
    {"root-relative found, made absolute", "\"/docs/guide.htm\"", kRow, "/docs/guide.htm",
     "{FILE}docs/guide.htm", false, Absolute(), 5},
    {"root-relative broken, suggestion", "\"/imgs/logo.gif\"", kRow, "/imgs/logo.gif",
     "../img/logo.gif", false, nullptr, 5},
    {"root-relative with a backslash", "\"\\docs\\guide.htm\"", kNoRow, "", "", false,
     Options([](ProcessingOptions& p) { p.CanonicalizeUrls = false; }), 5},
    {"network path is left alone", "\"//cdn.example.com/lib/logo.gif\"", kNoRow, "", ""},
    // The query is no part of the file name.
    {"query found", "\"docs/guide.htm?x=1\"", kNoRow, "", ""},
    {"query found, made absolute", "\"docs/guide.htm?x=1#f\"", kRow, "docs/guide.htm?x=1#f",
     "{FILE}docs/guide.htm?x=1#f", false, Absolute()},
    {"query broken, suggestion keeps it", "\"imgs/logo.gif?v=2#f\"", kRow, "imgs/logo.gif?v=2#f",
     "img/logo.gif?v=2#f"},
    // The base URL.
    {"site URL found, made relative", "\"http://WWW.SITE.COM/docs/guide.htm#t\"", kRow,
     "http://WWW.SITE.COM/docs/guide.htm#t", "docs/guide.htm#t", false,
     WithBase("http://www.site.com")},
    {"site URL with a trailing-slash base", "\"http://www.site.com/docs/guide.htm\"", kRow,
     "http://www.site.com/docs/guide.htm", "docs/guide.htm", false,
     WithBase("http://www.site.com/")},
    {"site URL with query", "\"http://www.site.com/docs/guide.htm?q=1\"", kRow,
     "http://www.site.com/docs/guide.htm?q=1", "docs/guide.htm?q=1", false,
     WithBase("http://www.site.com")},
    {"site URL broken, suggestion", "\"http://www.site.com/images/logo.gif\"", kRow,
     "http://www.site.com/images/logo.gif", "img/logo.gif", false, WithBase("http://www.site.com")},
    {"site URL found, absolute form kept", "\"http://www.site.com/docs/guide.htm\"", kNoRow, "", "",
     false, WithBase("http://www.site.com", [](Site& s) { Absolute()(s); })},
    {"escaped base matches a decoded URL", "\"http://www.site.com/~me/docs/guide.htm\"", kRow,
     "http://www.site.com/~me/docs/guide.htm", "docs/guide.htm", false,
     WithBase("http://www.site.com/%7Eme")},
    {"another host is no site URL", "\"http://www.site.com.example.org/docs/guide.htm\"", kNoRow,
     "", "", false, WithBase("http://www.site.com")},
    {"base URL off", "\"http://www.site.com/docs/guide.htm\"", kNoRow, "", ""},
    // Other schemes.
    {"unknown scheme kept", "\"telnet://host\"", kNoRow, "", ""},
    {"unknown scheme deleted", "\"telnet://host\"", kRow, "telnet://host", "", false,
     Options([](ProcessingOptions& p) { p.DeleteUnknownProtocols = true; })},
    {"unknown scheme escaped", "\"irc://host/a b\"", kRow, "irc://host/a b", "irc://host/a%20b"},
};

class AnalysisCases : public ::testing::TestWithParam<PathStyle> {};

TEST_P(AnalysisCases, EveryClassification) {
  for (const Case& c : kCases)
    Check(GetParam(), c);
}

INSTANTIATE_TEST_SUITE_P(BothStyles, AnalysisCases,
                         ::testing::Values(PathStyle::Windows, PathStyle::Posix),
                         [](const ::testing::TestParamInfo<PathStyle>& p) {
                           return p.param == PathStyle::Windows ? "Windows" : "Posix";
                         });

TEST(AnalysisWindows, DrivePathsGetTheFileProtocol) {
  const std::vector<Case> cases = {
      {"drive path", "D:\\a\\b.htm", kRow, "D:\\a\\b.htm", "file:///D|/a/b.htm", true},
      {"drive path with slashes", "\"d:/a/b c.htm\"", kRow, "d:/a/b c.htm",
       "file:///d|/a/b%20c.htm", true},
      {"drive path, names off: the slashes rule", "D:\\a.htm", kRow, "D:\\a.htm", "D://%5Ca.htm",
       true, Options([](ProcessingOptions& p) { p.AddProtocolNames = false; })},
      {"UNC-like double backslash is no drive path", "\"D:\\\\a.htm\"", kRow, "D:\\\\a.htm",
       "D://%5C%5Ca.htm", true},
  };
  for (const Case& c : cases)
    Check(PathStyle::Windows, c);
}

TEST(AnalysisPosix, DrivePathsGetTheFileProtocol) {
  Check(PathStyle::Posix,
        {"drive path", "D:\\a\\b.htm", kRow, "D:\\a\\b.htm", "file:///D:/a/b.htm", true});
}

TEST(AnalysisPosix, FileUrlsAreFileSlashSlashAndAnAbsolutePath) {
  Site site(PathStyle::Posix);
  site.session.Processing.UrlForm = UrlFormKind::Absolute;
  ASSERT_EQ(site.Analyse("\"img/logo.gif\""), kRow);
  EXPECT_EQ(site.session.LinkTable[0].Replacement, "file:///srv/site/img/logo.gif");
  EXPECT_TRUE(site.session.FileList.referenced(1));
}

TEST(Analysis, RowRecordsWhereTheValueStands) {
  Site site(PathStyle::Windows);
  const std::string html = "<p><img alt=x src='nothing.gif'>";
  const Pos valuePos = static_cast<Pos>(html.find('\''));
  ASSERT_EQ(AnalyseUrl(site.session, site.view, AnsiView(html), 5, 3, valuePos, true), kRow);
  const LinkEntry& row = site.session.LinkTable[0];
  EXPECT_EQ(row.FileIndex, 5);
  EXPECT_EQ(row.TagPos, 3);
  EXPECT_EQ(row.ValuePos, valuePos);
  EXPECT_EQ(row.SpanLength, 13);
  EXPECT_EQ(row.QuoteLength, 1);
  EXPECT_EQ(row.Replacement, "");
}

TEST(Analysis, EscapedQuotesCountAsQuoted) {
  Site site(PathStyle::Windows);
  ASSERT_EQ(site.Analyse("\\\"nothing.htm\\\""), kRow);
  const LinkEntry& row = site.session.LinkTable[0];
  EXPECT_EQ(row.Replacement, "");
  EXPECT_EQ(row.QuoteLength, 2);
  EXPECT_EQ(row.SpanLength, 15);
}

TEST(Analysis, StyleUrlIsReadInTheStyleMode) {
  Site site(PathStyle::Windows);
  const std::string css = "body{background:url(my%20file.htm)}";
  const Pos valuePos = static_cast<Pos>(css.find('('));
  // A reference to a file with a blank in a '(' value needs no quotes of its own.
  ASSERT_EQ(AnalyseUrl(site.session, site.view, AnsiView(css), 0, kTagPosStyle, valuePos, true),
            kRow);
  const LinkEntry& row = site.session.LinkTable[0];
  EXPECT_EQ(row.TagPos, kTagPosStyle);
  EXPECT_EQ(row.Url, "my file.htm");
  EXPECT_EQ(row.Replacement, "docs/my%20file.htm");
  EXPECT_EQ(row.SpanLength, 15);
  EXPECT_EQ(row.QuoteLength, 1);

  const std::string gone = "x{background:url(gone.gif)}";
  ASSERT_EQ(AnalyseUrl(site.session, site.view, AnsiView(gone), 0, kTagPosStyle,
                       static_cast<Pos>(gone.find('(')), false),
            kRow);
  EXPECT_EQ(site.session.LinkTable[1].Replacement, "");
  EXPECT_EQ(site.session.LinkTable[1].SpanLength, 10);

  // Quotes and blanks inside the parentheses are no part of the address.
  const std::string quoted = "x{background:url(\"img/logo.gif\")}";
  EXPECT_EQ(AnalyseUrl(site.session, site.view, AnsiView(quoted), 0, kTagPosStyle,
                       static_cast<Pos>(quoted.find('(')), false),
            kNoRow);
  EXPECT_TRUE(site.session.FileList.referenced(1));
  const std::string spaced = "x{background:url( 'gone.gif' )}";
  ASSERT_EQ(AnalyseUrl(site.session, site.view, AnsiView(spaced), 0, kTagPosStyle,
                       static_cast<Pos>(spaced.find('(')), false),
            kRow);
  EXPECT_EQ(site.session.LinkTable[2].Url, "gone.gif");
  EXPECT_EQ(site.session.LinkTable[2].SpanLength, 14);
}

TEST(Analysis, Utf16PageIsReadByCharacters) {
  Site site(PathStyle::Windows);
  const std::vector<std::uint8_t> units = testing::Utf16LeUnits("<a href=nothing.htm>x</a>");
  ASSERT_EQ(AnalyseUrl(site.session, site.view, testing::Utf16View(units), 0, 0, 16, true), kRow);
  const LinkEntry& row = site.session.LinkTable[0];
  EXPECT_EQ(row.Url, "nothing.htm");
  EXPECT_EQ(row.Replacement, "\"\"");
  EXPECT_EQ(row.ValuePos, 16);
  EXPECT_EQ(row.SpanLength, 11);
  EXPECT_EQ(row.QuoteLength, 0);

  const std::vector<std::uint8_t> quoted = testing::Utf16LeUnits("<a href=\"nothing.htm\">");
  ASSERT_EQ(AnalyseUrl(site.session, site.view, testing::Utf16View(quoted), 0, 0, 16, true), kRow);
  EXPECT_EQ(site.session.LinkTable[1].Replacement, "");
  EXPECT_EQ(site.session.LinkTable[1].SpanLength, 13);
}

TEST(Analysis, UnreadableValueGivesNoRow) {
  Site site(PathStyle::Windows);
  const std::string html = "<a href=\"never closed";
  EXPECT_EQ(AnalyseUrl(site.session, site.view, AnsiView(html), 0, 0, 8, true), kNoRow);
  EXPECT_EQ(AnalyseUrl(site.session, site.view, AnsiView(html), 0, 0, 500, true), kNoRow);
  EXPECT_EQ(site.session.LinkCount(), 0);
}

TEST(Analysis, InternetCheckSeesTheUrlWithoutFragmentAndTrailingSlash) {
  Site site(PathStyle::Windows);
  EXPECT_EQ(site.Analyse("\"http://www.example.com/dir/#part\""), kNoRow);
  EXPECT_EQ(site.checker->asked, std::vector<std::string>{"http://www.example.com/dir"});
}

TEST(Analysis, InternetCheckOffAsksNothing) {
  Site site(PathStyle::Windows);
  site.session.InternetCheckOff = true;
  EXPECT_EQ(site.Analyse("\"http://www.example.com/x.gif\""), kRow);
  EXPECT_TRUE(site.checker->asked.empty());
  // Not checked and nothing of that name: the link is planned for deletion.
  EXPECT_EQ(site.session.LinkTable[0].Replacement, "");
}

TEST(Analysis, NoCheckerMeansNotChecked) {
  SearchSession session(PathStyle::Windows);
  session.FileList.Append("C:\\site\\index.htm");
  session.FileList.Append("C:\\site\\x.gif");
  NullRunView view;
  const std::string html = "<a href=\"http://www.example.com/x.gif\">";
  EXPECT_EQ(AnalyseUrl(session, view, AnsiView(html), 0, 0, 8, true), kRow);
  EXPECT_EQ(session.LinkTable[0].Replacement, "x.gif");
}

TEST(Analysis, NetworkPathIsNotChecked) {
  Site site(PathStyle::Windows);
  EXPECT_EQ(site.Analyse("\"//www.example.com/img/logo.gif\""), kNoRow);
  EXPECT_TRUE(site.checker->asked.empty());
  EXPECT_FALSE(site.session.FileList.referenced(1));
}

TEST(Analysis, ReferencedMarks) {
  Site site(PathStyle::Windows);
  EXPECT_EQ(site.Analyse("\"docs/guide.htm\""), kNoRow);
  EXPECT_TRUE(site.session.FileList.referenced(2));
  EXPECT_EQ(site.Analyse("\"imgs/logo.gif\""), kRow);  // suggested
  EXPECT_TRUE(site.session.FileList.referenced(1));
  EXPECT_FALSE(site.session.FileList.referenced(4));
  EXPECT_EQ(site.Analyse("\"nothing.htm\""), kRow);
  for (int i : {0, 3, 4, 5, 6})
    EXPECT_FALSE(site.session.FileList.referenced(i)) << i;
}

TEST(Analysis, FixListHoldsTheRowIndex) {
  Site site(PathStyle::Posix);
  EXPECT_EQ(site.Analyse("\"nothing.htm\""), kRow);
  EXPECT_EQ(site.Analyse("www.example.com"), kRow);
  EXPECT_EQ(site.Analyse("me@example.com"), kRow);  // not a fix
  EXPECT_EQ(site.Analyse("http:example.com"), kRow);
  EXPECT_EQ(site.session.FixList, (std::vector<std::int32_t>{1, 3}));
}

TEST(Analysis, FullTableStopsTheAnalysis) {
  Site site(PathStyle::Posix);
  site.session.LinkTable.resize(kMaxLinkRows);
  EXPECT_EQ(site.Analyse("\"nothing.htm\""), kStop);
  EXPECT_TRUE(site.session.TableFull);
  EXPECT_EQ(site.session.LinkCount(), kMaxLinkRows);
  // A link that needs nothing is fine.
  EXPECT_EQ(site.Analyse("\"docs/guide.htm\""), kNoRow);
}

TEST(Analysis, LongValuesAndPaths) {
  for (PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    Site site(style);
    // A value far longer than any path buffer: broken, nothing to suggest.
    const std::string longName(70000, 'a');
    EXPECT_EQ(site.Analyse("\"" + longName + "/x.htm\""), kRow);
    EXPECT_EQ(site.session.LinkTable.back().Replacement, "");
    EXPECT_EQ(site.session.LinkTable.back().Url, longName + "/x.htm");
    // A listed file whose path is too long for the platform is never found by a join; the
    // suggestion by name still finds it, and spells the link as it was (so no row).
    const std::string folder(MaxPathLength(style), 'f');
    const int listed = site.session.FileList.Append(ListedPath(style, folder + "/deep.gif"));
    const int rows = site.session.LinkCount();
    EXPECT_EQ(site.Analyse("\"" + folder + "/deep.gif\""), kNoRow);
    EXPECT_EQ(site.session.LinkCount(), rows);
    EXPECT_TRUE(site.session.FileList.referenced(listed));
    // Escaping a long value.
    const std::string spaced(50000, ' ');
    EXPECT_EQ(site.Analyse("\"mailto:" + spaced + "\""), kRow);
    EXPECT_EQ(site.session.LinkTable.back().Replacement.size(), 7 + 3 * spaced.size());
  }
}

// ---- Link Target Adder --------------------------------------------------------------------

TEST(TargetAdder, QualificationByMode) {
  struct Q {
    TargetMode mode;
    std::string url;
    const char* replacement;  // null: none
    bool expected;
  };
  const std::vector<Q> cases = {
      {TargetMode::AllExternal, "http://www.example.com/", nullptr, true},
      {TargetMode::AllExternal, "FTP://ftp.example.com/", nullptr, true},
      {TargetMode::AllExternal, "docs/guide.htm", nullptr, false},
      {TargetMode::AllExternal, "FILE:///C|/x.htm", nullptr, false},
      {TargetMode::AllExternal, "HTTP://WWW.SITE.COM/a.htm", nullptr, false},  // the base URL
      {TargetMode::AllExternal, "x.htm", "http://www.example.com/x.htm", true},
      {TargetMode::AllExternal, "http://www.example.com/", "", true},
      {TargetMode::AllExternal, "http://www.example.com/", "\"\"", false},  // deleted
      {TargetMode::AllExternal, "www.example.com", "\"http://www.example.com\"", true},
      {TargetMode::AllExternal, "x.htm", "|||http://www.example.com/", true},
      {TargetMode::ImageFiles, "pics/a.JPG", nullptr, true},
      {TargetMode::ImageFiles, "a.jpeg", nullptr, true},
      {TargetMode::ImageFiles, "a.png?v=1", nullptr, true},
      {TargetMode::ImageFiles, "a.bmp#x", nullptr, true},
      {TargetMode::ImageFiles, "a.gif.htm", nullptr, false},
      {TargetMode::ImageFiles, "gif.dir/a", nullptr, false},
      {TargetMode::ImageFiles, "a.htm", "img/a.gif", true},
      {TargetMode::CustomMask, "a.jpg", nullptr, true},
      {TargetMode::CustomMask, "a.JPG", nullptr, false},  // masks are exact
      {TargetMode::CustomMask, "a.gif", nullptr, false},
      {TargetMode::NoSelection, "anything", nullptr, true},
      {TargetMode::NoSelection, "", nullptr, true},
  };
  SearchSession session(PathStyle::Windows);
  session.Search.UseBaseUrl = true;
  session.Search.BaseUrl = "http://www.site.com";
  for (const Q& q : cases) {
    session.Processing.TargetAdderMode = q.mode;
    std::string replacement = q.replacement ? q.replacement : "";
    EXPECT_EQ(TargetAdderQualifies(session, q.url, q.replacement ? &replacement : nullptr),
              q.expected)
        << static_cast<int>(q.mode) << " " << q.url;
  }
  session.Processing.TargetAdderMode = TargetMode::AllExternal;
  session.Search.UseBaseUrl = false;
  EXPECT_TRUE(TargetAdderQualifies(session, "HTTP://WWW.SITE.COM/a.htm", nullptr));
  session.Processing.TargetAdderMode = TargetMode::CustomMask;
  session.Processing.TargetUrlMask = "*.gif;*.png";
  EXPECT_TRUE(TargetAdderQualifies(session, "x.png", nullptr));
}

TEST(TargetAdder, EntryForms) {
  struct T {
    const char* name;
    std::string html;  // the tag; its target value (if any) after "target="
    bool hasTarget;
    std::string existing;  // the existing target as the scanner read it
    bool quoteFlag;
    RowOutcome result;
    std::string replacement;
    int span;
    int quote;
  };
  const std::vector<T> cases = {
      {"new attribute", "<a href=\"x.htm\">", false, "", true, kRow, ":::\"_parent\"", 0, 0},
      {"new attribute in script text", "<a href=x.htm>", false, "", false, kRow, ":::_parent", 0,
       0},
      {"quoted existing", "<a href=x target=\"_top\">", true, "_top", true, kRow, ":::_parent", 6,
       1},
      {"apostrophe existing", "<a href=x target='_top'>", true, "_top", true, kRow, ":::_parent", 6,
       1},
      {"escaped quote existing", "<a href=x target=\\\"_top\\\">", true, "_top", true, kRow,
       ":::_parent", 8, 2},
      {"unquoted existing", "<a href=x target=_top>", true, "_top", true, kRow, ":::\"_parent\"", 4,
       0},
      {"same target, other case", "<a href=x target=_PARENT>", true, "_PARENT", true, kNoRow, "", 0,
       0},
      {"unreadable existing", "<a href=x target=\"_top", true, "_top", true, kNoRow, "", 0, 0},
  };
  for (const T& t : cases) {
    SCOPED_TRACE(t.name);
    SearchSession session(PathStyle::Posix);
    session.FileList.Append("/s/a.htm");
    session.Processing.TargetName = "_parent";
    const Pos targetPos = t.hasTarget ? static_cast<Pos>(t.html.find("target=") + 7) : -1;
    const Pos tagPos = 0;
    EXPECT_EQ(AddTargetEntry(session, AnsiView(t.html), 0, tagPos, targetPos, "x.htm", t.existing,
                             t.quoteFlag),
              t.result);
    if (t.result != kRow) {
      EXPECT_EQ(session.LinkCount(), 0);
      continue;
    }
    ASSERT_EQ(session.LinkCount(), 1);
    const LinkEntry& row = session.LinkTable[0];
    EXPECT_EQ(row.Url, "x.htm");
    EXPECT_EQ(row.Replacement, t.replacement);
    EXPECT_EQ(row.ValuePos, t.hasTarget ? targetPos : tagPos);
    EXPECT_EQ(row.SpanLength, t.span);
    EXPECT_EQ(row.QuoteLength, t.quote);
    EXPECT_EQ(ActionOf(row), RowAction::Target);
  }
}

TEST(TargetAdder, NewAttributeRowSitsAtTheTag) {
  SearchSession session(PathStyle::Posix);
  session.FileList.Append("/s/a.htm");
  const std::string html = "<p>text <a href=\"x.htm\">";
  EXPECT_EQ(AddTargetEntry(session, AnsiView(html), 0, 8, -1, "x.htm", "", true), kRow);
  EXPECT_EQ(session.LinkTable[0].TagPos, 8);
  EXPECT_EQ(session.LinkTable[0].ValuePos, 8);
  EXPECT_EQ(session.LinkTable[0].Replacement, ":::\"_blank\"");
}

}  // namespace
}  // namespace urlsmith
