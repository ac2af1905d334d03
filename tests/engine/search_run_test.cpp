// The search run over real sites on disk: its phases, log, progress and ESC, and every row it
// plans on the example site shipped with the sources.
#include "engine/search_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/file_adds.h"
#include "support/engine_fixtures.h"

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
    AddFolder();
    session_.Search.CheckInternetUrls = false;
    session_.CacheReset();
  }
  void AddFolder() {
    RecordingRunView quiet;
    FolderAdd(session_.FileList, session_.fs(), quiet, true, dir_.path());
  }

  TempDir dir_;
  SearchSession session_;
};

TEST_F(SearchRunTest, CompletedRunWritesEveryPhaseAndTheStatus) {
  session_.Search.UseSavedFromUrl = false;
  RecordingRunView view;
  view.onPoll = [](int) { return Poll::Skip; };  // F10 outside an Internet check does nothing
  EXPECT_EQ(RunSearch(session_, view).Outcome, SearchOutcome::NothingFound);
  EXPECT_EQ(session_.RootPath, dir_.path() + "/");
  EXPECT_EQ(session_.ProcessableCount, 4);
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
  const int u = session_.FileList.FindListedFile(dir_ / "sub/u.HTML");
  EXPECT_EQ(session_.FileEncoding[static_cast<std::size_t>(u)], FileEncoding::Utf16Be);
  // Overall progress: the prepared 1 of 2, then one step per processable file. A page's bar
  // ends full: 15 tag kinds, style, script and event-handler phases.
  EXPECT_EQ(view.overall,
            (std::vector<std::pair<int, int>>{{1, 2}, {1, 4}, {2, 4}, {3, 4}, {4, 4}}));
  EXPECT_EQ(view.file.front(), std::make_pair(0, 2));
  EXPECT_NE(std::find(view.file.begin(), view.file.end(), std::make_pair(18, 18)), view.file.end());
  EXPECT_FALSE(session_.SearchBusy);

  // A second pass only searches links; after the processing options were shown again (cache
  // reset) every phase runs again.
  RecordingRunView second;
  RunSearch(session_, second);
  EXPECT_EQ(second.log.front(), ">> Searching for broken links ...");
  session_.CacheReset();
  EXPECT_TRUE(session_.RootPath.empty());
  RecordingRunView third;
  RunSearch(session_, third);
  EXPECT_EQ(third.log.front(), ">> Finding the root path ... done");
}

TEST_F(SearchRunTest, EscAtAnyPollStopsTheRun) {
  RecordingRunView counter;
  RunSearch(session_, counter);
  ASSERT_GT(counter.pollCount, 10);
  for (int k = 1; k <= counter.pollCount; ++k) {
    session_.CacheReset();
    RecordingRunView view;
    view.onPoll = [k](int n) { return n == k ? Poll::Stop : Poll::Go; };
    EXPECT_EQ(RunSearch(session_, view).Outcome, SearchOutcome::Stopped) << "poll " << k;
    EXPECT_EQ(view.status(), "Stopped") << "poll " << k;
    EXPECT_EQ(view.pollCount, k);
    EXPECT_FALSE(testing::Contains(view.log, ">> Done."));
  }
}

// Empty files are passed over silently; folders with page names are reported (the whole-job tests
// try unreadable pages and named pipes).
TEST_F(SearchRunTest, FilesThatCannotBeReadAreReported) {
  dir_.Write("empty.htm", "");
  AddFolder();
  dir_.MakeDir("folder.htm");
  session_.FileList.Append(dir_ / "folder.htm");
  session_.CacheReset();
  RecordingRunView view;
  EXPECT_EQ(RunSearch(session_, view).Outcome, SearchOutcome::NothingFound);
  const std::string log = view.LogText();
  EXPECT_FALSE(testing::Contains(log, "empty.htm"));
  EXPECT_TRUE(testing::Contains(log, dir_ / "folder.htm ... cannot be read: ")) << log;
  EXPECT_EQ(session_.ProcessableCount, 6);
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

}  // namespace
}  // namespace urlsmith
