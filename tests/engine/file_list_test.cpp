// The file list and the ways files are added to it: real folders in a temporary folder.
#include "engine/file_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/file_adds.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

constexpr PathStyle kWin = PathStyle::Windows;
constexpr PathStyle kPosix = PathStyle::Posix;

TEST(ResolveDotSegments, ResolvesParentAndCurrentSteps) {
  const struct {
    PathStyle style;
    std::string in, out;
  } cases[] = {
      // clang-format off
      {kWin, R"(C:\a\b\c\..\..\d)", R"(C:\a\d)"}, {kWin, R"(C:\a\b\..)", R"(C:\a\)"},
      {kWin, R"(C:\a/b/../c)", R"(C:\a/c)"}, {kWin, R"(C:\..\x)", "refused"},
      {kWin, R"(a\..\b)", "refused"}, {kWin, R"(C:\a\..x\b)", R"(C:\a\..x\b)"},
      {kWin, R"(C:\a\.)", R"(C:\a\)"}, {kPosix, "/s/a/./../b.htm", "/s/b.htm"},
      {kPosix, "/..", "refused"}, {kPosix, "/a/..", "/"}, {kPosix, "./b.htm", "b.htm"},
      {kPosix, R"(/s/a\..\b)", R"(/s/a\..\b)"},  // '\' is no separator here
      // clang-format on
  };
  for (const auto& c : cases) {
    std::string p = c.in;
    EXPECT_EQ(ResolveDotSegments(p, c.style) ? p : "refused", c.out) << c.in;
  }
}

TEST(FileList, FindListedFileIgnoresAsciiCaseAndHonoursCount) {
  FileList list(PathStyle::Windows);
  for (const char* p :
       {R"(C:\site\index.htm)", R"(C:\site\img\Logo.GIF)", R"(C:\site\a\b.htm)",
        R"(C:\SITE\INDEX.HTM)", "C:\\site\\caf\xC3\xA9.htm", "C:\\site\\@[\xC1].htm"})
    list.Append(p);
  const struct {
    std::string path;
    int count, found;
  } cases[] = {
      // clang-format off
      {R"(c:\site\INDEX.htm)", 5, 0},  // the first of two equal paths
      {R"(C:\site\a\..\img\logo.gif)", 5, 1}, {R"(C:\site\a\.\b.htm)", 5, 2},
      {R"(C:\site\a\b.htm)", 2, -1}, {R"(C:\site\a\b.htm)", 3, 2},  // only the first COUNT count
      {R"(C:\site\missing.htm)", 5, -1}, {R"(C:\..\site\index.htm)", 5, -1},
      {"C:\\site\\CAF\xC3\xA9.htm", 5, 4},
      {"C:\\site\\CAF\xC3\x89.htm", 5, -1},  // only ASCII letters fold
      {"C:\\SITE\\@[\xC1].HTM", 6, 5}, {"C:\\site\\`{\xC1}.htm", 6, -1},  // next to A and Z
      {"C:\\site\\@[\xE1].htm", 6, -1},
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(list.FindListedFile(c.path, c.count), c.found) << c.path;
}

// Many files: the index grows while equal paths (ignoring case) keep the first index.
TEST(FileList, LookupsHoldAsTheListGrows) {
  FileList list(PathStyle::Posix);
  for (int i = 0; i < 3000; ++i)
    list.Append("/site/d" + std::to_string(i % 50) + "/page" + std::to_string(i) + ".htm");
  for (int i = 0; i < 3000; i += 7)
    list.Append("/SITE/D" + std::to_string(i % 50) + "/PAGE" + std::to_string(i) + ".HTM");
  for (int i = 0; i < 3000; ++i) {
    const std::string path = "/site/d" + std::to_string(i % 50) + "/page" + std::to_string(i);
    ASSERT_EQ(list.FindListedFile(path + ".htm"), i);
    ASSERT_EQ(list.FindListedFile("/Site/x/../D" + std::to_string(i % 50) + "/Page" +
                                  std::to_string(i) + ".htm"),
              i);
    ASSERT_EQ(list.FindListedFile(path + ".html"), -1);
  }
  EXPECT_EQ(list.FindListedFile(list.path(3000)), 0);
}

TEST(FileList, IndicesAndMarksFollowRemoveAndClear) {
  const std::vector<std::string> all = {"/s/img/logo.gif", "/s/b.htm", "/s/old/LOGO.gif",
                                        "/s/d.htm"};
  const struct {
    std::vector<int> removed;
    std::vector<std::string> left;
    std::vector<int> logos;  // the files named "logo.gif" then
  } cases[] = {
      {{2, 0}, {"/s/b.htm", "/s/d.htm"}, {}},
      {{-1, 1, 1}, {"/s/img/logo.gif", "/s/old/LOGO.gif", "/s/d.htm"}, {0, 1}},
      {{3, -5, 7, 0}, {"/s/b.htm", "/s/old/LOGO.gif"}, {1}},
  };
  for (const auto& c : cases) {
    FileList list(PathStyle::Posix);
    list.AppendAll(all);
    EXPECT_EQ(list.FilesNamed("Logo.gif"), (std::vector<int>{0, 2}));
    list.SetReferenced(2);
    list.Remove(c.removed);
    EXPECT_EQ(list.paths(), c.left);
    for (int i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list.FindListedFile(list.path(i)), i);
      EXPECT_EQ(list.referenced(i), list.path(i) == all[2]) << "the mark moves with its file";
    }
    EXPECT_EQ(list.FilesNamed("logo.GIF"), c.logos);
  }
  FileList list(PathStyle::Posix);
  list.Append("/s/a/logo.gif");
  EXPECT_EQ(list.FilesNamed("logo.gif"), (std::vector<int>{0}));
  list.Append("/s/new/logo.GIF");  // the name index follows appends
  EXPECT_EQ(list.FilesNamed("logo.gif"), (std::vector<int>{0, 1}));
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.FindListedFile("/s/a/logo.gif"), -1);
  EXPECT_TRUE(list.FilesNamed("logo.gif").empty());
}

