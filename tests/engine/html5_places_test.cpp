// The places of addresses that came with HTML5 pages, a page's <base href>, the anchor check and
// letter case for case-sensitive servers: whole searches over real files, single-byte and UTF-16.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/search_run.h"
#include "engine/tag_scanner.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

using Files = std::vector<std::pair<std::string, std::string>>;

// A site of `files` and the page `name` (UTF-16 when `wide`), searched with `set` applied: the
// page's rows as "URL -> REPLACEMENT" (the site's folder as ROOT), with `positions` after
// "TAG VALUE SPAN: " in characters of the page (or kTagPosStyle for the tag); then "reported"
// for each anchor report.
std::vector<std::string> PageRows(const Files& files, const std::string& name,
                                  const std::string& text,
                                  const std::function<void(SearchSession&)>& set = {},
                                  bool wide = false, bool positions = false) {
  TempDir dir;
  for (const auto& [file, bytes] : files)
    dir.Write(file, bytes);
  const std::string path =
      wide ? dir.WriteBytes(name, testing::Utf16Bytes(text, false)) : dir.Write(name, text);
  auto session = testing::SessionOver(dir.path());
  if (set) set(*session);
  RecordingRunView view;
  RunSearch(*session, view);
  const auto chars = [wide](Pos p) { return std::to_string(wide && p >= 0 ? (p - 2) / 2 : p); };
  std::vector<std::string> rows;
  for (const LinkEntry& r : session->LinkTable) {
    if (r.FileIndex != session->FileList.FindListedFile(path)) continue;
    std::string row = (positions ? chars(r.TagPos) + " " + chars(r.ValuePos) + " " +
                                       std::to_string(r.SpanLength) + ": "
                                 : "") +
                      r.Url + " -> " + r.Replacement;
    if (const auto root = row.find(dir.path()); root != std::string::npos)
      row.replace(root, dir.path().size(), "ROOT");
    rows.push_back(row);
  }
  rows.insert(rows.end(), session->AnchorReports.size(), "reported");
  return rows;
}

// One place of each kind that Html5Rewrite.EachPlaceIsReplacedOrDeletedAsItsKindSays does not
// search already; '%' stands for the address, which is a whole attribute value when quoted on
// both sides (else a part of a value). A text that starts with "@" is a style sheet.
const char* const kPlaces[] = {
    // clang-format off
    R"(<img src="ok.gif" srcset="% 2x">)", R"(<source type="video/webm" src="%">)",
    R"(<meta http-equiv="Refresh" content="0; URL=%">)", R"(<svg><image href="%"/></svg>)",
    R"(<svg><use href="%"/></svg>)", R"(<svg><use xlink:href="%"></use></svg>)",
    R"(<button formaction="%">Go</button>)", R"(<ins cite="%">new</ins>)",
    R"(<del cite="%">old</del>)", R"(<style>@import "%" screen;</style>)",
    R"(@import '%'; body { color: red })",
    // clang-format on
};

// Each kind broken and intact, and never when the HTML5 places are off.
TEST(Html5Places, EachKindIsFoundWhereItStandsBrokenOrIntact) {
  const Files files = {{"ok.gif", "GIF89a"}, {"there.htm", "x"}};
  for (const std::string_view place : kPlaces) {
    for (const bool wide : {false, true}) {
      for (const bool broken : {true, false}) {
        SCOPED_TRACE(std::string(place) + (wide ? " utf-16" : " ansi") +
                     (broken ? " broken" : " intact"));
        const std::string url = broken ? "gone/none.x" : "there.htm";
        std::string page(place);
        const std::size_t at = page.find('%');
        const bool quoted =
            (page[at - 1] == '"' || page[at - 1] == '\'') && page[at + 1] == page[at - 1];
        page.replace(at, 1, url);
        const std::string name = place[0] == '@' ? "s.css" : "p.htm";
        const std::vector<std::string> rows = PageRows(files, name, page, {}, wide, true);
        if (!broken) {
          EXPECT_EQ(rows, std::vector<std::string>{});
          continue;
        }
        const bool style = place.find("@import") != std::string_view::npos;
        const int tag = style ? kTagPosStyle : static_cast<int>(page.rfind('<', at));
        const std::size_t value = at - (quoted ? 1 : 0), span = url.size() + (quoted ? 2 : 0);
        ASSERT_EQ(rows, std::vector<std::string>{std::to_string(tag) + " " + std::to_string(value) +
                                                 " " + std::to_string(span) + ": " + url + " -> "});
        const auto off = [](SearchSession& s) { s.Search.SearchHtml5 = false; };
        EXPECT_TRUE(PageRows(files, name, page, off, wide).empty());
      }
    }
  }
}

