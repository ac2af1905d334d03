#include "engine/search_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/file_adds.h"
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
    RecordingRunView quiet;
    FolderAdd(session_.FileList, session_.fs(), quiet, true, dir_.path());
    session_.Search.CheckInternetUrls = false;
    session_.CacheReset();
  }

  TempDir dir_;
  SearchSession session_;
};

TEST_F(SearchRunTest, CompletedRunWritesEveryPhaseAndTheStatus) {
  session_.Search.UseSavedFromUrl = false;
  RecordingRunView view;
  const SearchResult r = RunSearch(session_, view);
  EXPECT_EQ(r.Outcome, SearchOutcome::NothingFound);
  EXPECT_EQ(session_.RootPath, dir_.path() + "/");
  EXPECT_EQ(session_.ProcessableCount, 4);
  const std::vector<std::string> expected = {
      ">> Finding the root path ... done",
      ">> Counting processable files ... 4 file(s) found",
      ">> Finding Unicode files ... 1 file(s) found",
      ">> Searching for broken links ...",
      dir_ / "index.htm (24 bytes) ... 0 change(s) to apply",
      dir_ / "sub/s.css (6 bytes) ... 0 change(s) to apply",
      dir_ / "sub/u.HTML (36 bytes) ... 0 change(s) to apply",
      dir_ / "sub/x.js (6 bytes) ... 0 change(s) to apply",
  };
  EXPECT_EQ(view.log, expected);
  EXPECT_EQ(view.status(), "Done: 0 change(s) to apply in 4 file(s)");
  EXPECT_EQ(view.statuses.front(), "Press ESC to stop");
  const int u = session_.FileList.FindListedFile(dir_ / "sub/u.HTML");
  EXPECT_EQ(session_.FileEncoding[static_cast<std::size_t>(u)], FileEncoding::Utf16Be);
  // Overall progress: the prepared 1 of 2, then one step per processable file.
  const std::vector<std::pair<int, int>> overall = {{1, 2}, {1, 4}, {2, 4}, {3, 4}, {4, 4}};
  EXPECT_EQ(view.overall, overall);
  // A page's bar ends full: 15 tag kinds, style, script and event-handler phases.
  EXPECT_EQ(view.file.front(), std::make_pair(0, 2));
  EXPECT_NE(std::find(view.file.begin(), view.file.end(), std::make_pair(18, 18)), view.file.end());
  EXPECT_FALSE(session_.SearchBusy);
}

TEST_F(SearchRunTest, SecondPassOnlySearchesLinks) {
  RecordingRunView first;
  RunSearch(session_, first);
  RecordingRunView second;
  RunSearch(session_, second);
  ASSERT_FALSE(second.log.empty());
  EXPECT_EQ(second.log.front(), ">> Searching for broken links ...");
  // Showing the processing options again makes the next run compute every phase.
  session_.CacheReset();
  EXPECT_TRUE(session_.RootPath.empty());
  RecordingRunView third;
  RunSearch(session_, third);
  EXPECT_EQ(third.log.front(), ">> Finding the root path ... done");
}

TEST_F(SearchRunTest, EscAtAnyPollStopsTheRun) {
  // Count the polls of a whole run, then stop at each of them in turn.
  RecordingRunView counter;
  RunSearch(session_, counter);
  const int polls = counter.pollCount;
  ASSERT_GT(polls, 10);
  for (int k = 1; k <= polls; ++k) {
    session_.CacheReset();
    RecordingRunView view;
    view.onPoll = [k](int n) { return n == k ? Poll::Stop : Poll::Go; };
    const SearchResult r = RunSearch(session_, view);
    EXPECT_EQ(r.Outcome, SearchOutcome::Stopped) << "poll " << k;
    EXPECT_EQ(view.status(), "Stopped") << "poll " << k;
    EXPECT_EQ(view.pollCount, k);
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), ">> Done."), 0);
  }
}

TEST_F(SearchRunTest, SkipKeyOutsideAnInternetCheckDoesNothing) {
  RecordingRunView view;
  view.onPoll = [](int) { return Poll::Skip; };
  EXPECT_EQ(RunSearch(session_, view).Outcome, SearchOutcome::NothingFound);
}

TEST_F(SearchRunTest, EmptyFilesAreSkippedSilentlyUnreadableOnesAreReported) {
  const std::string empty = dir_.Write("empty.htm", "");
  const std::string locked = dir_.Write("locked.htm", "<a href=x>");
  ::chmod(locked.c_str(), 0);
  RecordingRunView quiet;
  FolderAdd(session_.FileList, session_.fs(), quiet, true, dir_.path());
  session_.CacheReset();
  RecordingRunView view;
  RunSearch(session_, view);
  const std::string log = view.LogText();
  EXPECT_EQ(log.find("empty.htm"), std::string::npos);
  if (::geteuid() != 0) {  // root reads any file
    EXPECT_NE(log.find(locked + " ... cannot be read: "), std::string::npos) << log;
  }
  EXPECT_EQ(session_.ProcessableCount, 6);
}

