// The backup utility's window: the backups under a folder (file, size, date, whether the file
// has changed since), restored or deleted for the selected lines or all of them.
#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "unspool/unspool.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace urlsmith::unspool {

// How a file stands against its backup.
enum class Difference { Same, Differs, FileMissing, Unreadable };

// Compares the two files byte for byte (sizes first).
Difference CompareWithBackup(const Backup& backup);

class BackupListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kFile, kSize, kDate, kChanged, kColumnCount };

  void Reset(QString folder, std::vector<Backup> backups);
  const Backup& backup(int row) const { return rows_[static_cast<std::size_t>(row)].backup; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Row {
    Backup backup;
    qint64 size = 0;
    QDateTime date;
    // Compared when the line is first shown, so that a long list opens at once.
    mutable std::optional<Difference> difference;
  };
  QString folder_;
  std::vector<Row> rows_;
};

class UnspoolWindow : public QWidget {
  Q_OBJECT
 public:
  // Answers a question: true to go on.
  using Confirm = std::function<bool(QWidget* owner, const QString& question)>;

  UnspoolWindow(const QString& folder, FileSystem& fs, Confirm confirm = {});

  BackupListModel& model() { return model_; }
  QTreeView* list() const { return list_; }
  QString resultText() const;

  // Lists the backups under the folder field anew.
  void Scan();
  // Restores or deletes the selected backups (all of them with `all`), after the question.
  void Act(bool restore, bool all);

 private:
  void UpdateButtons();

  FileSystem& fs_;
  Confirm confirm_;
  BackupListModel model_;
  QLineEdit* folder_ = nullptr;
  QTreeView* list_ = nullptr;
  QLabel* result_ = nullptr;
  QPushButton* restore_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* restoreAll_ = nullptr;
  QPushButton* deleteAll_ = nullptr;
};

// The window's program: `folder` may be empty (the user picks one). Returns the exit status.
int RunUnspoolWindow(int argc, char** argv, const std::string& folder);

}  // namespace urlsmith::unspool