TEST(Html5Places, OnlyTheirOwnTagsCount) {
  const char* const kNone[] = {
      // clang-format off
      R"(<imgx srcset="gone.gif 1x">)", R"(<user href="gone.htm">)",
      R"(<meta name=refresh content="0; url=gone.htm">)",
      R"(<meta http-equiv=refresh content="url=gone.htm">)", R"(<quote cite="gone.htm">)",
      R"(<p>@import "gone.css";</p>)",
      // clang-format on
  };
  for (const char* page : kNone)
    EXPECT_TRUE(PageRows({}, "p.htm", page).empty()) << page;
}

TEST(Html5Places, CandidateListsAndRefreshValuesAreReadAsBrowsersRead) {
  const std::pair<std::string, std::vector<std::string>> lists[] = {
      // clang-format off
      {"a.jpg 1x, b.jpg 2x", {"a.jpg", "b.jpg"}}, {"a.jpg,b.jpg 2x", {"a.jpg,b.jpg"}},
      {" a.jpg,  b.jpg\t,\nc.jpg 100w", {"a.jpg", "b.jpg", "c.jpg"}},
      {"a.jpg (x, y) 1x, b.jpg", {"a.jpg", "b.jpg"}}, {"x.jpg,,, y.jpg", {"x.jpg", "y.jpg"}},
      {" , ", {}},
      // clang-format on
  };
  const auto part = [](const std::string& value, Pos from, Pos to) {
    return value.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
  };
  for (const auto& [value, expected] : lists) {
    const TextView text = testing::AnsiView(value);
    std::vector<ListCandidate> found;
    ListCandidates(text, 0, text.Size, found);
    std::vector<std::string> urls;
    for (const ListCandidate& f : found)
      urls.push_back(part(value, f.Start, f.UrlEnd));
    EXPECT_EQ(urls, expected) << value;
  }
  const std::pair<std::string, std::string> refreshes[] = {
      // clang-format off
      // the address; empty: none
      {"5; URL=a.htm", "a.htm"}, {"5;url='a b.htm' ", "a b.htm"},
      {" 2.5 , Url = \"q.htm\"x", "q.htm"}, {"3 http://x.org/", "http://x.org/"},
      {"0; urlx.htm", "urlx.htm"}, {"0", ""}, {"url=a.htm", ""}, {"5x; url=a.htm", ""},
      // clang-format on
  };
  for (const auto& [value, url] : refreshes) {
    const TextView text = testing::AnsiView(value);
    Pos from = kNone, to = kNone;
    const bool found = RefreshAddress(text, 0, text.Size, from, to);
    EXPECT_EQ(found ? part(value, from, to) : "", url) << value;
  }
}

