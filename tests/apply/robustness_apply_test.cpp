// Bad input through the whole job, case by case: pages that vanish, turn into folders or cannot
// be read between the search and the apply run, names that are not UTF-8, a value of 5 MB,
// 20,000 links on one line, files of one byte and of none. Each gets a clear log line and loses
// nothing: a file that fails keeps its bytes and gets no backup, and nothing is left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "apply/apply_run.h"
#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
#include "results/plan_json.h"
#include "results/result_list.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::ReadFileBytes;
using testing::RecordingRunView;
using testing::SessionOver;
using testing::TempDir;

// Every file and folder of the site.
std::map<std::string, std::string> Tree(const std::string& folder) {
  return testing::Tree(folder, testing::TreeOf::FilesAndFolders);
}

// Fails reading the files whose paths are in `unreadable`, as a file without read permission
// does for an ordinary user (the tests run as the superuser, whom chmod 0 does not stop).
class UnreadableFs : public PosixFileSystem {
 public:
  std::set<std::string> unreadable;

  ReadResult ReadWholeFile(const std::string& path) override {
    if (unreadable.count(path) != 0) {
      ReadResult r;
      r.Status = ReadStatus::Unreadable;
      r.Error = "Permission denied";
      return r;
    }
    return PosixFileSystem::ReadWholeFile(path);
  }
  std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                      std::size_t count) override {
    if (unreadable.count(path) != 0) return std::nullopt;
    return PosixFileSystem::ReadPrefix(path, count);
  }
};

ApplyOptions WithDeletion() {
  ApplyOptions options;
  options.Rewrite.Review.AllowLinkDeletion = true;
  return options;
}

std::string Failed(const std::string& path, const std::string& why) {
  return "Processing \"" + path + "\" ... failed: " + why + "; the file is unchanged";
}

// Whether the text is well-formed UTF-8.
bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80                 ? 1
              : b >= 0xC2 && b <= 0xDF ? 2
              : b >= 0xE0 && b <= 0xEF ? 3
              : b >= 0xF0 && b <= 0xF4 ? 4
                                       : 0;
    if (len == 0 || i + static_cast<std::size_t>(len) > s.size()) return false;
    for (int k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += static_cast<std::size_t>(len);
  }
  return true;
}

constexpr const char* kBrokenPage =
    "<p><a href=\"missing.htm\">gone</a> <img src=\"pic.gif\"></p>\n";

// ---- Pages that change between the search and the apply run -------------------------------

TEST(ApplyRobustness, APageThatVanishesOrBecomesAFolderFailsAndNothingIsCreated) {
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "became a folder" : "vanished");
    TempDir dir;
    dir.Write("pic.gif", "GIF89a");
    const std::string page = dir.Write("a.htm", kBrokenPage);
    const std::string ok = dir.Write("b.htm", kBrokenPage);
    auto session = SessionOver(dir.path());
    RecordingRunView view;
    ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
    ASSERT_EQ(session->LinkCount(), 2);

    fs::remove(page);
    if (folder) fs::create_directory(page);
    const auto before = Tree(dir.path());
    RecordingRunView applyView;
    const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
    EXPECT_EQ(r.FilesFailed, 1);
    EXPECT_EQ(r.FilesWritten, 1);
    EXPECT_TRUE(Contains(applyView.log,
                         Failed(page, folder ? "cannot open the file (it is a folder)"
                                             : "cannot open the file (No such file or directory)")))
        << applyView.LogText();
    EXPECT_NE(applyView.status().find("1 file(s) failed and are unchanged"), std::string::npos)
        << applyView.status();
    // Only the other page changed and got its backup; nothing appeared where the page was.
    auto after = Tree(dir.path());
    EXPECT_EQ(after.at("b.htm.bak"), kBrokenPage);
    EXPECT_EQ(after.at("b.htm"), "<p>gone <img src=\"pic.gif\"></p>\n");
    after.erase("b.htm.bak");
    after.erase("b.htm");
    auto expected = before;
    expected.erase("b.htm");
    EXPECT_EQ(after, expected);
  }
}

