// The apply run on real folders: backups, failures that must leave files intact, permissions,
// byte order, ESC, and the choice between a second pass and a fresh start.
#include "apply/apply_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>

#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::ReadFileBytes;
using testing::RecordingRunView;
using testing::TempDir;

constexpr const char* kOldPage = "<p><a href=\"old.htm\">x</a></p>\n";
constexpr const char* kNewPage = "<p><a href=\"new.htm\">x</a></p>\n";

// The row that replaces the first "old.htm" of `text` (single-byte text; `offset` and `width`
// place it in UTF-16 text).
LinkEntry OldToNew(int file, std::string_view text, int offset = 0, int width = 1) {
  LinkEntry row;
  row.FileIndex = file;
  row.TagPos = offset + width * static_cast<int>(text.find("<a"));
  row.ValuePos = offset + width * static_cast<int>(text.find("\"old.htm\""));
  row.SpanLength = 9;
  row.QuoteLength = 1;
  row.Url = "old.htm";
  row.Replacement = "new.htm";
  return row;
}

// The entries of a folder, sorted.
std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("no file " + path);
  return st.st_mode & 07777;
}

std::string LogLine(const std::string& path, std::size_t size, std::string_view end) {
  return "Processing \"" + path + "\" (" + std::to_string(size) + " bytes) ... " + std::string(end);
}

// A session over the given files, each with one row replacing its "old.htm".
struct Site {
  TempDir dir;
  std::shared_ptr<FileSystem> fs;
  std::unique_ptr<SearchSession> session;
  std::vector<std::string> paths;

  explicit Site(std::shared_ptr<FileSystem> fileSystem = std::make_shared<PosixFileSystem>())
      : fs(std::move(fileSystem)) {}

  std::string Page(const std::string& name, const std::string& text = kOldPage) {
    const std::string path = dir.Write(name, text);
    paths.push_back(path);
    return path;
  }
  std::string Other(const std::string& name) {
    const std::string path = dir.Write(name, "GIF89a");
    paths.push_back(path);
    return path;
  }
  SearchSession& Session() {
    session = std::make_unique<SearchSession>(PathStyle::Posix, fs);
    for (const auto& p : paths)
      session->FileList.Append(p);
    for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
      if (!IsProcessable(paths[static_cast<std::size_t>(i)], PathStyle::Posix)) continue;
      ++session->ProcessableCount;
      const std::string text = ReadFileBytes(paths[static_cast<std::size_t>(i)]);
      if (text.find("old.htm") != std::string::npos)
        session->LinkTable.push_back(OldToNew(i, text));
    }
    return *session;
  }
};

// Fails chosen operations of the real file system.
class FaultyFs : public PosixFileSystem {
 public:
  enum class Op { Write, Link, Rename };
  // Decides, per call, whether it fails (and with which errno); 0 = go on normally.
  std::function<int(Op, const std::string& from, const std::string& to)> fault;
  std::vector<std::string> calls;

  std::optional<std::string> WriteTempFile(const std::string& nearPath,
                                           const std::vector<std::uint8_t>& bytes,
                                           const FileInfo& like, std::string* error) override {
    calls.push_back("write " + nearPath);
    if (const int code = Fault(Op::Write, nearPath, ""); code != 0) {
      *error = std::strerror(code);
      return std::nullopt;
    }
    return PosixFileSystem::WriteTempFile(nearPath, bytes, like, error);
  }
  bool HardLink(const std::string& from, const std::string& to, std::string* error) override {
    calls.push_back("link");
    if (const int code = Fault(Op::Link, from, to); code != 0) {
      *error = std::strerror(code);
      return false;
    }
    return PosixFileSystem::HardLink(from, to, error);
  }
  bool Rename(const std::string& from, const std::string& to, std::string* error) override {
    calls.push_back("rename -> " + to);
    if (const int code = Fault(Op::Rename, from, to); code != 0) {
      *error = std::strerror(code);
      return false;
    }
    return PosixFileSystem::Rename(from, to, error);
  }

 private:
  int Fault(Op op, const std::string& a, const std::string& b) {
    return fault ? fault(op, a, b) : 0;
  }
};