// The page sub/p.htm with a base and a link, the files img/a.gif and x.htm listed.
TEST(BaseElements, LinksAreResolvedAndWrittenFromTheBase) {
  struct Case {
    std::string base;
    std::string link;
    std::vector<std::string> expected;  // "url -> replacement" of the page's rows
    bool internetUnchecked = false;     // unchecked Internet links become suggestions
    std::string siteUrl = "";
  };
  const Case cases[] = {
      // clang-format off
      {"", "img/a.gif", {"img/a.gif -> ../img/a.gif"}}, {"../", "img/a.gif", {}},
      {"../", "pics/a.gif", {"pics/a.gif -> img/a.gif"}}, {"/", "img/a.gif", {}},
      {"../index.htm", "img/a.gif", {}}, {"./", "img/a.gif", {"img/a.gif -> ../img/a.gif"}},
      {"http://example.com/dir/", "img/a.gif", {}},
      {"http://example.com/dir/", "x.htm", {"x.htm -> file://ROOT/x.htm"}, true},
      {"http://www.site.com/", "img/a.gif", {}, false, "http://www.site.com"},
      {"javascript:void(0)", "img/a.gif", {"img/a.gif -> ../img/a.gif"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("base '" + c.base + "' link " + c.link);
    const std::string base = c.base.empty() ? "" : "<base href=\"" + c.base + "\">";
    const auto set = [&c](SearchSession& s) {
      s.Search.KeepUncheckedInternetUrls = !c.internetUnchecked;
      s.Search.UseBaseUrl = !c.siteUrl.empty();
      s.Search.BaseUrl = c.siteUrl;
    };
    EXPECT_EQ(PageRows({{"img/a.gif", "GIF89a"}, {"x.htm", "x"}}, "sub/p.htm",
                       "<html><head>" + base + "</head><a href=\"" + c.link + "\">a</a>", set),
              c.expected);
  }
}

TEST(BaseElements, AnInternetBaseMakesRelativeLinksInternetAddresses) {
  const struct {
    std::string base, link, checked;
  } cases[] = {
      {"http://example.com/dir/page.htm", "a.htm?x=1", "http://example.com/dir/a.htm?x=1"},
      {"http://example.com/dir/", "../up.htm", "http://example.com/up.htm"},
      {"https://example.com", "/root.htm", "https://example.com/root.htm"},
      {"http://example.com/d/p.htm?q", "?other", "http://example.com/d/p.htm?other"},
      {"http://example.com/", "//cdn.example.org/x.js", "http://cdn.example.org/x.js"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveAgainstBase(c.base, c.link), c.checked) << c.base << " + " << c.link;
  }
}

// The one row of a link that gets a replacement while the check is on, else none.
std::vector<std::string> ExpectedRows(bool on, const std::string& link, const std::string& to) {
  if (!on || to.empty()) return {};
  return {link + " -> " + to};
}

TEST(CaseSensitiveServers, ALinkSpelledOtherwiseThanItsFileGetsTheFilesSpelling) {
  struct Case {
    std::string link;
    std::string replacement;  // empty: no row
    std::string url = "";     // the row's URL, when it is not the link as written
  };
  const Case cases[] = {
      // clang-format off
      {"IMG/Logo.GIF", "img/logo.gif"}, {"/IMG/logo.gif", "/img/logo.gif"}, {"img/logo.gif", ""},
      {"Img/Logo.gif#Top", "img/logo.gif#Top"},
      {"My%20Pics/A.gif", "my%20pics/a.gif", "My Pics/A.gif"}, {"Both.htm", ""}, {"both.htm", ""},
  };
  const Files files = {
      {"img/logo.gif", "GIF89a"}, {"my pics/a.gif", "GIF89a"}, {"Both.htm", "x"}, {"both.htm", "x"}};
  // clang-format on
  for (const bool sensitive : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.link + (sensitive ? " case-sensitive" : ""));
      const auto set = [sensitive](SearchSession& s) { s.Search.CaseSensitive = sensitive; };
      EXPECT_EQ(PageRows(files, "p.htm", "<img src=\"" + c.link + "\">", set),
                ExpectedRows(sensitive, c.url.empty() ? c.link : c.url, c.replacement));
    }
  }
}

TEST(Anchors, FragmentsThatNameNoElementAreReportedAndCaseSlipsMended) {
  struct Case {
    std::string link;
    bool reported;
    std::string replacement;  // empty: no row
  };
  const Case cases[] = {
      // clang-format off
      {"b.htm#part", false, ""}, {"b.htm#Part", true, "b.htm#part"}, {"b.htm#nowhere", true, ""},
      {"b.htm#top", false, ""}, {"b.htm#n1", false, ""}, {"b.htm#sec", true, ""},
      {"#Self", true, "#self"}, {"#self", false, ""}, {"pic.gif#x", false, ""},
      {"b.htm", false, ""}, {"b.htm?q=1#PART", true, "b.htm?q=1#part"},
      // clang-format on
  };
  const Files files = {{"b.htm", "<h1 id=part>x</h1><a name=\"n1\"></a><p id='Sec'><p id=SEC>"},
                       {"pic.gif", "GIF89a"}};
  for (const bool check : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.link + (check ? " checked" : ""));
      std::vector<std::string> expected = ExpectedRows(check, c.link, c.replacement);
      if (check && c.reported) expected.push_back("reported");
      EXPECT_EQ(PageRows(files, "a.htm", "<p id=\"self\"><a href=\"" + c.link + "\">a</a>",
                         [check](SearchSession& s) { s.Search.CheckAnchors = check; }),
                expected);
    }
  }
}

}  // namespace
}  // namespace urlsmith
