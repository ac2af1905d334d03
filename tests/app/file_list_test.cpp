// Step 2 with real folders: the order of adds, duplicates, removal and the horizontal extent,
// the start path with its two questions, and ESC during an add.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "app/steps/controls.h"
#include "app/steps/file_list_step.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

struct FileListFixture : FrameFixture {
  FileListFixture() {
    Click(FrameButton(*frame, 1014));
    step = static_cast<app::FileListStep*>(frame->page(app::kFileListStep));
  }
  std::vector<std::string> Listed(const std::string& base) const {
    std::vector<std::string> names;
    for (const std::string& p : frame->session().FileList.paths()) {
      names.push_back(p.substr(base.size() + 1));
    }
    return names;
  }
  QString Counter() const { return Find<QLabel>(step, ControlName(1024))->text(); }
  void AddFolder(const std::string& folder, bool subfolders) {
    dialogs.folder = QString::fromStdString(folder);
    dialogs.setSubfolders = subfolders;
    Click(Find<QAbstractButton>(step, ControlName(1021)));
  }
  app::FileListStep* step = nullptr;
};

TEST(FileList, FoldersAddInOrderDepthFirstWithoutDuplicates) {
  FileListFixture f;
  TempDir site;
  for (const char* name : {"B.htm", "a.gif", "c.css", "noext", "notes.txt", "x/2.htm", "x/1.htm",
                           "Y/z.js", "Y/deep/k.png"}) {
    site.Write(name, "x");
  }
  f.AddFolder(site.path(), false);
  EXPECT_EQ(f.Listed(site.path()),
            (std::vector<std::string>{"a.gif", "B.htm", "c.css", "noext", "notes.txt"}));
  EXPECT_EQ(f.Counter(), "Files added: 5");
  EXPECT_TRUE(FrameButton(*f, 1014)->isEnabled());

  site.Write("0new.htm", "x");
  f.AddFolder(site.path(), true);  // only what is new, after what was listed
  EXPECT_EQ(f.Listed(site.path()),
            (std::vector<std::string>{"a.gif", "B.htm", "c.css", "noext", "notes.txt", "0new.htm",
                                      "x/1.htm", "x/2.htm", "Y/z.js", "Y/deep/k.png"}));
  EXPECT_EQ(f->lastRootFolder(), site.path());
  EXPECT_EQ(f.dialogs.lastStartFolder, QString::fromStdString(site.path()));
  EXPECT_EQ(f.Counter(), "Files added: 10");
}

TEST(FileList, SelectedFilesAddOnceAndRemoveNarrowsTheExtent) {
  FileListFixture f;
  TempDir site;
  const std::string wide = site.Write(std::string(120, 'w') + ".htm", "x");
  const std::string narrow = site.Write("n.htm", "x");
  f.dialogs.files = QStringList{QString::fromStdString(narrow), QString::fromStdString(wide)};
  Click(Find<QAbstractButton>(f.step, ControlName(1020)));
  f.dialogs.files = QStringList{QString::fromStdString(narrow)};
  Click(Find<QAbstractButton>(f.step, ControlName(1020)));
  ASSERT_EQ(f->session().FileList.size(), 2);
  const int wideExtent = f.step->extent();

  auto* list = Find<QTreeView>(f.step, ControlName(1019));
  list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select);
  Click(Find<QAbstractButton>(f.step, ControlName(1023)));
  EXPECT_EQ(f.Listed(site.path()), std::vector<std::string>{"n.htm"});
  EXPECT_LT(f.step->extent(), wideExtent / 4);
  EXPECT_EQ(f.Counter(), "Files added: 1");

  Click(Find<QAbstractButton>(f.step, ControlName(1022)));  // answered No
  EXPECT_EQ(f->session().FileList.size(), 1);
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].caption, "Remove All");
  f.messages.answers = {true};
  Click(Find<QAbstractButton>(f.step, ControlName(1022)));
  EXPECT_TRUE(f->session().FileList.empty());
  EXPECT_EQ(f.step->extent(), 0);
  EXPECT_FALSE(FrameButton(*f, 1014)->isEnabled());
  EXPECT_FALSE(Find<QWidget>(f.step, ControlName(1023))->isEnabled());
}

TEST(FileList, StartPathAsksToAppendAndForSubfolders) {
  TempDir site;
  site.Write("index.htm", "x");
  site.Write("sub/page.htm", "x");
  FrameFixture f;
  f->session().FileList.Append("/elsewhere/old.htm");
  f.messages.answers = {false, false};  // do not append; no subfolders
  f.Rebuild(site.path());
  EXPECT_EQ(f->stepIndex(), app::kFileListStep);
  EXPECT_EQ(f.messages.texts(), QStringList{"Add subfolders too?"});  // the list was empty
  EXPECT_EQ(f->session().FileList.paths(), std::vector<std::string>{site / "index.htm"});
  EXPECT_TRUE(f->startPath().empty());

  f.messages.shown.clear();
  f.messages.answers = {false, true};
  f->startPath() = site.path();
  Click(FrameButton(*f, 1013));
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f.messages.shown.size(), 2u);
  EXPECT_TRUE(f.messages.texts()[0].startsWith("The file list already contains some items."));
  EXPECT_EQ(f->session().FileList.paths(),
            (std::vector<std::string>{site / "index.htm", site / "sub/page.htm"}));
}

TEST(FileList, EscStopsAnAddAndKeepsWhatWasAdded) {
  FileListFixture f;
  TempDir site;
  for (int i = 0; i < 3000; ++i)
    site.Write("d" + std::to_string(i) + "/f.htm", "x");
  f.dialogs.folder = QString::fromStdString(site.path());
  f.dialogs.setSubfolders = true;
  f->activateWindow();
  QApplication::setActiveWindow(f.frame.get());
  // The add polls the keys; ESC is pressed as soon as it runs.
  QTimer::singleShot(0, [&] { QTest::keyClick(f.frame.get(), Qt::Key_Escape); });
  Click(Find<QAbstractButton>(f.step, ControlName(1021)));
  EXPECT_LT(f->session().FileList.size(), 3000);
  EXPECT_GT(f->session().FileList.size(), 0);
  EXPECT_FALSE(f->session().SearchBusy);
  EXPECT_TRUE(FrameButton(*f, 1013)->isEnabled());
}

}  // namespace
}  // namespace urlsmith::testing
