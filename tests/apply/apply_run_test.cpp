// Apply runs over real files: the rewrite, backups, failures and ESC, and whole jobs from the
// search on, with bad input.
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
#include <string>
#include <tuple>
#include <vector>

#include "engine/search_run.h"
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

// ---- Bad input through search, review and apply: each gets a clear log line and loses nothing --

namespace fs = std::filesystem;

constexpr const char* kBroken = "<p><a href=\"missing.htm\">gone</a> <img src=\"pic.gif\"></p>\n";
constexpr const char* kRepaired = "<p>gone <img src=\"pic.gif\"></p>\n";

std::string Times(std::string_view text, int n) {
  std::string all;
  for (int i = 0; i < n; ++i)
    all += text;
  return all;
}

std::unique_ptr<SearchSession> Searched(const TempDir& dir, RecordingRunView& view,
                                        SearchOutcome outcome = SearchOutcome::Found,
                                        std::shared_ptr<FileSystem> fileSystem = nullptr) {
  auto session = SessionOver(dir.path(), std::move(fileSystem));
  EXPECT_EQ(RunSearch(*session, view).Outcome, outcome) << view.LogText();
  return session;
}

// The files written by the apply step with deletions allowed.
int Apply(SearchSession& session, RecordingRunView& view, int failed = 0) {
  ApplyOptions options;
  options.Rewrite.Review.AllowLinkDeletion = true;
  const ApplyResult r = ApplyStep(session, options, view);
  EXPECT_EQ(r.FilesFailed, failed) << view.LogText();
  return r.FilesWritten;
}