// Each folder's files in name order ignoring case, then its subfolders depth-first; a folder
// added again gives only what is new, ESC keeps what was added, and symbolic link loops end.
TEST(FolderAdd, OrdersEachFolderIgnoringCaseThenSubfoldersDepthFirst) {
  TempDir dir;
  PosixFileSystem fs;
  RecordingRunView view;
  const auto relative = [&dir](const FileList& list) {
    std::vector<std::string> out;
    for (const auto& p : list.paths())
      out.push_back(p.substr(dir.path().size() + 1));
    return out;
  };
  const std::string odd = "caf\xE9.htm";  // a Latin-1 name, not UTF-8: kept as it is
  for (const std::string name :
       {"B.htm", "a.gif", "noext", ".hidden", "x/2.htm", "x/z/deep.js", "Y/1.htm", odd.c_str()})
    dir.Write(name, "x");
  ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "x/loop").c_str()), 0);
  FileList list;
  EXPECT_EQ(FolderAdd(list, fs, view, false, dir.path()).Added, 5);
  EXPECT_EQ(relative(list), (std::vector<std::string>{".hidden", "a.gif", "B.htm", odd, "noext"}));
  const AddResult r = FolderAdd(list, fs, view, true, dir.path() + "/");
  EXPECT_FALSE(r.Stopped);
  EXPECT_EQ(r.Added, 3);
  EXPECT_EQ(relative(list), (std::vector<std::string>{".hidden", "a.gif", "B.htm", odd, "noext",
                                                      "x/2.htm", "x/z/deep.js", "Y/1.htm"}));
  EXPECT_EQ(FolderAdd(list, fs, view, true, dir.path()).Added, 0);
  EXPECT_TRUE(view.log.empty());
  EXPECT_EQ(FolderAdd(list, fs, view, true, dir / "nope").Unlisted, 1);
  EXPECT_EQ(list.size(), 8);
  FileList stopped;
  view.polls = {Poll::Go, Poll::Stop};  // ESC after the second file in byte order
  EXPECT_TRUE(FolderAdd(stopped, fs, view, true, dir.path()).Stopped);
  EXPECT_EQ(relative(stopped), (std::vector<std::string>{".hidden", "B.htm"}));
}

// A listing with a name that makes the path longer than the platform allows (the real file
// system cannot even create one).
class LongNameFs : public PosixFileSystem {
 public:
  std::optional<std::vector<DirEntry>> ListFolder(const std::string&) override {
    return std::vector<DirEntry>{{std::string(5000, 'f') + ".htm", false}, {"ok.htm", false}};
  }
  std::string CanonicalPath(const std::string& p) override { return p; }
};

TEST(FolderAdd, PathsTooLongForThePlatformAreSkippedWithALogLine) {
  for (const bool folder : {true, false}) {
    FileList list;
    RecordingRunView view;
    LongNameFs fs;
    const AddResult r =
        folder ? FolderAdd(list, fs, view, true, "/site")
               : SelectionAdd(list, view,
                              {"/site/" + std::string(5000, 'f') + ".htm", "/site/ok.htm"});
    EXPECT_EQ(r.Skipped, 1);
    EXPECT_EQ(list.paths(), (std::vector<std::string>{"/site/ok.htm"}));
    ASSERT_EQ(view.log.size(), 1u);
    EXPECT_TRUE(view.log[0].ends_with(" ... skipped: the path is too long"));
  }
}

TEST(SelectionAdd, SkipsFilesListedBeforeAndStopsOnEsc) {
  FileList list;
  list.Append("/s/a.htm");
  RecordingRunView view;
  // Duplicates within one selection are only checked against what was listed before it.
  EXPECT_EQ(SelectionAdd(list, view, {"/s/A.htm", "/s/b.htm", "/s/b.htm"}).Added, 2);
  EXPECT_EQ(list.size(), 3);
  RecordingRunView stopper;
  stopper.polls = {Poll::Stop};
  EXPECT_TRUE(SelectionAdd(list, stopper, {"/s/1.htm", "/s/2.htm"}).Stopped);
  EXPECT_EQ(list.size(), 4);
  RecordingRunView quiet;
  SelectionAdd(list, quiet, {"/s/only.htm"});
  EXPECT_EQ(quiet.pollCount, 0);  // a single file does not poll
}

}  // namespace
}  // namespace urlsmith
