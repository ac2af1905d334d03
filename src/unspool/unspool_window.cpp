#include "unspool/unspool_window.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace urlsmith::unspool {

namespace {

QString Native(const std::string& path) {
  return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

std::string Local(const QString& path) {
  return path.toLocal8Bit().toStdString();
}

bool DefaultConfirm(QWidget* owner, const QString& question) {
  return QMessageBox::question(owner, QStringLiteral("Unspool"), question,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

Difference CompareWithBackup(const Backup& backup) {
  QFile current(Native(backup.original));
  QFile old(Native(backup.path));
  if (!current.exists()) return Difference::FileMissing;
  if (!current.open(QIODevice::ReadOnly) || !old.open(QIODevice::ReadOnly)) {
    return Difference::Unreadable;
  }
  if (current.size() != old.size()) return Difference::Differs;
  constexpr qint64 kChunk = 1 << 16;
  while (!current.atEnd()) {
    const QByteArray a = current.read(kChunk);
    const QByteArray b = old.read(kChunk);
    if (a.isEmpty() && current.error() != QFileDevice::NoError) return Difference::Unreadable;
    if (a != b) return Difference::Differs;
  }
  return Difference::Same;
}

void BackupListModel::Reset(QString folder, std::vector<Backup> backups) {
  beginResetModel();
  folder_ = std::move(folder);
  rows_.clear();
  rows_.reserve(backups.size());
  for (Backup& b : backups) {
    const QFileInfo info(Native(b.path));
    rows_.push_back({std::move(b), info.size(), info.lastModified(), std::nullopt});
  }
  endResetModel();
}

int BackupListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BackupListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant BackupListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::TextAlignmentRole && index.column() == kSize) {
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kFile: {
      QString name = Native(row.backup.original);
      if (role == Qt::DisplayRole && name.startsWith(folder_ + u'/')) {
        name = name.mid(folder_.size() + 1);
      }
      return name;
    }
    case kSize:
      return QLocale().toString(row.size);
    case kDate:
      return row.date.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case kChanged:
      if (!row.difference) row.difference = CompareWithBackup(row.backup);
      switch (*row.difference) {
        case Difference::Same:
          return QStringLiteral("no");
        case Difference::Differs:
          return QStringLiteral("yes");
        case Difference::FileMissing:
          return QStringLiteral("file missing");
        case Difference::Unreadable:
          return QStringLiteral("unreadable");
      }
  }
  return {};
}

QVariant BackupListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kFile:
      return QStringLiteral("File");
    case kSize:
      return QStringLiteral("Backup size");
    case kDate:
      return QStringLiteral("Backup date");
    case kChanged:
      return QStringLiteral("Changed since");
  }
  return {};
}

UnspoolWindow::UnspoolWindow(const QString& folder, FileSystem& fs, Confirm confirm)
    : fs_(fs), confirm_(confirm ? std::move(confirm) : Confirm(DefaultConfirm)) {
  setObjectName(QStringLiteral("unspoolWindow"));
  setWindowTitle(QStringLiteral("Unspool - Urlsmith backups"));

  folder_ = new QLineEdit(folder, this);
  folder_->setObjectName(QStringLiteral("unspoolFolder"));
  folder_->setPlaceholderText(QStringLiteral("The folder of the site"));
  auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
  auto* rescan = new QPushButton(QStringLiteral("Re&fresh"), this);
  rescan->setObjectName(QStringLiteral("unspoolRefresh"));

  list_ = new QTreeView(this);
  list_->setObjectName(QStringLiteral("unspoolList"));
  list_->setModel(&model_);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(BackupListModel::kFile, QHeaderView::Stretch);
  list_->setColumnWidth(BackupListModel::kSize, 90);
  list_->setColumnWidth(BackupListModel::kDate, 140);
  list_->setColumnWidth(BackupListModel::kChanged, 100);

  auto make = [&](const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    return button;
  };
  restore_ = make("unspoolRestore", QStringLiteral("&Restore"));
  delete_ = make("unspoolDelete", QStringLiteral("&Delete"));
  restoreAll_ = make("unspoolRestoreAll", QStringLiteral("Restore &all"));
  deleteAll_ = make("unspoolDeleteAll", QStringLiteral("D&elete all"));
  auto* close = make("unspoolClose", QStringLiteral("&Close"));
  restore_->setToolTip(QStringLiteral("Put the selected backups back in place of their files"));
  delete_->setToolTip(QStringLiteral("Remove the selected backups; the files stay as they are"));
  result_ = new QLabel(this);
  result_->setObjectName(QStringLiteral("unspoolResult"));
  result_->setWordWrap(true);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Folder:"), this));
  top->addWidget(folder_, 1);
  top->addWidget(browse);
  top->addWidget(rescan);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {restore_, delete_, restoreAll_, deleteAll_})
    buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_, 1);
  layout->addWidget(result_);
  layout->addLayout(buttons);
  resize(720, 460);

  connect(browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(this,
                                                             QStringLiteral("Choose the "
                                                                            "folder"),
                                                             folder_->text());
    if (!chosen.isEmpty()) {
      folder_->setText(chosen);
      Scan();
    }
  });
  connect(rescan, &QPushButton::clicked, this, &UnspoolWindow::Scan);
  connect(folder_, &QLineEdit::returnPressed, this, &UnspoolWindow::Scan);
  connect(restore_, &QPushButton::clicked, this, [this] { Act(true, false); });
  connect(delete_, &QPushButton::clicked, this, [this] { Act(false, false); });
  connect(restoreAll_, &QPushButton::clicked, this, [this] { Act(true, true); });
  connect(deleteAll_, &QPushButton::clicked, this, [this] { Act(false, true); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &UnspoolWindow::UpdateButtons);
  Scan();
}

