#include "apply/apply_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "support/core_fixtures.h"
#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

using Files = std::map<std::string, std::string>;
using Op = FaultyFs::Op;

constexpr const char* kOldPage = "<p><a href=\"old.htm\">x</a></p>\n";
constexpr const char* kNewPage = "<p><a href=\"new.htm\">x</a></p>\n";
const std::size_t kOldSize = std::strlen(kOldPage);

// Pages in a temporary folder, each page holding "old.htm" with one row replacing it by "new.htm".
struct Site {
  TempDir dir;
  std::shared_ptr<FileSystem> fs = std::make_shared<PosixFileSystem>();
  std::unique_ptr<SearchSession> session;
  std::vector<std::string> paths;

  std::string Page(const std::string& name, const std::string& text = kOldPage) {
    paths.push_back(dir.Write(name, text));
    return paths.back();
  }
  SearchSession& Session() {
    session = std::make_unique<SearchSession>(PathStyle::Posix, fs);
    for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
      const std::string& path = paths[static_cast<std::size_t>(i)];
      session->FileList.Append(path);
      if (!IsProcessable(path, PathStyle::Posix)) continue;
      ++session->ProcessableCount;
      const std::string text = ReadFileBytes(path);
      if (Contains(text, "old.htm"))
        session->LinkTable.push_back(RowIn(text, {"<a", "\"old.htm\"", "new.htm"}, i));
    }
    return *session;
  }
};

