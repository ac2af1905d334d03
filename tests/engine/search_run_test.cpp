// The search run over real sites on disk: its phases, log, progress and ESC, the addresses that
// browser-saved pages were saved from, the places of addresses in HTML5 pages, a page's base, the
// anchor check, letter case for case-sensitive servers, and every row it plans on the example
// site shipped with the sources.
#include "engine/search_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/ordered_work.h"
#include "engine/saved_from.h"
#include "engine/tag_scanner.h"
#include "support/core_fixtures.h"
#include "support/engine_fixtures.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

// A small site on disk: two pages (one UTF-16 big-endian), a style sheet, a script, a picture.
class SearchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("index.htm", "<a href=\"sub/x.js\">a</a>");
    dir_.WriteBytes("sub/u.HTML", testing::Utf16Bytes("<img src=pic.gif>", true));
    dir_.Write("sub/s.css", "body{}");
    dir_.Write("sub/x.js", "var a;");
    dir_.Write("sub/pic.gif", "GIF89a");
    session_ = testing::SessionOver(dir_.path());
  }

  TempDir dir_;
  std::unique_ptr<SearchSession> session_;
};

TEST_F(SearchRunTest, CompletedRunWritesEveryPhaseAndTheStatus) {
  session_->Search.UseSavedFromUrl = false;
  RecordingRunView view;
  view.onPoll = [](int) { return Poll::Skip; };  // F10 outside an Internet check does nothing
  EXPECT_EQ(RunSearch(*session_, view).Outcome, SearchOutcome::NothingFound);
  EXPECT_EQ(session_->RootPath, dir_.path() + "/");
  EXPECT_EQ(session_->ProcessableCount, 4);
  EXPECT_EQ(view.log, (std::vector<std::string>{
                          ">> Finding the root path ... done",
                          ">> Counting processable files ... 4 file(s) found",
                          ">> Finding Unicode files ... 1 file(s) found",
                          ">> Searching for broken links ...",
                          dir_ / "index.htm (24 bytes) ... 0 change(s) to apply",
                          dir_ / "sub/s.css (6 bytes) ... 0 change(s) to apply",
                          dir_ / "sub/u.HTML (36 bytes) ... 0 change(s) to apply",
                          dir_ / "sub/x.js (6 bytes) ... 0 change(s) to apply",
                      }));
  EXPECT_EQ(view.statuses, (std::vector<std::string>{"Press ESC to stop",
                                                     "Done: 0 change(s) to apply in 4 file(s)"}));
  const int u = session_->FileList.FindListedFile(dir_ / "sub/u.HTML");
  EXPECT_EQ(session_->FileEncoding[static_cast<std::size_t>(u)], FileEncoding::Utf16Be);
  // Overall progress: the prepared 1 of 2, then one step per processable file. A page's bar
  // ends full: 15 tag kinds, style, script and event-handler phases.
  EXPECT_EQ(view.overall,
            (std::vector<std::pair<int, int>>{{1, 2}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
  EXPECT_EQ(view.file.front(), std::make_pair(0, 2));
  EXPECT_NE(std::find(view.file.begin(), view.file.end(), std::make_pair(18, 18)), view.file.end());
  EXPECT_FALSE(session_->SearchBusy);

  // A second pass only searches links; after the processing options were shown again (cache
  // reset) every phase runs again.
  RecordingRunView second;
  RunSearch(*session_, second);
  EXPECT_EQ(second.log.front(), ">> Searching for broken links ...");
  session_->CacheReset();
  EXPECT_TRUE(session_->RootPath.empty());
  RecordingRunView third;
  RunSearch(*session_, third);
  EXPECT_EQ(third.log.front(), ">> Finding the root path ... done");
}

TEST_F(SearchRunTest, EscAtAnyPollStopsTheRun) {
  RecordingRunView counter;
  RunSearch(*session_, counter);
  ASSERT_GT(counter.pollCount, 10);
  for (int k = 1; k <= counter.pollCount; ++k) {
    session_->CacheReset();
    RecordingRunView view;
    view.onPoll = [k](int n) { return n == k ? Poll::Stop : Poll::Go; };
    EXPECT_EQ(RunSearch(*session_, view).Outcome, SearchOutcome::Stopped) << "poll " << k;
    EXPECT_EQ(view.status(), "Stopped") << "poll " << k;
    EXPECT_EQ(view.pollCount, k);
    EXPECT_FALSE(testing::Contains(view.log, ">> Done."));
  }
}

// Empty files are passed over silently; folders with page names are reported (the whole-job tests
// try unreadable pages and named pipes).
TEST_F(SearchRunTest, FilesThatCannotBeReadAreReported) {
  session_->FileList.Append(dir_.Write("empty.htm", ""));
  session_->FileList.Append(dir_.MakeDir("folder.htm"));
  session_->CacheReset();
  RecordingRunView view;
  EXPECT_EQ(RunSearch(*session_, view).Outcome, SearchOutcome::NothingFound);
  const std::string log = view.LogText();
  EXPECT_FALSE(testing::Contains(log, "empty.htm"));
  EXPECT_TRUE(testing::Contains(log, dir_ / "folder.htm ... cannot be read: ")) << log;
  EXPECT_EQ(session_->ProcessableCount, 6);
}

TEST(SearchRun, RootIsTheFolderOfTheShallowestFile) {
  const struct {
    PathStyle style;
    std::vector<std::string> files;
    std::string root;
  } cases[] = {
      // clang-format off
      {PathStyle::Windows, {R"(C:\a\b\x.htm)", R"(C:\c\y.htm)"}, R"(C:\c\)"},
      {PathStyle::Windows, {R"(C:\x.htm)", R"(D:\y\z.htm)"}, R"(C:\)"},
      {PathStyle::Windows, {R"(C:\s\a.htm)", R"(C:\t\b.htm)"}, R"(C:\s\)"},  // earlier wins
      {PathStyle::Posix, {"/srv/site/a/x.htm", "/srv/other/y.htm"}, "/srv/other/"},
      {PathStyle::Posix, {"/x.htm", "/y/z.htm"}, "/"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SearchSession session(c.style);
    session.FileList.AppendAll(c.files);
    RecordingRunView view;
    EXPECT_EQ(FindRootPath(session, view), PhaseResult::Completed);
    EXPECT_EQ(session.RootPath, c.root);
  }
}

TEST(SearchRun, AListOfTheMostFilesAllowedIsAccepted) {
  SearchSession session;
  std::vector<std::string> paths;
  for (int i = 0; i < kMaxFiles; ++i)
    paths.push_back("/nowhere/f" + std::to_string(i) + ".gif");
  session.FileList.AppendAll(std::move(paths));
  session.InternetCheckOff = true;
  RecordingRunView view;
  EXPECT_EQ(RunSearch(session, view).Outcome, SearchOutcome::NothingFound);
  EXPECT_TRUE(view.errors.empty());
  EXPECT_EQ(view.status(), "Done: 0 change(s) to apply in 0 file(s)");
}

TEST(SearchModel, ActionFollowsTheReplacementFormAndKindTheExtension) {
  const std::pair<std::string, RowAction> actions[] = {
      // clang-format off
      {"", RowAction::Delete}, {"\"\"", RowAction::Delete}, {"\"b.htm\"", RowAction::Replace},
      {"b.htm", RowAction::Replace}, {"a.htm", RowAction::CopyOld},
      {"|||b.htm", RowAction::ReplaceRelative}, {":::_blank", RowAction::Target},
      // clang-format on
  };
  for (const auto& [replacement, action] : actions)
    EXPECT_EQ(ActionOf(testing::Row("a.htm", replacement)), action) << replacement;
  const std::pair<std::string, FileKind> kinds[] = {
      // clang-format off
      {"/s/INDEX.HTM", FileKind::Page}, {"/s/a.Shtml", FileKind::Page},
      {"/s/a.CSS", FileKind::Style}, {"/s/a.js", FileKind::Script}, {"/s/a.jsx", FileKind::Other},
      {"/s.htm/readme", FileKind::Other},
      // clang-format on
  };
  for (const auto& [path, kind] : kinds)
    EXPECT_EQ(KindOfPath(path, PathStyle::Posix), kind) << path;
  EXPECT_EQ(KindOfPath(R"(C:\s.htm\readme)", PathStyle::Windows), FileKind::Other);
}

TEST(ExampleSite, PlansExactlyTheseChanges) {
  TempDir dir;
  std::filesystem::copy(std::string(URLSMITH_SOURCE_DIR) + "/examples/site", dir.path(),
                        std::filesystem::copy_options::recursive);
  auto session = testing::SessionOver(dir.path());
  RecordingRunView view;
  const SearchResult result = RunSearch(*session, view);
  EXPECT_EQ(result.Outcome, SearchOutcome::Found);
  EXPECT_EQ(result.Total, 14);
  // Rows as "FILE TAG VALUE SPAN QUOTE URL -> REPLACEMENT": script strings have TagPos -1,
  // style values -2; the IMG row comes after every A row (one pass per tag kind); unicode.htm is
  // UTF-16, its positions in bytes after the byte-order mark.
  EXPECT_EQ(testing::RowLines(*session, dir.path()),
            (std::vector<std::string>{
                "about.htm 104 112 14 1 history.html -> ",
                "index.htm 429 437 13 1 contact.htm -> info/contact.htm",
                "index.htm 472 480 16 1 my recipes.htm -> my%20recipes.htm",
                "index.htm 518 526 23 1 www.example.com/flour -> http://www.example.com/flour",
                "index.htm 574 582 25 1 http:example.com/market -> http://example.com/market",
                "index.htm 632 640 19 1 baker@example.com -> mailto:baker@example.com",
                "index.htm 692 700 33 1 http://www.example.com/news.htm -> saved/news.htm",
                "index.htm 226 235 19 1 images/banner.jpg -> img/banner.jpg",
                "index.htm 802 844 30 0 http://stats.example.com/click -> ",
                "unicode.htm 234 250 10 1 \xC3\xBC"
                "ber.htm -> ",
                "js/menu.js -1 62 31 0 http://www.example.com/menu.htm -> ",
                "products/list.htm 213 221 10 1 item.htm -> items/item.htm",
                "products/list.htm -2 132 22 1 ../img/special.png -> ",
                "style/site.css -2 87 20 1 ../img/missing.png -> ",
            }));
}

// ---- The addresses that browser-saved pages were saved from ---------------------------------

using Table = std::vector<std::pair<std::string, int>>;

// Pages listed in the order written; the earlier phases (processable count and encodings) run
// as a search would run them: with the parameter, the Unicode look searches the pages on its
// way and the phase reads nothing.
class SavedFromTest : public ::testing::TestWithParam<bool> {
 protected:
  std::string Page(const std::string& name, const std::string& bytes) {
    return session_.FileList.path(session_.FileList.Append(dir_.Write(name, bytes)));
  }
  PhaseResult Run(RecordingRunView& view) {
    RecordingRunView quiet;
    EXPECT_EQ(CountProcessableFiles(session_, quiet), PhaseResult::Completed);
    SavedFromLooks looks;
    SavedFromLooks* const looked = GetParam() ? &looks : nullptr;
    EXPECT_EQ(FindUnicodeFiles(session_, quiet, looked), PhaseResult::Completed);
    return SavedFromPhase(session_, view, looked);
  }
  static std::string Line(const std::string& path, std::size_t size, const std::string& address) {
    return path + " (" + std::to_string(size) + " bytes) ... " +
           (address.empty() ? "no \"saved from url\" was found" : "saved from \"" + address + "\"");
  }
  Table Found() const {
    Table out;
    for (const auto& e : session_.SavedFromTable)
      out.emplace_back(e.Url, e.FileIndex);
    return out;
  }

  TempDir dir_;
  SearchSession session_;
};

constexpr char kHeading[] = ">> Searching for \"saved from url\" ... ";

TEST_P(SavedFromTest, AddressesOfSavedPages) {
  const struct {
    const char* name;
    std::string text;
    std::string address;  // empty: none found
  } pages[] = {
      {"plain.htm", "<html><!-- saved from url=(0024)http://www.example.com/a/ -->",
       "http://www.example.com/a/"},
      {"none.htm", "<html><!-- just a comment --><p>text</p>", ""},
      {"second.html", "<!-- first --><html><!-- saved from url=(0014)about:internet -->",
       "about:internet"},
      {"upper.HTM", "<!-- SAVED FROM URL=(0018)http://a.example/ -->", "http://a.example/"},
      {"no-blank.shtml", "<!--saved from url=(0018)http://b.example/ -->", "http://b.example/"},
      {"no-prefix.htm", "<!-- saved from url=http://c.example/x.htm -->", "http://c.example/x.htm"},
      {"unclosed-prefix.htm", "<!-- saved from url=(0022http://d.example/ -->",
       "(0022http://d.example/"},
      {"decoded.htm",
       "<!-- saved from url=(0052)http://e.example/%7Euser/caf&eacute;.htm?a=1&amp;b=2 -->",
       "http://e.example/~user/caf\xC3\xA9.htm?a=1&b=2"},
      {"ends-at-blank.htm", "<!-- saved from url=(0030)http://f.example/x y.htm -->",
       "http://f.example/x"},
      {"wrong-name.htm", "<!-- saved from urls=(0018)http://g.example/ -->", ""},
      {"not-in-comment.htm", "<meta saved from url=http://h.example/>", ""},
  };
  std::vector<std::string> log = {kHeading};
  Table table;
  for (const auto& p : pages) {
    log.push_back(Line(Page(p.name, p.text), p.text.size(), p.address));
    if (!p.address.empty()) table.emplace_back(p.address, session_.FileList.size() - 1);
  }
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(view.log, log);
  EXPECT_EQ(Found(), table);
}

// Style sheets, scripts and other files are never read; empty pages are passed over silently,
// pages that cannot be read say so.
TEST_P(SavedFromTest, OnlyPagesAreReadInAnyEncoding) {
  const std::string text = "<html><!-- saved from url=(0022)http://www.example.com/ --><p>";
  const std::string le = Page("le.htm", testing::Utf16Text(text));
  const std::string be =
      Page("be.htm", testing::Utf16Text(text + "<!-- saved from url=x -->", true));
  const std::string none = Page("none.htm", testing::Utf16Text("<!-- a --><!-- b -->", true));
  for (const char* name : {"a.css", "b.js", "c.txt"})
    Page(name, text);
  dir_.MakeDir("d.css");  // would give a "cannot be read" line if it were read
  session_.FileList.Append(dir_ / "d.css");
  Page("empty.htm", "");
  dir_.MakeDir("folder.htm");
  session_.FileList.Append(dir_ / "folder.htm");
  session_.FileList.Append(dir_ / "missing.htm");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  const std::size_t leSize = 2 * (text.size() + 1);
  EXPECT_EQ(view.log,
            (std::vector<std::string>{
                kHeading, Line(le, leSize, "http://www.example.com/"),
                Line(be, leSize + 2 * 25, "http://www.example.com/"), Line(none, 2 * 21, ""),
                dir_ / "folder.htm ... cannot be read: Is a directory",
                dir_ / "missing.htm ... cannot be read: No such file or directory"}));
  EXPECT_EQ(Found(), (Table{{"http://www.example.com/", 0}, {"http://www.example.com/", 1}}));
  // Nine processable files, six pages: the bar moves for each page and need not end full.
  EXPECT_EQ(view.overall, (std::vector<std::pair<int, int>>{
                              {0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}, {6, 9}}));
}

// The lookup takes the first page of an address ignoring case, and follows the table through
// a second search after the processing options (cache reset).
TEST_P(SavedFromTest, LookupTakesTheFirstPageIgnoringCase) {
  Page("first.htm", "<!-- saved from url=(0024)http://www.example.com/A -->");
  Page("other.htm", "<!-- saved from url=(0024)http://www.example.com/B -->");
  Page("second.htm", "<!-- saved from url=(0024)HTTP://WWW.EXAMPLE.COM/a -->");
  Page("slash.htm", "<!-- saved from url=(0024)http://www.example.com/C/ -->");
  RecordingRunView view;
  EXPECT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(session_.SavedFromTable.size(), 4u);  // both pages of one address are kept
  const std::pair<const char*, int> lookups[] = {{"http://www.example.com/a", 0},
                                                 {"http://www.example.com/b", 1},
                                                 {"http://www.example.com/C", -1},
                                                 {"http://www.example.com/C/", 3},
                                                 {"", -1}};
  for (const auto& [url, page] : lookups)
    EXPECT_EQ(FindSavedFromPage(session_, url), page) << url;

  session_.FileList.Clear();
  Page("new1.htm", "<!-- saved from url=(0018)http://b.example/ -->");
  Page("new2.htm", "<!-- saved from url=(0018)http://c.example/ -->");
  session_.CacheReset();
  ASSERT_EQ(Run(view), PhaseResult::Completed);
  EXPECT_EQ(FindSavedFromPage(session_, "http://www.example.com/a"), -1);  // the old page is gone
  EXPECT_EQ(FindSavedFromPage(session_, "http://b.example/"), 0);
  EXPECT_EQ(FindSavedFromPage(session_, "http://c.example/"), 1);
  // Rows added to the table by hand are found too; a table that shrank is indexed anew.
  session_.SavedFromTable.push_back({"http://D.example/", 7});
  EXPECT_EQ(FindSavedFromPage(session_, "http://d.example/"), 7);
  session_.SavedFromTable.erase(session_.SavedFromTable.begin());
  EXPECT_EQ(FindSavedFromPage(session_, "http://b.example/"), -1);
  EXPECT_EQ(FindSavedFromPage(session_, "http://c.example/"), 1);
}

INSTANTIATE_TEST_SUITE_P(ReadOnceOrTwice, SavedFromTest, ::testing::Bool());

// ---- HTML5 places, a page's base, the anchor check and letter case for case-sensitive servers --

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

// Every item is made once, on a worker or on the taking thread (which makes items while it would
// wait), and taken in order, whatever the number of workers, the window and the items' pace.
TEST(OrderedWork, EveryItemOnceAndInOrder) {
  const std::thread::id taker = std::this_thread::get_id();
  for (const int workers : {0, 1, 3}) {
    for (const int window : {1, 4, 64}) {
      for (const int count : {0, 1, 150}) {
        std::vector<std::atomic<int>> made(static_cast<std::size_t>(count));
        std::atomic<bool> threadsRight = true;
        OrderedWork<int> work(count, workers, window, [&](int k, int& item, int thread) {
          made[static_cast<std::size_t>(k)]++;
          if (thread < 0 || thread > workers ||
              (thread == workers) != (std::this_thread::get_id() == taker))
            threadsRight = false;
          if (k % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
          item = k;
        });
        for (int k = 0; k < count; ++k) {
          ASSERT_EQ(work.Take(k), k) << workers << " workers, window " << window;
          if (k % 11 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        for (const std::atomic<int>& m : made)
          EXPECT_EQ(m.load(), 1) << workers << " workers, window " << window;
        EXPECT_TRUE(threadsRight);
      }
    }
  }
}

}  // namespace
}  // namespace urlsmith
