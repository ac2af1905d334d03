#include "engine/file_adds.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::TempDir;

std::vector<std::string> Relative(const FileList& list, const TempDir& dir) {
  std::vector<std::string> out;
  for (const auto& p : list.paths())
    out.push_back(p.substr(dir.path().size() + 1));
  return out;
}

TEST(FolderAdd, OrdersEachFolderIgnoringCaseThenSubfoldersDepthFirst) {
  TempDir dir;
  dir.Write("B.htm", "x");
  dir.Write("a.gif", "x");
  dir.Write("c.css", "x");
  dir.Write("noext", "x");
  dir.Write(".hidden", "x");
  dir.Write("x/2.htm", "x");
  dir.Write("x/z/deep.js", "x");
  dir.Write("Y/1.htm", "x");
  FileList list;
  RecordingRunView view;
  PosixFileSystem fs;
  const AddResult r = FolderAdd(list, fs, view, true, dir.path());
  EXPECT_FALSE(r.Stopped);
  EXPECT_EQ(r.Added, 8);
  EXPECT_EQ(Relative(list, dir),
            (std::vector<std::string>{".hidden", "a.gif", "B.htm", "c.css", "noext", "x/2.htm",
                                      "x/z/deep.js", "Y/1.htm"}));
}

TEST(FolderAdd, WithoutRecursionAddsOnlyTheFolderItself) {
  TempDir dir;
  dir.Write("a.htm", "x");
  dir.Write("sub/b.htm", "x");
  FileList list;
  RecordingRunView view;
  PosixFileSystem fs;
  FolderAdd(list, fs, view, false, dir.path());
  EXPECT_EQ(Relative(list, dir), (std::vector<std::string>{"a.htm"}));
}

TEST(FolderAdd, AddingAgainAppendsOnlyNewFilesAtTheEnd) {
  TempDir dir;
  dir.Write("b.htm", "x");
  dir.Write("d.htm", "x");
  FileList list;
  RecordingRunView view;
  PosixFileSystem fs;
  FolderAdd(list, fs, view, true, dir.path());
  EXPECT_EQ(FolderAdd(list, fs, view, true, dir.path()).Added, 0);
  EXPECT_EQ(list.size(), 2);
  dir.Write("a.htm", "x");
  EXPECT_EQ(FolderAdd(list, fs, view, true, dir.path() + "/").Added, 1);
  EXPECT_EQ(Relative(list, dir), (std::vector<std::string>{"b.htm", "d.htm", "a.htm"}));
}

TEST(FolderAdd, EscKeepsWhatWasAddedAndSkipsSubfolders) {
  TempDir dir;
  for (const char* n : {"a.htm", "b.htm", "c.htm", "d.htm"})
    dir.Write(n, "x");
  dir.Write("sub/e.htm", "x");
  FileList list;
  RecordingRunView view;
  view.polls = {Poll::Go, Poll::Stop};  // ESC after the second remembered file
  PosixFileSystem fs;
  const AddResult r = FolderAdd(list, fs, view, true, dir.path());
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(Relative(list, dir), (std::vector<std::string>{"a.htm", "b.htm"}));
}

TEST(FolderAdd, MissingFolderAddsNothingAndSymlinkLoopsEnd) {
  TempDir dir;
  FileList list;
  RecordingRunView view;
  PosixFileSystem fs;
  const AddResult missing = FolderAdd(list, fs, view, true, dir / "nope");
  EXPECT_EQ(missing.Unlisted, 1);
  EXPECT_TRUE(list.empty());

  dir.Write("site/a.htm", "x");
  ASSERT_EQ(::symlink((dir / "site").c_str(), (dir / "site/loop").c_str()), 0);
  const AddResult r = FolderAdd(list, fs, view, true, dir / "site");
  EXPECT_FALSE(r.Stopped);
  EXPECT_EQ(list.size(), 1);
}

TEST(FolderAdd, NamesThatAreNotUtf8AreKeptAsTheyAre) {
  TempDir dir;
  const std::string odd = "caf\xE9.htm";  // Latin-1 byte, not UTF-8
  dir.Write(odd, "x");
  FileList list;
  RecordingRunView view;
  PosixFileSystem fs;
  FolderAdd(list, fs, view, true, dir.path());
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list.path(0), dir / odd);
}

// A folder whose listing holds a name that makes the path longer than the platform allows
// (the real file system cannot even create one).
class LongNameFs : public PosixFileSystem {
 public:
  std::optional<std::vector<DirEntry>> ListFolder(const std::string&) override {
    return std::vector<DirEntry>{{std::string(5000, 'f') + ".htm", false}, {"ok.htm", false}};
  }
  std::string CanonicalPath(const std::string& p) override { return p; }
};

TEST(FolderAdd, PathsTooLongForThePlatformAreSkippedWithALogLine) {
  FileList list;
  RecordingRunView view;
  LongNameFs fs;
  const AddResult r = FolderAdd(list, fs, view, true, "/site");
  EXPECT_EQ(r.Skipped, 1);
  EXPECT_EQ(list.paths(), (std::vector<std::string>{"/site/ok.htm"}));
  ASSERT_EQ(view.log.size(), 1u);
  EXPECT_NE(view.log[0].find("skipped: the path is too long"), std::string::npos);
}

TEST(SelectionAdd, SkipsListedFilesAndStopsOnEsc) {
  FileList list;
  list.Append("/s/a.htm");
  RecordingRunView view;
  AddResult r = SelectionAdd(list, view, {"/s/A.htm", "/s/b.htm", "/s/b.htm"});
  // Duplicates within one selection are only checked against what was listed before it.
  EXPECT_EQ(r.Added, 2);
  EXPECT_EQ(list.size(), 3);

  FileList list2;
  RecordingRunView stopper;
  stopper.polls = {Poll::Stop};
  r = SelectionAdd(list2, stopper, {"/s/1.htm", "/s/2.htm"});
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(list2.size(), 1);

  FileList one;
  RecordingRunView quiet;
  SelectionAdd(one, quiet, {"/s/only.htm"});
  EXPECT_EQ(quiet.pollCount, 0);  // a single file does not poll
}

}  // namespace
}  // namespace urlsmith