TEST(ApplyRobustness, AnUnreadablePageIsReportedBySearchAndApplyAndKeptAsItIs) {
  TempDir dir;
  dir.Write("pic.gif", "GIF89a");
  const std::string locked = dir.Write("locked.htm", kBrokenPage);
  const std::string later = dir.Write("later.htm", kBrokenPage);
  const std::string open = dir.Write("open.htm", kBrokenPage);
  auto faulty = std::make_shared<UnreadableFs>();
  faulty->unreadable = {locked};
  auto session = SessionOver(dir.path(), faulty);
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
  // The search says why it did not search the page, so it is not taken for clean.
  EXPECT_TRUE(Contains(view.log, locked + " ... cannot be read: Permission denied"))
      << view.LogText();
  EXPECT_EQ(session->LinkCount(), 2);  // later.htm and open.htm

  // A second page becomes unreadable after the search.
  faulty->unreadable.insert(later);
  const auto before = Tree(dir.path());
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  const std::string size = " (" + std::to_string(std::strlen(kBrokenPage)) + " bytes) ... ";
  const std::string unreadable =
      "failed: cannot read the file (Permission denied); the file is unchanged";
  EXPECT_EQ(applyView.log,
            (std::vector<std::string>{"Processing \"" + later + "\"" + size + unreadable,
                                      "Processing \"" + locked + "\"" + size + unreadable,
                                      "Processing \"" + open + "\"" + size + "done"}));
  EXPECT_EQ(r.FilesFailed, 2);
  auto after = Tree(dir.path());
  EXPECT_EQ(after.at("open.htm.bak"), kBrokenPage);
  after.erase("open.htm.bak");
  after.erase("open.htm");
  auto expected = before;
  expected.erase("open.htm");
  EXPECT_EQ(after, expected);
}

TEST(ApplyRobustness, APageThatChangedSinceTheSearchIsLeftAsItIs) {
  // The rows were found in the old text. The apply run refuses the changed page; the rewriter
  // itself, given the new text, must stay inside it.
  struct Case {
    const char* name;
    std::string now;
  };
  const std::vector<std::uint8_t> units = testing::Utf16Bytes(kBrokenPage, false);
  const std::string utf16(units.begin(), units.end());
  for (const Case& c :
       {Case{"truncated", std::string(kBrokenPage).substr(0, 20)}, Case{"one byte", "<"},
        Case{"now UTF-16", utf16}, Case{"odd-sized UTF-16", utf16.substr(0, 31)}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("pic.gif", "GIF89a");
    const std::string page = dir.Write("a.htm", kBrokenPage);
    auto session = SessionOver(dir.path());
    RecordingRunView view;
    ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
    dir.Write("a.htm", c.now);

    const std::vector<std::uint8_t> now(c.now.begin(), c.now.end());
    for (const FileEncoding e : {FileEncoding::Ansi, FileEncoding::Utf16Le}) {
      std::vector<std::uint8_t> out;
      PageRewriter(*session, WithDeletion().Rewrite).RewritePage(session->View(now, e), 0, out);
      EXPECT_LE(out.size(), now.size() + 16);
    }

    RecordingRunView applyView;
    const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
    EXPECT_EQ(r.FilesFailed, 1);
    EXPECT_EQ(applyView.log, std::vector<std::string>{
                                 "Processing \"" + page + "\" (" + std::to_string(c.now.size()) +
                                 " bytes) ... failed: the file changed since the search; "
                                 "the file is unchanged"});
    EXPECT_EQ(ReadFileBytes(page), c.now);
    EXPECT_FALSE(fs::exists(page + ".bak"));
  }
}

// ---- Names that are not UTF-8 --------------------------------------------------------------

TEST(ApplyRobustness, NamesThatAreNotUtf8AreSearchedRewrittenAndBackedUp) {
  TempDir dir;
  dir.Write("\xff.gif", "GIF89a");
  const std::string page = dir.Write(
      "caf\xe9.htm",
      "<a href=\"\xff.gif\">ok</a> <a href=\"gone\xe9.htm\">gone</a> <img src=\"%FF.gif\">\n"
      "<a href=\"sub/\xfe\xff.htm\">sub</a>\n");
  const std::string sub = dir.Write("sub/\xfe\xff.htm", "<a href=\"../caf\xe9.htm\">up</a>");
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found) << view.LogText();
  // Only the broken link is planned; the links to the files with odd names resolve.
  std::vector<std::string> urls;
  for (const LinkEntry& row : session->LinkTable)
    urls.push_back(row.Url);
  EXPECT_EQ(urls, std::vector<std::string>{"gone\xe9.htm"});

  VectorResultList list;
  ResultStep step(*session, list);
  step.Options.AllowLinkDeletion = true;
  ShowResults(step);
  EXPECT_TRUE(IsUtf8(PlanJson(step)));

  const std::string old = ReadFileBytes(page);
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
  EXPECT_EQ(ReadFileBytes(page + ".bak"), old);
  EXPECT_EQ(ReadFileBytes(page),
            "<a href=\"\xff.gif\">ok</a> gone <img src=\"%FF.gif\">\n"
            "<a href=\"sub/\xfe\xff.htm\">sub</a>\n");
  EXPECT_FALSE(fs::exists(sub + ".bak"));  // its text stays the same: not written
}