TEST(WholeJob, BadInputIsSearchedReviewedAndAppliedWithoutLoss) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // "<fifo>": a named pipe
    std::map<std::string, std::string> after;  // the files that change, new bytes ("*": any)
    int rows;                                  // the rows planned (-1: not counted)
    SearchOutcome outcome = SearchOutcome::Found;
    std::string said = {};  // in the search log or its error message
  };
  const std::string big(5 * 1024 * 1024, 'a');
  const std::string bigPage =
      "<p><a href=\"" + big + ".htm\">big</a> <img src='" + big + "'> tail</p>";
  // Broken text links go, links to a file that moved are pointed at it, the rest stay. Each
  // deleted link's tag is removed and its closing tag looked for: on open.htm none comes, on
  // end.htm one at the very end is found by every link.
  std::string line, lineAfter, open = "<p>", openAfter = "<p>";
  for (int i = 0; i < 20000; ++i) {
    const std::string n = std::to_string(i);
    const std::string forms[][2] = {
        {"<a href=\"gone" + n + ".htm\">" + n + "</a>", n},
        {"<a href=here.htm>" + n + "</a>", "<a href=sub/here.htm>" + n + "</a>"},
        {"<img src='pic.gif'>", "<img src='pic.gif'>"},
        {"<img src=nopic" + n + ".gif>", "<img src=\"\">"}};
    line += forms[i % 4][0];
    lineAfter += forms[i % 4][1];
    if (i >= 1000) continue;
    open += "<a href=gone" + n.substr(n.size() - 1) + ".htm>" + n.substr(n.size() - 1);
    openAfter += n.substr(n.size() - 1);
  }
  // A full table: the pictures the search got to are emptied, the others stay.
  const int emptied = kMaxLinkRows - 200000;
  const std::string links = Times("<a href=g>", 200000), pictures = Times("<img src=h>", 70000);
  const std::string picturesAfter =
      Times("<img src=\"\">", emptied) + Times("<img src=h>", 70000 - emptied);
  const std::string deep =
      "<a href=\"" + Times("a/", 3000) + "x.htm\">d</a><a href=\"" + Times("../", 3000) +
      "pic.gif\">u</a><img src=\"" + std::string(5000, '/') + "pic.gif\"><a href=\"file://" +
      std::string(5000, '/') + "\">f</a><a href=\"http:" + std::string(6000, '/') +
      "x\">h</a><a href=\"" + std::string(6000, '.') +
      "\">dots</a><a href=\"C:" + std::string(6000, '\\') + "\">c</a>";
  const std::string oddPage =
      "<a href=\"\xff.gif\">ok</a> <a href=\"gone\xe9.htm\">gone</a> <img src=\"%FF.gif\">\n"
      "<a href=\"sub/\xfe\xff.htm\">sub</a>\n";
  const std::string be = "<html><body>\n<a href=\"old.htm\">Old</a>\n</body></html>\n";
  const std::string oddAfter =
      "<a href=\"\xff.gif\">ok</a> gone <img src=\"%FF.gif\">\n<a "
      "href=\"sub/\xfe\xff.htm\">sub</a>\n";
  const std::string beAfter = "<html><body>\n<a href=\"sub/old.htm\">Old</a>\n</body></html>\n";
  // A named pipe with a page's name is neither read (it could block for ever) nor written.
  // clang-format off
  const Case cases[] = {
      {"names that are not UTF-8",
       {{"\xff.gif", "GIF89a"}, {"caf\xe9.htm", oddPage},
       {"sub/\xfe\xff.htm", "<a href=\"../caf\xe9.htm\">up</a>"}},
       {{"caf\xe9.htm", oddAfter}}, 1},
      {"a value of 5 MB", {{"big.htm", bigPage}}, {{"big.htm", "<p>big <img src=''> tail</p>"}}, 2},
      {"a value of 5 MB in UTF-16", {{"big.htm", Utf16Text(bigPage)}},
       {{"big.htm", Utf16Text("<p>big <img src=''> tail</p>")}}, 2},
      {"a big-endian page", {{"be.htm", Utf16Text(be, true)}, {"sub/old.htm", "<html></html>\n"}},
       {{"be.htm", Utf16Text(beAfter, true)}}, 1},
      {"20,000 links on one line and tags that are never closed",
       {{"pic.gif", "GIF89a"}, {"sub/here.htm", "x"}, {"line.htm", line}, {"open.htm", open + "</p>"},
        {"end.htm", open + "</p></a>"}},
       {{"line.htm", lineAfter}, {"open.htm", openAfter + "</p>"}, {"end.htm", openAfter + "</p>"}},
       17000},
      {"files of none, one and two bytes",
       {{"empty.htm", ""}, {"one.htm", "<"}, {"ff.htm", "\xff"},
       {"bom.htm", "\xff\xfe"}, {"bombe.htm", "\xfe\xff"}, {"bom-odd.htm", "\xff\xfe<"},
       {"nul.css", std::string(1, '\0')}, {"q.js", "'"}},
       {}, 0, SearchOutcome::NothingFound},
      {"a full table", {{"a.htm", links}, {"b.htm", pictures}},
       {{"a.htm", ""}, {"b.htm", picturesAfter}}, kMaxLinkRows, SearchOutcome::Stopped,
       "and stopped there"},
      {"absurd paths and a named pipe",
       {{"pic.gif", "GIF89a"}, {"deep.htm", deep}, {"fifo.htm", "<fifo>"}}, {{"deep.htm", "*"}}, -1,
       SearchOutcome::Found, "/fifo.htm ... cannot be read: not a regular file"}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    for (const auto& [name, bytes] : c.files) {
      if (bytes == "<fifo>") {
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0644), 0);
      } else {
        dir.Write(name, bytes);
      }
    }
    RecordingRunView view;
    auto session = Searched(dir, view, c.outcome);
    EXPECT_EQ(c.rows < 0 ? c.rows : session->LinkCount(), c.rows);
    for (const std::string& error : view.errors)
      view.log.push_back(error);
    EXPECT_TRUE(Contains(view.LogText(), c.said)) << view.LogText();
    EXPECT_EQ(Apply(*session, view), static_cast<int>(c.after.size()));
    for (const auto& [name, bytes] : c.files) {
      const auto changed = c.after.find(name);
      if (bytes == "<fifo>") {
        EXPECT_TRUE(fs::is_fifo(dir / name));
      } else if (changed == c.after.end()) {
        EXPECT_EQ(ReadFileBytes(dir / name), bytes) << name;
      } else {
        const std::string now = ReadFileBytes(dir / name);
        EXPECT_EQ(changed->second == "*" ? "*" : now, changed->second) << name;
        EXPECT_EQ(ReadFileBytes(dir / (name + ".bak")), bytes) << name;
      }
      EXPECT_EQ(fs::exists(dir / (name + ".bak")), changed != c.after.end()) << name;
    }
  }
}