TEST(MakeApplyOptions, NormalisesTheReplacementUrlsInUseAndKeepsTheReviewOptions) {
  struct Case {
    PathStyle style;
    std::string typed;
    bool canonicalize;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {PathStyle::Windows, "C:\\site\\img\\blank.gif", true, "file:///C|/site/img/blank.gif"},
      {PathStyle::Windows, "C|/site/blank.gif", true, "file:///C|/site/blank.gif"},
      {PathStyle::Windows, "C:\\my pics\\a.gif", true, "file:///C|/my%20pics/a.gif"},
      {PathStyle::Windows, "C:\\my pics\\a.gif", false, "file:///C|/my pics/a.gif"},
      {PathStyle::Windows, "img\\blank.gif", true, "img/blank.gif"},
      {PathStyle::Windows, "http://e.com:81/a b.gif?x=\\", true, "http://e.com:81/a%20b.gif?x=%5C"},
      {PathStyle::Windows, "", true, ""},
      {PathStyle::Posix, "/home/u/blank.gif", true, "/home/u/blank.gif"},
      {PathStyle::Posix, "file:///home/u/a b.gif", true, "file:///home/u/a%20b.gif"},
      {PathStyle::Posix, "img\\a.gif", false, "img/a.gif"},
  };
  ResultOptions review;
  review.AllowLinkDeletion = true;
  review.MakeBackups = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    DeletionOptions deletion;
    deletion.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
    deletion.ImageReplacementUrl = c.typed;
    deletion.BackgroundReplacementUrl = c.typed;  // not in use: left as typed
    const ApplyOptions o = MakeApplyOptions(review, deletion, c.canonicalize, c.style);
    EXPECT_EQ(o.Rewrite.Deletion.ImageReplacementUrl, c.expected);
    EXPECT_EQ(o.Rewrite.Deletion.BackgroundReplacementUrl, c.typed);
    EXPECT_TRUE(o.Rewrite.Review.AllowLinkDeletion);
  }
  // The backup box: checked and enabled.
  for (const bool checked : {false, true}) {
    review.MakeBackups = checked;
    EXPECT_EQ(MakeApplyOptions(review, {}, true, PathStyle::Posix).BackupsOn(), checked);
    EXPECT_FALSE(MakeApplyOptions(review, {}, true, PathStyle::Posix, false).BackupsOn());
  }
}

TEST(ApplyRun, RewritesPagesKeepsTheOldOnesAsBackupsAndLogsEachFile) {
  Site site;
  const std::string a = site.Page("a.htm");
  const std::string gif = site.Other("pic.gif");
  const std::string b = site.Page("sub/b.css", "body{}");
  SearchSession& s = site.Session();
  RecordingRunView view;
  const ApplyResult r = ApplyStep(s, ApplyOptions{}, view);

  EXPECT_EQ(ReadFileBytes(a), kNewPage);
  EXPECT_EQ(ReadFileBytes(a + ".bak"), kOldPage);
  // A file whose text stays the same is not written and gets no backup.
  EXPECT_EQ(ReadFileBytes(b), "body{}");
  EXPECT_FALSE(std::filesystem::exists(b + ".bak"));
  EXPECT_FALSE(std::filesystem::exists(gif + ".bak"));
  EXPECT_EQ(Entries(site.dir.path()),
            (std::set<std::string>{"a.htm", "a.htm.bak", "pic.gif", "sub"}));
  EXPECT_EQ(view.log, (std::vector<std::string>{LogLine(a, std::strlen(kOldPage), "done"),
                                                LogLine(b, 6, "no change")}));
  EXPECT_EQ(view.overall, (std::vector<std::pair<int, int>>{{1, 3}, {1, 3}, {2, 3}, {3, 3}}));
  EXPECT_EQ(view.statuses,
            (std::vector<std::string>{"Press ESC to stop",
                                      "Done: 1 change(s) in 2 file(s) applied successfully "
                                      "(1 written, 1 unchanged)"}));
  EXPECT_EQ(r.Changes, 1);
  EXPECT_EQ(r.FilesWritten, 1);
  EXPECT_EQ(r.FilesUnchanged, 1);
  EXPECT_EQ(r.FilesFailed, 0);
  EXPECT_FALSE(s.SearchBusy);
  EXPECT_EQ(r.Next, AfterApply::StartOver);
}