// A page fixed before keeps its bytes, inode, times, mode and its first backup; a read-only one
// fails.
TEST(ApplyRun, RewritesPagesKeepsTheOldOnesAsBackupsAndLogsEachFile) {
  Site site;
  const std::string a = site.Page("a.htm");
  site.Page("pic.gif", "GIF89a");
  const std::string b = site.Page("sub/b.css", "body{}"), empty = site.Page("empty.htm", "");
  const std::string ro = site.Page("ro.htm");
  site.dir.Write("sub/b.css.bak", "the original");
  site.dir.Write("a.htm.bak", "an older backup");  // replaced by the file as it was
  ASSERT_EQ(::chmod(a.c_str(), 0604) + ::chmod(b.c_str(), 0640) + ::chmod(ro.c_str(), 0444), 0);
  std::filesystem::last_write_time(
      b, std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
  struct stat before {
  }, after{};
  ASSERT_EQ(::stat(b.c_str(), &before), 0);
  SearchSession& s = site.Session();
  RecordingRunView view;
  const ApplyResult r = ApplyStep(s, ApplyOptions{}, view);
  ASSERT_EQ(::stat(b.c_str(), &after), 0);
  EXPECT_EQ(std::tuple(after.st_ino, after.st_mode & 07777, after.st_mtim.tv_sec, ModeOf(ro),
                       ModeOf(a), ModeOf(a + ".bak")),
            std::tuple(before.st_ino, 0640u, before.st_mtim.tv_sec, 0444u, 0604u, 0604u));
  EXPECT_EQ(Tree(site.dir.path()), (Files{{"a.htm", kNewPage},
                                          {"a.htm.bak", kOldPage},
                                          {"pic.gif", "GIF89a"},
                                          {"sub/b.css", "body{}"},
                                          {"sub/b.css.bak", "the original"},
                                          {"empty.htm", ""},
                                          {"ro.htm", kOldPage}}));
  EXPECT_EQ(
      view.log,
      (std::vector<std::string>{
          ProcessingLine(a, kOldSize, "done"), ProcessingLine(b, 6, "no change"),
          ProcessingLine(ro, kOldSize, "failed: the file is read-only; the file is unchanged")}));
  EXPECT_EQ(view.overall,
            (std::vector<std::pair<int, int>>{{1, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
  EXPECT_EQ(view.statuses, (std::vector<std::string>{
                               "Press ESC to stop",
                               "Done: 1 change(s) in 4 file(s) applied; 1 file(s) failed and are "
                               "unchanged (1 written, 1 unchanged)"}));
  EXPECT_EQ(
      std::tuple(r.Changes, r.FilesWritten, r.FilesUnchanged, r.FilesFailed, r.Next, s.SearchBusy),
      std::tuple(1, 1, 1, 1, AfterApply::StartOver, false));
  Site pictures;
  pictures.Page("a.gif", "GIF89a");
  EXPECT_EQ(ApplyStep(pictures.Session(), ApplyOptions{}, view).Changes, 0);
  EXPECT_EQ(std::pair(view.log.size(), view.status()),
            std::pair(0ul, std::string("Done: 0 change(s) in 0 file(s) applied successfully")));
}

// A failure leaves the file as it was and no temporary file; refused hard links are no failure:
// the old file is renamed to its backup name, and back when the new text cannot take its place.
TEST(ApplyRun, FailuresLeaveTheFileIntactAndAreReported) {
  struct Case {
    bool backups;
    std::function<int(Op, const std::string&, const std::string&)> fault;
    std::string logEnd;       // "done": no failure
    std::string backupAfter;  // "" = no backup file
  };
  const std::string cannot = "failed: cannot ", unchanged = "; the file is unchanged";
  const auto renameTo = [](std::string_view suffix, int code) {
    return [suffix, code](Op op, auto&, auto& to) {
      return op == Op::Rename && to.ends_with(suffix) ? code : 0;
    };
  };
  const auto noLinks = [](auto fault) {
    return [fault](Op op, auto& from, auto& to) {
      return op == Op::Link ? EPERM : fault(op, from, to);
    };
  };
  const auto newText = [](Op op, auto& from, auto& to) {
    return op == Op::Rename && to.ends_with(".htm") && !from.ends_with(".bak") ? EIO : 0;
  };
  const Case cases[] = {
      {true, renameTo(".bak", EACCES), cannot + "make the backup (Permission denied)" + unchanged,
       ""},
      {true, renameTo(".htm", EIO), cannot + "replace the file (Input/output error)" + unchanged,
       kOldPage},
      {true, noLinks(newText), cannot + "replace the file (Input/output error)" + unchanged, ""},
      {true, noLinks(renameTo(".bak", EACCES)),
       cannot + "make the backup (Permission denied)" + unchanged, ""},
      {false, renameTo("", EXDEV),
       cannot + "replace the file (Invalid cross-device link)" + unchanged, ""},
      {true, noLinks(renameTo("", 0)), "done", kOldPage}};
  for (const Case& c : cases) {
    Site site;
    auto fs = std::make_shared<FaultyFs>();
    fs->fault = c.fault;
    site.fs = fs;
    const std::string a = site.Page("a.htm");
    site.Page("b.htm", "<b>unchanged</b>");
    ApplyOptions o;
    o.WriteUnchangedFiles = true;  // so that the faults meet both files
    o.Rewrite.Review.MakeBackups = c.backups;
    RecordingRunView view;
    const ApplyResult r = ApplyStep(site.Session(), o, view);
    const bool ok = c.logEnd == "done";
    ASSERT_EQ(view.log.size(), 2u);
    EXPECT_EQ(view.log[0], ProcessingLine(a, kOldSize, c.logEnd));
    // The second file fails the same way; nothing else is in the folder.
    Files files = {{"a.htm", ok ? kNewPage : kOldPage}, {"b.htm", "<b>unchanged</b>"}};
    if (!c.backupAfter.empty())
      files.insert({{"a.htm.bak", c.backupAfter}, {"b.htm.bak", "<b>unchanged</b>"}});
    EXPECT_EQ(Tree(site.dir.path()), files) << c.logEnd;
    EXPECT_EQ(
        std::tuple(r.FilesFailed, r.Changes, view.status()),
        std::tuple(
            ok ? 0 : 2, ok ? 1 : 0,
            ok ? "Done: 1 change(s) in 2 file(s) applied successfully"
               : "Done: 0 change(s) in 2 file(s) applied; 2 file(s) failed and are unchanged"));
  }
}

// The file size limit makes writes fail as a full disk does.
TEST(ApplyRun, AWriteThatRunsOutOfSpaceLeavesTheFileIntact) {
  Site site;
  const std::string big = kOldPage + std::string(4096, 'x');
  const std::string b = site.Page("b.htm", big);
  SearchSession& s = site.Session();
  RecordingRunView view;
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const ApplyResult r = ApplyRun(s, ApplyOptions{}, view);
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, previous);
  EXPECT_EQ(std::pair(r.FilesFailed, Tree(site.dir.path())), std::pair(1, Files{{"b.htm", big}}));
  EXPECT_EQ(view.log,
            std::vector<std::string>{ProcessingLine(b, big.size(),
                                                    "failed: cannot write the new text (File too "
                                                    "large); the file is unchanged")});
}

// ESC asks; Yes stops after the current file. The fixes of a file that failed, or was not reached
// before a stop, leave the list; a second pass is offered only for fixes that were written.
TEST(ApplyRun, EscStopsAfterTheCurrentFileAndASecondPassIsOfferedForTheFixesWritten) {
  struct Case {
    bool failB, yes;                             // writing b.htm fails; the answer to ESC
    std::size_t escAfter;                        // ESC after this many files (0: none)
    std::vector<std::int32_t> fixes, fixesLeft;  // row i is in file i
    AfterApply next;
    std::string written;  // the pages with the new text (and a backup)
  };
  // clang-format off
  const Case cases[] = {
      {false, false, 0, {}, {}, AfterApply::StartOver, "abc"},
      {false, false, 0, {1}, {1}, AfterApply::NextPass, "abc"},
      {true, false, 0, {1}, {}, AfterApply::StartOver, "ac"},
      {true, false, 0, {0, 1}, {0}, AfterApply::NextPass, "ac"},
      {false, true, 1, {1}, {}, AfterApply::StartOver, "a"},
      {false, true, 2, {}, {}, AfterApply::StartOver, "ab"},
      {false, false, 2, {}, {}, AfterApply::StartOver, "abc"}};
  // clang-format on
  for (const Case& c : cases) {
    Site site;
    auto fs = std::make_shared<FaultyFs>();
    fs->fault = [&c](Op op, const std::string& near, auto&) {
      return c.failB && op == Op::Write && near.ends_with("b.htm") ? ENOSPC : 0;
    };
    site.fs = fs;
    for (const char* name : {"a.htm", "b.htm", "c.htm"})
      site.Page(name);
    SearchSession& s = site.Session();
    s.FixList = c.fixes;
    RecordingRunView view;
    view.polls.assign(c.escAfter, Poll::Go);
    if (c.escAfter > 0) view.polls.back() = Poll::Stop;
    view.answers = {c.yes};
    const ApplyResult r = ApplyStep(s, ApplyOptions{}, view);
    std::string written;
    for (const std::string name : {"a", "b", "c"}) {
      const bool isNew = ReadFileBytes(site.dir / (name + ".htm")) == kNewPage;
      if (isNew) written += name;
      EXPECT_EQ(std::filesystem::exists(site.dir / (name + ".htm.bak")), isNew) << name;
    }
    const bool stopped = c.escAfter > 0 && c.yes;
    EXPECT_EQ(view.questions, std::vector<std::string>(c.escAfter > 0 ? 1 : 0, kApplyStopQuestion));
    EXPECT_EQ(
        std::tuple(written, r.Stopped, view.status() == "Stopped", r.Changes, r.Next, s.FixList),
        std::tuple(c.written, stopped, stopped, static_cast<int>(written.size()), c.next,
                   c.fixesLeft));
  }
}

// A page listed twice through a symbolic link: once rewritten, the other name's rows (found in the
// old text) must not be applied again.
TEST(ApplyRun, APageListedTwiceThroughALinkIsRewrittenOnce) {
  const std::string longer = "<p><a href=\"much-longer-new.htm\">x</a></p>\n";
  for (const std::string linkName : {"a-link.htm", "z-link.htm"}) {
    Site site;
    const std::string page = site.dir.Write("page.htm", kOldPage), link = site.dir / linkName;
    ASSERT_EQ(::symlink("page.htm", link.c_str()), 0);
    site.paths = {std::min(page, link), std::max(page, link)};
    SearchSession& s = site.Session();
    for (LinkEntry& row : s.LinkTable)
      row.Replacement = "much-longer-new.htm";
    RecordingRunView view;
    EXPECT_EQ(ApplyRun(s, ApplyOptions{}, view).FilesFailed, 0);
    EXPECT_EQ(ReadFileBytes(page) + ReadFileBytes(link) + ReadFileBytes(page + ".bak"),
              longer + longer + kOldPage);
  }
}

}  // namespace
}  // namespace urlsmith::testing