QString UnspoolWindow::resultText() const {
  return result_->text();
}

void UnspoolWindow::Scan() {
  QString folder = folder_->text().trimmed();
  while (folder.size() > 1 && folder.endsWith(u'/'))
    folder.chop(1);
  if (folder.isEmpty()) {
    model_.Reset({}, {});
    result_->setText(QStringLiteral("Choose the folder whose backups you want to see."));
    UpdateButtons();
    return;
  }
  if (!fs_.IsDirectory(Local(folder))) {
    model_.Reset(folder, {});
    result_->setText(QStringLiteral("%1 is not a folder.").arg(folder));
    UpdateButtons();
    return;
  }
  BackupScan scan = FindBackups(fs_, Local(folder));
  const int count = static_cast<int>(scan.backups.size());
  model_.Reset(folder, std::move(scan.backups));
  QString text = count == 0 ? QStringLiteral("No backups found under %1.").arg(folder)
                            : QStringLiteral("%1 backup(s) found.").arg(count);
  if (!scan.errors.empty()) {
    text += QStringLiteral(" %1 folder(s) could not be listed, the first: %2")
                .arg(scan.errors.size())
                .arg(Native(scan.errors.front()));
  }
  result_->setText(text);
  UpdateButtons();
}

void UnspoolWindow::UpdateButtons() {
  const bool any = model_.rowCount() > 0;
  const bool selected = list_->selectionModel()->hasSelection();
  restore_->setEnabled(selected);
  delete_->setEnabled(selected);
  restoreAll_->setEnabled(any);
  deleteAll_->setEnabled(any);
}

void UnspoolWindow::Act(bool restore, bool all) {
  std::vector<int> rows;
  if (all) {
    for (int r = 0; r < model_.rowCount(); ++r)
      rows.push_back(r);
  } else {
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
      rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
  }
  if (rows.empty()) return;
  const int count = static_cast<int>(rows.size());
  const QString question = restore
                               ? QStringLiteral(
                                     "Restore %1 backup(s) over their files? The files as they are "
                                     "now are replaced by their backups.")
                                     .arg(count)
                               : QStringLiteral(
                                     "Delete %1 backup(s)? The files stay as they are, and these "
                                     "backups cannot be restored afterwards.")
                                     .arg(count);
  if (!confirm_(this, question)) return;
  int done = 0;
  int failed = 0;
  QString firstError;
  for (const int r : rows) {
    std::string error;
    const Backup& b = model_.backup(r);
    const bool ok = restore ? RestoreBackup(fs_, b, &error) : DeleteBackup(fs_, b, &error);
    if (ok) {
      ++done;
    } else if (failed++ == 0) {
      firstError = Native(b.path) + QStringLiteral(": ") + Native(error);
    }
  }
  Scan();
  QString text = restore ? QStringLiteral("%1 backup(s) restored.").arg(done)
                         : QStringLiteral("%1 backup(s) deleted.").arg(done);
  if (failed > 0) {
    text += QStringLiteral(" %1 could not be %2; the first: %3")
                .arg(failed)
                .arg(restore ? QStringLiteral("restored") : QStringLiteral("deleted"), firstError);
  }
  result_->setText(text);
}

int RunUnspoolWindow(int argc, char** argv, const std::string& folder) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Unspool"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("urlsmith")));
  PosixFileSystem fs;
  UnspoolWindow window(Native(folder), fs);
  window.show();
  return app.exec();
}

}  // namespace urlsmith::unspool