// ---- Huge values ---------------------------------------------------------------------------

TEST(ApplyRobustness, AFiveMegabyteValueIsFoundAndDeleted) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "UTF-16" : "single-byte");
    TempDir dir;
    const std::string value(5 * 1024 * 1024, 'a');
    const std::string text =
        "<p><a href=\"" + value + ".htm\">big</a> <img src='" + value + "'> tail</p>";
    std::string bytes = text;
    if (wide) {
      const auto units = testing::Utf16Bytes(text, false);
      bytes.assign(units.begin(), units.end());
    }
    const std::string page = dir.Write("big.htm", bytes);
    auto session = SessionOver(dir.path());
    RecordingRunView view;
    ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found) << view.LogText();
    ASSERT_EQ(session->LinkCount(), 2);
    const int w = wide ? 2 : 1;
    for (const LinkEntry& row : session->LinkTable) {
      EXPECT_LE(static_cast<std::size_t>(row.ValuePos + row.SpanLength * w), bytes.size());
    }
    EXPECT_EQ(session->LinkTable[0].Url, value + ".htm");
    RecordingRunView applyView;
    const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
    EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
    std::string expected = "<p>big <img src=''> tail</p>";
    if (wide) {
      const auto units = testing::Utf16Bytes(expected, false);
      expected.assign(units.begin(), units.end());
    }
    EXPECT_EQ(ReadFileBytes(page), expected);
    EXPECT_EQ(ReadFileBytes(page + ".bak"), bytes);
  }
}

TEST(ApplyRobustness, TwentyThousandLinksOnOneLine) {
  TempDir dir;
  dir.Write("pic.gif", "GIF89a");
  dir.Write("sub/here.htm", "x");
  std::string text;
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string n = std::to_string(i);
    // Broken text links go, links to a file that moved are pointed at it, the rest stay.
    switch (i % 4) {
      case 0:
        text += "<a href=\"gone" + n + ".htm\">" + n + "</a>";
        expected += n;
        break;
      case 1:
        text += "<a href=here.htm>" + n + "</a>";
        expected += "<a href=sub/here.htm>" + n + "</a>";
        break;
      case 2:
        text += "<img src='pic.gif'>";
        expected += "<img src='pic.gif'>";
        break;
      default:
        text += "<img src=nopic" + n + ".gif>";
        expected += "<img src=\"\">";
        break;
    }
  }
  const std::string page = dir.Write("line.htm", text);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found) << view.LogText();
  EXPECT_EQ(session->LinkCount(), 15000);
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0);
  EXPECT_EQ(r.Changes, 15000);
  EXPECT_EQ(ReadFileBytes(page), expected);
  EXPECT_EQ(ReadFileBytes(page + ".bak"), text);
}

// ---- Tiny files ----------------------------------------------------------------------------

TEST(ApplyRobustness, EmptyAndOneOrTwoByteFiles) {
  TempDir dir;
  struct File {
    const char* name;
    std::string bytes;
  };
  const std::vector<File> files = {{"empty.htm", ""},
                                   {"one.htm", "<"},
                                   {"ff.htm", "\xff"},
                                   {"bom.htm", "\xff\xfe"},
                                   {"bombe.htm", "\xfe\xff"},
                                   {"bom-odd.htm", "\xff\xfe<"},
                                   {"nul.css", std::string(1, '\0')},
                                   {"q.js", "'"}};
  for (const File& f : files)
    dir.Write(f.name, f.bytes);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  EXPECT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::NothingFound) << view.LogText();
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
  // Each is rewritten to its own bytes, so none is written; the empty one is passed over.
  EXPECT_EQ(r.FilesWritten, 0);
  EXPECT_EQ(r.FilesUnchanged, static_cast<int>(files.size()) - 1);
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(ReadFileBytes(dir / f.name), f.bytes);
    EXPECT_FALSE(fs::exists(dir / (std::string(f.name) + ".bak")));
  }
}