TEST(ApplyRun, AListOfPicturesOnlyWritesNothing) {
  Site site;
  site.Other("a.gif");
  site.Other("b.jpg");
  RecordingRunView view;
  const ApplyResult r = ApplyStep(site.Session(), ApplyOptions{}, view);
  EXPECT_TRUE(view.log.empty());
  EXPECT_EQ(view.overall.back(), (std::pair<int, int>{2, 2}));
  EXPECT_EQ(view.status(), "Done: 0 change(s) in 0 file(s) applied successfully");
  EXPECT_EQ(r.Changes, 0);
}

TEST(ApplyRun, BackupModes) {
  struct Mode {
    const char* name;
    bool checked;
    bool enabled;
    bool backup;
  };
  for (const Mode m : {Mode{"on", true, true, true}, Mode{"unchecked", false, true, false},
                       Mode{"disabled (second pass)", true, false, false}}) {
    SCOPED_TRACE(m.name);
    Site site;
    const std::string a = site.Page("a.htm");
    site.dir.Write("a.htm.bak", "an older backup");
    ApplyOptions o;
    o.Rewrite.Review.MakeBackups = m.checked;
    o.MakeBackupsEnabled = m.enabled;
    RecordingRunView view;
    EXPECT_EQ(ApplyRun(site.Session(), o, view).FilesWritten, 1);
    EXPECT_EQ(ReadFileBytes(a), kNewPage);
    // An older backup is replaced by the file as it was; without backups it stays as it was.
    EXPECT_EQ(ReadFileBytes(a + ".bak"), m.backup ? kOldPage : "an older backup");
    EXPECT_EQ(Entries(site.dir.path()), (std::set<std::string>{"a.htm", "a.htm.bak"}));
  }
}

TEST(ApplyRun, PermissionBitsAreKept) {
  for (const unsigned mode : {0640u, 0755u, 0604u}) {
    Site site;
    const std::string a = site.Page("a.htm");
    ASSERT_EQ(::chmod(a.c_str(), mode), 0);
    RecordingRunView view;
    EXPECT_EQ(ApplyRun(site.Session(), ApplyOptions{}, view).FilesWritten, 1);
    EXPECT_EQ(ReadFileBytes(a), kNewPage);
    EXPECT_EQ(ModeOf(a), mode);
    EXPECT_EQ(ModeOf(a + ".bak"), mode);
  }
}

TEST(ApplyRun, BigEndianPagesStayBigEndian) {
  Site site;
  const std::vector<std::uint8_t> old = testing::Utf16Bytes(kOldPage, true);
  const std::string a = site.dir.WriteBytes("a.htm", old);
  site.paths.push_back(a);
  auto& s = *(site.session = std::make_unique<SearchSession>(PathStyle::Posix, site.fs));
  s.FileList.Append(a);
  s.FileEncoding = {FileEncoding::Utf16Be};
  s.ProcessableCount = 1;
  s.LinkTable.push_back(OldToNew(0, kOldPage, 2, 2));
  RecordingRunView view;
  const ApplyResult r = ApplyRun(s, ApplyOptions{}, view);
  EXPECT_EQ(r.Changes, 1);
  const std::vector<std::uint8_t> expected = testing::Utf16Bytes(kNewPage, true);
  EXPECT_EQ(ReadFileBytes(a), std::string(expected.begin(), expected.end()));
  EXPECT_EQ(ReadFileBytes(a + ".bak"), std::string(old.begin(), old.end()));
}

