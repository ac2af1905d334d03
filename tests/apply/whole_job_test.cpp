// Bad input through search, review and apply: each gets a clear log line and loses nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "support/core_fixtures.h"
#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

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