TEST_F(SearchRunTest, NamedPipesAndFoldersWithPageNamesDoNotHangTheRun) {
  ASSERT_EQ(::mkfifo((dir_ / "pipe.htm").c_str(), 0600), 0);
  dir_.MakeDir("folder.htm");
  session_.FileList.Append(dir_ / "pipe.htm");
  session_.FileList.Append(dir_ / "folder.htm");
  session_.CacheReset();
  RecordingRunView view;
  EXPECT_EQ(RunSearch(session_, view).Outcome, SearchOutcome::NothingFound);
  const std::string log = view.LogText();
  EXPECT_NE(log.find(dir_ / "pipe.htm ... cannot be read: not a regular file"), std::string::npos)
      << log;
  EXPECT_NE(log.find(dir_ / "folder.htm ... cannot be read: "), std::string::npos) << log;
}

TEST(SearchRun, RootIsTheFolderOfTheShallowestFile) {
  struct Case {
    PathStyle style;
    std::vector<std::string> files;
    std::string root;
  };
  const Case cases[] = {
      {PathStyle::Windows, {R"(C:\a\b\x.htm)", R"(C:\c\y.htm)"}, R"(C:\c\)"},
      {PathStyle::Windows, {R"(C:\x.htm)", R"(D:\y\z.htm)"}, R"(C:\)"},
      {PathStyle::Windows, {R"(C:\s\a.htm)", R"(C:\t\b.htm)"}, R"(C:\s\)"},  // earlier wins
      {PathStyle::Posix, {"/srv/site/a/x.htm", "/srv/other/y.htm"}, "/srv/other/"},
      {PathStyle::Posix, {"/x.htm", "/y/z.htm"}, "/"},
  };
  for (const auto& c : cases) {
    SearchSession session(c.style);
    for (const auto& f : c.files)
      session.FileList.Append(f);
    RecordingRunView view;
    EXPECT_EQ(FindRootPath(session, view), PhaseResult::Completed);
    EXPECT_EQ(session.RootPath, c.root);
    EXPECT_EQ(view.log.back(), ">> Finding the root path ... done");
  }
}

TEST(SearchRun, FileLimitIsTheLargestListAccepted) {
  for (const int count : {kMaxFiles, kMaxFiles + 1}) {
    SearchSession session;
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
      paths.push_back("/nowhere/f" + std::to_string(i) + ".gif");
    session.FileList.AppendAll(std::move(paths));
    session.InternetCheckOff = true;
    RecordingRunView view;
    const SearchResult r = RunSearch(session, view);
    if (count == kMaxFiles) {
      EXPECT_EQ(r.Outcome, SearchOutcome::NothingFound);
      EXPECT_TRUE(view.errors.empty());
      EXPECT_EQ(view.status(), "Done: 0 change(s) to apply in 0 file(s)");
    } else {
      EXPECT_EQ(r.Outcome, SearchOutcome::Refused);
      ASSERT_EQ(view.errors.size(), 1u);
      EXPECT_EQ(view.errors[0], kTooManyFilesMessage);
      EXPECT_TRUE(view.log.empty());
      EXPECT_FALSE(session.SearchBusy);
    }
  }
}

TEST(SearchModel, TablesRefuseRowsPastTheirCapacity) {
  SearchSession session;
  for (int i = 0; i < kMaxLinkRows; ++i)
    ASSERT_TRUE(session.AddRow(LinkEntry{}));
  EXPECT_FALSE(session.AddRow(LinkEntry{}));
  EXPECT_TRUE(session.TableFull);
  EXPECT_EQ(session.LinkCount(), kMaxLinkRows);
  session.RunReset();
  EXPECT_EQ(session.LinkCount(), 0);
  EXPECT_FALSE(session.TableFull);
}

TEST(SearchModel, ActionFollowsTheReplacementForm) {
  struct Case {
    std::string url, replacement;
    RowAction action;
  };
  const Case cases[] = {
      {"a.htm", "", RowAction::Delete},
      {"a.htm", "\"\"", RowAction::Delete},  // deleted, the empty value written with quotes
      {"a.htm", "\"b.htm\"", RowAction::Replace},
      {"a.htm", "a.htm", RowAction::CopyOld},
      {"a.htm", "|||b.htm", RowAction::ReplaceRelative},
      {"a.htm", ":::_blank", RowAction::Target},
      {"a.htm", "b.htm", RowAction::Replace},
  };
  for (const auto& c : cases) {
    LinkEntry row;
    row.Url = c.url;
    row.Replacement = c.replacement;
    EXPECT_EQ(ActionOf(row), c.action) << c.replacement;
  }
}

TEST(SearchModel, ProcessableExtensionsIgnoreCase) {
  EXPECT_EQ(KindOfPath("/s/INDEX.HTM", PathStyle::Posix), FileKind::Page);
  EXPECT_EQ(KindOfPath("/s/a.Shtml", PathStyle::Posix), FileKind::Page);
  EXPECT_EQ(KindOfPath("/s/a.CSS", PathStyle::Posix), FileKind::Style);
  EXPECT_EQ(KindOfPath("/s/a.js", PathStyle::Posix), FileKind::Script);
  EXPECT_EQ(KindOfPath("/s/a.jsx", PathStyle::Posix), FileKind::Other);
  EXPECT_EQ(KindOfPath("/s.htm/readme", PathStyle::Posix), FileKind::Other);
  EXPECT_EQ(KindOfPath(R"(C:\s.htm\readme)", PathStyle::Windows), FileKind::Other);
}

}  // namespace
}  // namespace urlsmith