// Every way a file can fail leaves it as it was, leaves no temporary file behind, ends its log
// line with the reason, and is counted in the summary.
// A run over files that were fixed before: the file that changes is written with its mode
// kept; the one that does not keeps its bytes, times, mode and the backup of the first run.
TEST(ApplyRun, OnlyFilesWhoseTextChangesAreWritten) {
  Site site;
  const std::string a = site.Page("a.htm");
  const std::string b = site.Page("b.htm", "<b>fixed before</b>");
  site.dir.Write("b.htm.bak", "<b>the original</b>");
  ASSERT_EQ(::chmod(a.c_str(), 0604), 0);
  ASSERT_EQ(::chmod(b.c_str(), 0640), 0);
  const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
  std::filesystem::last_write_time(b, past);
  struct stat before {};
  ASSERT_EQ(::stat(b.c_str(), &before), 0);

  RecordingRunView view;
  const ApplyResult r = ApplyStep(site.Session(), ApplyOptions{}, view);
  EXPECT_EQ(r.FilesWritten, 1);
  EXPECT_EQ(r.FilesUnchanged, 1);
  EXPECT_EQ(ReadFileBytes(a), kNewPage);
  struct stat written {};
  ASSERT_EQ(::stat(a.c_str(), &written), 0);
  EXPECT_EQ(written.st_mode & 07777, 0604u);
  struct stat after {};
  ASSERT_EQ(::stat(b.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(ReadFileBytes(b + ".bak"), "<b>the original</b>");
  EXPECT_EQ(view.log.back(), LogLine(b, 19, "no change"));

  // The old behaviour, kept for comparison, writes and backs up both.
  Site again;
  const std::string c = again.Page("c.htm", "<b>same</b>");
  ApplyOptions all;
  all.WriteUnchangedFiles = true;
  EXPECT_EQ(ApplyStep(again.Session(), all, view).FilesWritten, 1);
  EXPECT_EQ(ReadFileBytes(c + ".bak"), "<b>same</b>");
}

TEST(ApplyRun, FailuresLeaveTheFileIntactAndAreReported) {
  struct FaultCase {
    const char* name;
    bool backups;
    std::function<int(FaultyFs::Op, const std::string&, const std::string&)> fault;
    std::string logEnd;
    std::string backupAfter;  // "" = no backup file
  };
  using Op = FaultyFs::Op;
  const std::vector<FaultCase> cases = {
      {"disk full while writing", true,
       [](Op op, auto&, auto&) { return op == Op::Write ? ENOSPC : 0; },
       "failed: cannot write the new text (No space left on device); the file is unchanged", ""},
      {"backup cannot be made", true,
       [](Op op, auto&, auto& to) {
         return op == Op::Rename && testing::EndsWith(to, ".bak") ? EACCES : 0;
       },
       "failed: cannot make the backup (Permission denied); the file is unchanged", ""},
      {"new text cannot take the file's place", true,
       [](Op op, auto&, auto& to) {
         return op == Op::Rename && testing::EndsWith(to, ".htm") ? EIO : 0;
       },
       "failed: cannot replace the file (Input/output error); the file is unchanged", kOldPage},
      {"no hard links, new text cannot take the place: the old file is renamed back", true,
       [](Op op, const std::string& from, auto& to) {
         if (op == Op::Link) return EPERM;
         return op == Op::Rename && testing::EndsWith(to, ".htm") &&
                        !testing::EndsWith(from, ".bak")
                    ? EIO
                    : 0;
       },
       "failed: cannot replace the file (Input/output error); the file is unchanged", ""},
      {"without backups, new text cannot take the place", false,
       [](Op op, auto&, auto&) { return op == Op::Rename ? EXDEV : 0; },
       "failed: cannot replace the file (Invalid cross-device link); the file is unchanged", ""},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto fs = std::make_shared<FaultyFs>();
    fs->fault = c.fault;
    Site site(fs);
    const std::string a = site.Page("a.htm");
    const std::string b = site.Page("b.htm", "<b>unchanged</b>");
    ApplyOptions o;
    o.Rewrite.Review.MakeBackups = c.backups;
    o.WriteUnchangedFiles = true;  // so that the faults meet both files
    RecordingRunView view;
    const ApplyResult r = ApplyStep(site.Session(), o, view);
    EXPECT_EQ(ReadFileBytes(a), kOldPage);
    ASSERT_EQ(view.log.size(), 2u);
    EXPECT_EQ(view.log[0], LogLine(a, std::strlen(kOldPage), c.logEnd));
    std::set<std::string> expected = {"a.htm", "b.htm"};
    if (!c.backupAfter.empty()) {
      expected.insert({"a.htm.bak", "b.htm.bak"});
      EXPECT_EQ(ReadFileBytes(a + ".bak"), c.backupAfter);
    }
    // The second file fails the same way; nothing else is in the folder.
    EXPECT_EQ(Entries(site.dir.path()), expected);
    EXPECT_EQ(r.FilesFailed, 2);
    EXPECT_EQ(r.Changes, 0);
    EXPECT_EQ(view.status(),
              "Done: 0 change(s) in 2 file(s) applied; 2 file(s) failed and are unchanged");
  }
}

TEST(ApplyRun, FallsBackToRenamingWhenHardLinksAreRefused) {
  auto fs = std::make_shared<FaultyFs>();
  fs->fault = [](FaultyFs::Op op, auto&, auto&) { return op == FaultyFs::Op::Link ? EPERM : 0; };
  Site site(fs);
  const std::string a = site.Page("a.htm");
  site.dir.Write("a.htm.bak", "older");
  RecordingRunView view;
  const ApplyResult r = ApplyRun(site.Session(), ApplyOptions{}, view);
  EXPECT_EQ(r.FilesFailed, 0);
  EXPECT_EQ(ReadFileBytes(a), kNewPage);
  EXPECT_EQ(ReadFileBytes(a + ".bak"), kOldPage);
  EXPECT_EQ(Entries(site.dir.path()), (std::set<std::string>{"a.htm", "a.htm.bak"}));
}

TEST(ApplyRun, VanishedReadOnlyAndEmptyFiles) {
  Site site;
  const std::string gone = site.dir / "gone.htm";
  site.paths.push_back(gone);
  const std::string ro = site.Page("ro.htm");
  ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
  const std::string empty = site.Page("empty.htm", "");
  const std::string ok = site.Page("ok.htm");
  RecordingRunView view;
  const ApplyResult r = ApplyStep(site.Session(), ApplyOptions{}, view);
  EXPECT_EQ(view.log,
            (std::vector<std::string>{
                "Processing \"" + gone +
                    "\" ... failed: cannot open the file (No such file or directory); the file "
                    "is unchanged",
                LogLine(ro, std::strlen(kOldPage),
                        "failed: the file is read-only; the file is unchanged"),
                LogLine(ok, std::strlen(kOldPage), "done")}));
  EXPECT_EQ(ReadFileBytes(ro), kOldPage);
  EXPECT_EQ(ModeOf(ro), 0444u);
  EXPECT_EQ(ReadFileBytes(empty), "");
  EXPECT_EQ(ReadFileBytes(ok), kNewPage);
  EXPECT_EQ(r.FilesFailed, 2);
  EXPECT_EQ(r.Changes, 1);
  EXPECT_EQ(Entries(site.dir.path()),
            (std::set<std::string>{"ro.htm", "empty.htm", "ok.htm", "ok.htm.bak"}));
}

// Runs `body` in a child process as an ordinary user when the tests run as the superuser, who
// may write into any folder; otherwise runs it here. True when body returned true.
bool AsOrdinaryUser(const std::function<bool()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ApplyRun, AReadOnlyFolderLeavesItsFilesIntact) {
  Site site;
  const std::string folder = site.dir.MakeDir("ro");
  const std::string a = site.Page("ro/a.htm");
  ASSERT_EQ(::chmod(site.dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(a.c_str(), 0666), 0);  // the file itself may be written
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  SearchSession& s = site.Session();
  const bool ok = AsOrdinaryUser([&] {
    RecordingRunView view;
    const ApplyResult r = ApplyRun(s, ApplyOptions{}, view);
    return r.FilesFailed == 1 && ReadFileBytes(a) == kOldPage && view.log.size() == 1 &&
           view.log[0] == LogLine(a, std::strlen(kOldPage),
                                  "failed: cannot write the new text (Permission denied); the "
                                  "file is unchanged") &&
           Entries(folder) == std::set<std::string>{"a.htm"};
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadFileBytes(a), kOldPage);
}

// The kernel's file size limit makes writes fail the way a full disk does.
TEST(ApplyRun, AWriteThatRunsOutOfSpaceLeavesTheFileIntact) {
  Site site;
  std::string big = kOldPage;
  big += std::string(4096, 'x');
  const std::string a = site.Page("a.htm", big);
  SearchSession& s = site.Session();
  RecordingRunView view;
  ApplyResult r;
  {
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    r = ApplyRun(s, ApplyOptions{}, view);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
  }
  EXPECT_EQ(r.FilesFailed, 1);
  EXPECT_EQ(ReadFileBytes(a), big);
  ASSERT_EQ(view.log.size(), 1u);
  EXPECT_EQ(view.log[0],
            LogLine(a, big.size(),
                    "failed: cannot write the new text (File too large); the file is unchanged"));
  EXPECT_EQ(Entries(site.dir.path()), (std::set<std::string>{"a.htm"}));
}

TEST(ApplyRun, EscAsksAndYesStopsAfterTheCurrentFile) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    Site site;
    const std::string a = site.Page("a.htm");
    const std::string b = site.Page("b.htm");
    const std::string c = site.Page("c.htm");
    RecordingRunView view;
    view.polls = {Poll::Go, Poll::Stop};  // ESC after the second file
    view.answers = {yes};
    const ApplyResult r = ApplyStep(site.Session(), ApplyOptions{}, view);
    EXPECT_EQ(view.questions, (std::vector<std::string>{
                                  "There are still some files to be processed, are you sure you "
                                  "want to cancel?"}));
    EXPECT_EQ(ReadFileBytes(a), kNewPage);
    EXPECT_EQ(ReadFileBytes(b), kNewPage);
    EXPECT_EQ(ReadFileBytes(c), yes ? kOldPage : kNewPage);
    EXPECT_EQ(std::filesystem::exists(c + ".bak"), !yes);
    EXPECT_EQ(r.Stopped, yes);
    EXPECT_EQ(r.Changes, yes ? 2 : 3);  // the files written before the stop
    EXPECT_EQ(view.status(),
              yes ? "Stopped" : "Done: 3 change(s) in 3 file(s) applied successfully");
  }
}

TEST(ApplyRun, ASecondPassIsOfferedOnlyForFixesThatWereWritten) {
  struct PassCase {
    const char* name;
    bool failB;  // writing b.htm fails
    bool stop;   // ESC (Yes) after a.htm
    std::vector<int> fixFiles;
    AfterApply next;
    std::vector<std::int32_t> fixesLeft;  // by row index
  };
  const std::vector<PassCase> cases = {
      {"no fixes", false, false, {}, AfterApply::StartOver, {}},
      {"a fix written", false, false, {1}, AfterApply::NextPass, {1}},
      {"the only fix is in a file that failed", true, false, {1}, AfterApply::StartOver, {}},
      {"the only fix is in a file not reached", false, true, {1}, AfterApply::StartOver, {}},
      {"fixes in both", true, false, {0, 1}, AfterApply::NextPass, {0}},
  };
  for (const PassCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto fs = std::make_shared<FaultyFs>();
    if (c.failB) {
      fs->fault = [](FaultyFs::Op op, const std::string& near, auto&) {
        return op == FaultyFs::Op::Write && testing::EndsWith(near, "b.htm") ? ENOSPC : 0;
      };
    }
    Site site(fs);
    site.Page("a.htm");
    site.Page("b.htm");
    SearchSession& s = site.Session();
    for (const int file : c.fixFiles)
      s.FixList.push_back(file);  // row i is in file i
    RecordingRunView view;
    if (c.stop) {
      view.polls = {Poll::Stop};
      view.answers = {true};
    }
    const ApplyResult r = ApplyStep(s, ApplyOptions{}, view);
    EXPECT_EQ(r.Next, c.next);
    EXPECT_EQ(s.FixList, c.fixesLeft);
  }
}

// A page listed under two names (a symbolic link to it stands beside it): the rows of both
// names were found in the same old text, so once one name has been rewritten the other must
// not have its rows applied again to the new text.
TEST(ApplyRun, APageListedTwiceThroughALinkIsRewrittenOnce) {
  const std::string longer = "<p><a href=\"much-longer-new.htm\">x</a></p>\n";
  for (const char* linkName : {"a-link.htm", "z-link.htm"}) {  // before and after the page
    SCOPED_TRACE(linkName);
    Site site;
    const std::string page = site.dir.Write("page.htm", kOldPage);
    const std::string link = site.dir / linkName;
    ASSERT_EQ(::symlink("page.htm", link.c_str()), 0);
    site.paths = {std::string(linkName) < "page.htm" ? link : page,
                  std::string(linkName) < "page.htm" ? page : link};
    SearchSession& s = site.Session();
    for (LinkEntry& row : s.LinkTable)
      row.Replacement = "much-longer-new.htm";
    RecordingRunView view;
    const ApplyResult r = ApplyRun(s, ApplyOptions{}, view);
    EXPECT_EQ(ReadFileBytes(page), longer);
    EXPECT_EQ(ReadFileBytes(link), longer);
    EXPECT_EQ(ReadFileBytes(page + ".bak"), kOldPage);
    EXPECT_EQ(r.FilesFailed, 0);
  }
}

}  // namespace
}  // namespace urlsmith