// a.htm after the search: gone, a folder, unreadable (faked: the tests may run as the superuser),
// or a text the rows no longer fit; "<locked>" cannot be read by the search either.
TEST(WholeJob, APageThatChangesAfterTheSearchIsLeftAsItIs) {
  const std::string utf16 = Utf16Text(kBroken), changed = "the file changed since the search";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"<gone>", "cannot open the file (No such file or directory)"},
      {"<folder>", "cannot open the file (it is a folder)"},
      {"<unreadable>", "cannot read the file (Permission denied)"},
      {"<locked>", "cannot read the file (Permission denied)"},
      {std::string(kBroken).substr(0, 20), changed}, {"<", changed}, {utf16, changed},
      {utf16.substr(0, 31), changed}, {"<p>new text in front</p>" + std::string(kBroken), changed}};
  // clang-format on
  for (const auto& [now, why] : cases) {
    SCOPED_TRACE(now);
    TempDir dir;
    dir.Write("pic.gif", "GIF89a");
    const std::string page = dir.Write("a.htm", kBroken);
    dir.Write("b.htm", kBroken);
    auto faulty = std::make_shared<FaultyFs>();
    bool unreadable = now == "<locked>";
    faulty->fault = [&](FaultyFs::Op op, const std::string& path, auto&) {
      return op == FaultyFs::Op::Read && unreadable && path == page ? EACCES : 0;
    };
    RecordingRunView view;
    auto session = Searched(dir, view, SearchOutcome::Found, faulty);
    EXPECT_EQ(session->LinkCount(), unreadable ? 1 : 2);
    EXPECT_EQ(Contains(view.log, page + " ... cannot be read: Permission denied"), unreadable);
    const bool missing = now == "<gone>" || now == "<folder>";
    const bool text = !missing && now != "<unreadable>" && now != "<locked>";
    if (missing) fs::remove(page);
    if (now == "<folder>") fs::create_directory(page);
    if (now == "<unreadable>") unreadable = true;
    if (text) {
      dir.Write("a.htm", now);
      // The rewriter itself, given the new text, stays inside it.
      const std::vector<std::uint8_t> bytes(now.begin(), now.end());
      for (const FileEncoding e : {FileEncoding::Ansi, FileEncoding::Utf16Le}) {
        std::vector<std::uint8_t> out;
        PageRewriter(*session, RewriteOptions{{.AllowLinkDeletion = true}, {}})
            .RewritePage(session->View(bytes, e), 0, out);
        EXPECT_LE(out.size(), bytes.size() + 16);
      }
    }
    auto before = Tree(dir.path(), TreeOf::FilesAndFolders);
    EXPECT_EQ(Apply(*session, view, 1), 1);
    const std::string failed = "failed: " + why + "; the file is unchanged";
    EXPECT_EQ(view.log[0],
              missing ? "Processing \"" + page + "\" ... " + failed
                      : ProcessingLine(page, text ? now.size() : std::strlen(kBroken), failed));
    // Only b.htm (and its new backup) differs from what was there before.
    auto after = Tree(dir.path(), TreeOf::FilesAndFolders);
    EXPECT_EQ(after["b.htm.bak"], kBroken);
    after.erase("b.htm.bak");
    before["b.htm"] = kRepaired;
    EXPECT_EQ(after, before);
  }
}

}  // namespace
}  // namespace urlsmith::testing