TEST(ApplyRobustness, OpeningTagsThatAreNeverClosedAreRemovedInLinearTime) {
  // Each deleted link's tag is removed and its closing tag looked for; on a page where none
  // comes, every link used to search the rest of the page again (minutes for this one).
  TempDir dir;
  std::string text = "<p>";
  for (int i = 0; i < 100000; ++i)
    text += "<a href=gone" + std::to_string(i % 10) + ".htm>" + std::to_string(i % 10);
  text += "</p>";
  std::string expected = "<p>";
  for (int i = 0; i < 100000; ++i)
    expected += std::to_string(i % 10);
  expected += "</p>";
  // The same with one closing tag at the very end, which every link finds.
  const std::string closedAtEnd = text + "</a>";
  const std::string page = dir.Write("open.htm", text);
  const std::string page2 = dir.Write("end.htm", closedAtEnd);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found) << view.LogText();
  ASSERT_EQ(session->LinkCount(), 200000);
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
  EXPECT_EQ(ReadFileBytes(page), expected);
  EXPECT_EQ(ReadFileBytes(page2), expected);
}

TEST(ApplyRobustness, AFullTableStopsTheSearchAndTheRowsFoundStillApply) {
  TempDir dir;
  std::string a;
  for (int i = 0; i < 200000; ++i)
    a += "<a href=g>";
  std::string b;
  for (int i = 0; i < 70000; ++i)
    b += "<img src=h>";
  const std::string pa = dir.Write("a.htm", a);
  const std::string pb = dir.Write("b.htm", b);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  EXPECT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Stopped);
  EXPECT_EQ(session->LinkCount(), kMaxLinkRows);
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_NE(view.errors[0].find("and stopped there"), std::string::npos) << view.errors[0];

  VectorResultList list;
  ResultStep step(*session, list);
  step.Options.AllowLinkDeletion = true;
  ShowResults(step);
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
  EXPECT_EQ(ReadFileBytes(pa), "");
  // The pictures the search got to are emptied, the others stay.
  const int emptied = kMaxLinkRows - 200000;
  std::string expected;
  for (int i = 0; i < 70000; ++i)
    expected += i < emptied ? "<img src=\"\">" : "<img src=h>";
  EXPECT_EQ(ReadFileBytes(pb), expected);
}

TEST(ApplyRobustness, AbsurdPathsAndSpecialFilesDoNotStopTheJob) {
  TempDir dir;
  dir.Write("pic.gif", "GIF89a");
  std::string deep = "<a href=\"";
  for (int i = 0; i < 3000; ++i)
    deep += "a/";
  deep += "x.htm\">d</a><a href=\"";
  for (int i = 0; i < 3000; ++i)
    deep += "../";
  deep += "pic.gif\">u</a><img src=\"" + std::string(5000, '/') + "pic.gif\">";
  deep += "<a href=\"file://" + std::string(5000, '/') + "\">f</a>";
  deep += "<a href=\"http:" + std::string(6000, '/') + "x\">h</a>";
  deep += "<a href=\"" + std::string(6000, '.') + "\">dots</a>";
  deep += "<a href=\"C:" + std::string(6000, '\\') + "\">c</a>";
  const std::string page = dir.Write("deep.htm", deep);
  // A named pipe with a page's name is neither read (it could block for ever) nor written.
  const std::string fifo = dir / "fifo.htm";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found) << view.LogText();
  EXPECT_TRUE(Contains(view.log, fifo + " ... cannot be read: not a regular file"))
      << view.LogText();
  for (const LinkEntry& row : session->LinkTable) {
    EXPECT_LE(static_cast<std::size_t>(row.ValuePos + row.SpanLength), deep.size());
  }
  VectorResultList list;
  ResultStep step(*session, list);
  step.Options.AllowLinkDeletion = true;
  ShowResults(step);
  EXPECT_TRUE(IsUtf8(PlanJson(step)));
  RecordingRunView applyView;
  const ApplyResult r = ApplyStep(*session, WithDeletion(), applyView);
  EXPECT_EQ(r.FilesFailed, 0) << applyView.LogText();
  EXPECT_EQ(ReadFileBytes(page + ".bak"), deep);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_FALSE(fs::exists(fifo + ".bak"));
}

}  // namespace
}  // namespace urlsmith
