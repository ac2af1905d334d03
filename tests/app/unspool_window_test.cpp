// The backup utility's window on a real folder: what it lists, and restoring and deleting with
// the question answered.
#include <QTreeView>
#include <filesystem>

#include "app_test_support.h"
#include "unspool/unspool_window.h"

namespace urlsmith::testing {
namespace {

TEST(UnspoolWindow, ListsRestoresAndDeletesAfterAsking) {
  TempDir site;
  const std::string a = site.Write("a.htm", "new a");
  site.Write("a.htm.bak", "old a");
  site.Write("c.js.bak", "old c");  // its file is gone
  const std::string b = site.Write("sub/b.css", "same");
  site.Write("sub/b.css.bak", "same");
  site.Write("notes.txt.bak", "not ours");

  std::deque<bool> answers;
  QStringList questions;
  PosixFileSystem fs;
  unspool::UnspoolWindow window(QString::fromStdString(site.path()), fs,
                                [&](QWidget*, const QString& question) {
                                  questions << question;
                                  const bool yes = !answers.empty() && answers.front();
                                  if (!answers.empty()) answers.pop_front();
                                  return yes;
                                });
  unspool::BackupListModel& model = window.model();
  auto column = [&](int c) {
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
      texts << model.index(r, c).data().toString();
    return texts;
  };
  EXPECT_EQ(column(unspool::BackupListModel::kFile), QStringList({"a.htm", "c.js", "sub/b.css"}));
  EXPECT_EQ(column(unspool::BackupListModel::kSize), QStringList({"5", "5", "4"}));
  EXPECT_EQ(column(unspool::BackupListModel::kChanged), QStringList({"yes", "file missing", "no"}));
  EXPECT_EQ(window.resultText(), "3 backup(s) found.");

  // Restore the first line: asked, then the old text is back and its backup is gone.
  window.list()->selectionModel()->select(model.index(0, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
  answers = {true};
  window.Act(true, false);
  EXPECT_TRUE(questions.back().startsWith("Restore 1 backup(s)"));
  EXPECT_EQ(ReadFileBytes(a), "old a");
  EXPECT_EQ(window.resultText(), "1 backup(s) restored.");
  EXPECT_EQ(model.rowCount(), 2);

  // "No" changes nothing; a backup that vanished meanwhile is reported, the rest deleted.
  answers = {false};
  window.Act(false, true);
  EXPECT_EQ(model.rowCount(), 2);
  std::filesystem::remove(site / "c.js.bak");
  answers = {true};
  window.Act(false, true);
  EXPECT_TRUE(window.resultText().startsWith("1 backup(s) deleted. 1 could not be deleted"))
      << window.resultText().toStdString();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(ReadFileBytes(b), "same");
  EXPECT_TRUE(std::filesystem::exists(site / "notes.txt.bak"));
}

}  // namespace
}  // namespace urlsmith::testing
