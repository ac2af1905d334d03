#include "app/steps/file_list_step.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialog_service.h"
#include "app/key_poll.h"
#include "app/message_service.h"
#include "app/run_texts.h"
#include "app/steps/controls.h"
#include "app/steps/file_list_model.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string S(const QString& s) {
  return s.toStdString();
}

// Sets SearchBusy while a command of the step is handled, so a handoff waits.
class BusyWhile {
 public:
  explicit BusyWhile(SearchSession& session) : session_(session), was_(session.SearchBusy) {
    session_.SearchBusy = true;
  }
  ~BusyWhile() { session_.SearchBusy = was_; }
  BusyWhile(const BusyWhile&) = delete;
  BusyWhile& operator=(const BusyWhile&) = delete;

 private:
  SearchSession& session_;
  bool was_;
};

}  // namespace

FileListStep::FileListStep(WizardFrame& frame)
    : StepPage(frame, kFileListStep, QStringLiteral("Add Files for Processing"),
               QStringLiteral("fix2.htm")) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = LineList(this, 1019, QStringLiteral("File list"), QAbstractItemView::ExtendedSelection);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  model_ = new FileListModel(frame.session().FileList, this);
  model_->SetFont(list_->font());
  list_->setModel(model_);
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  addFiles_ = Control(new QPushButton(QStringLiteral("&Add file(s)..."), this), 1020,
                      QStringLiteral("Add one or more files to the file list"));
  addFolder_ = Control(new QPushButton(QStringLiteral("Add &folder(s)..."), this), 1021,
                       QStringLiteral("Add one or more folders to the file list"));
  remove_ = Control(new QPushButton(QStringLiteral("&Remove"), this), 1023,
                    QStringLiteral("Remove selected files from the file list"));
  removeAll_ = Control(new QPushButton(QStringLiteral("R&emove all..."), this), 1022,
                       QStringLiteral("Clear the file list"));
  for (QPushButton* b : {addFiles_, addFolder_, remove_, removeAll_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  counter_ = Control(new QLabel(this), 1024);
  layout->addWidget(counter_);

  connect(addFiles_, &QPushButton::clicked, this, &FileListStep::AddFiles);
  connect(addFolder_, &QPushButton::clicked, this, &FileListStep::AddFolder);
  connect(remove_, &QPushButton::clicked, this, &FileListStep::RemoveSelected);
  connect(removeAll_, &QPushButton::clicked, this, &FileListStep::RemoveAll);
  UpdateButtons();
  WriteCounter();
}

int FileListStep::extent() const {
  return model_->extent();
}

void FileListStep::Entered() {
  frame_.SetPreviousEnabled(true);
  UpdateButtons();
  WriteCounter();
  if (!frame_.startPath().empty()) {
    frame_.session().SearchBusy = true;
    // The add starts once the step is on screen.
    QTimer::singleShot(0, this, &FileListStep::AddStartPath);
  }
}

void FileListStep::AddStartPath() {
  frame_.session().SearchBusy = false;
  if (frame_.startPath().empty()) return;
  BusyWhile busy(frame_.session());
  if (!frame_.session().FileList.empty() &&
      !frame_.messages().Ask(this, QStringLiteral("The file list already contains some items. "
                                                  "Append to current?\nIf you will choose \"No\" "
                                                  "the list will be cleared."))) {
    Clear();
  }
  frame_.addSubfolders() = frame_.messages().Ask(this, QStringLiteral("Add subfolders too?"));
  const std::string folder = frame_.startPath();
  const bool recurse = frame_.addSubfolders();
  RunAdd(addFolder_, [&](RunView& view) {
    return FolderAdd(frame_.session().FileList, frame_.session().fs(), view, recurse, folder);
  });
  frame_.lastRootFolder() = folder;
  frame_.startPath().clear();
}

void FileListStep::AddFiles() {
  BusyWhile busy(frame_.session());
  const auto chosen = frame_.dialogs().ChooseFiles(this, Q(frame_.lastRootFolder()));
  if (!chosen || chosen->isEmpty()) return;
  std::vector<std::string> paths;
  paths.reserve(static_cast<std::size_t>(chosen->size()));
  for (const QString& p : *chosen)
    paths.push_back(S(QDir::cleanPath(p)));
  RunAdd(addFiles_,
         [&](RunView& view) { return SelectionAdd(frame_.session().FileList, view, paths); });
  frame_.lastRootFolder() = S(QFileInfo(chosen->front()).absolutePath());
}

void FileListStep::AddFolder() {
  BusyWhile busy(frame_.session());
  const auto chosen =
      frame_.dialogs().ChooseFolder(this, Q(frame_.lastRootFolder()), frame_.addSubfolders());
  if (!chosen) return;
  if (chosen->isEmpty() || !QDir::isAbsolutePath(*chosen)) {
    frame_.messages().Tell(this,
                           QStringLiteral("Cannot resolve the specified path!\nChoose another "
                                          "folder!"));
    return;
  }
  const std::string folder = S(QDir::cleanPath(*chosen));
  const bool recurse = frame_.addSubfolders();
  RunAdd(addFolder_, [&](RunView& view) {
    return FolderAdd(frame_.session().FileList, frame_.session().fs(), view, recurse, folder);
  });
  frame_.lastRootFolder() = folder;
}

void FileListStep::RunAdd(QPushButton* pressed, const std::function<AddResult(RunView&)>& add) {
  const int before = frame_.session().FileList.size();
  counter_->setText(Q(std::string(StatusKeyText(StatusKey::PressEscToStop))));
  frame_.ControlStateSave(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  frame_.BeginOperation();
  PollingRunView view(frame_.keyPoll());
  const AddResult result = add(view);
  ListChanged(before);
  frame_.EndOperation();
  frame_.session().SearchBusy = true;  // the command still runs until BusyWhile ends
  QApplication::restoreOverrideCursor();
  frame_.ControlStateSave(true);
  if (pressed->isEnabled()) pressed->setFocus();
  UpdateButtons();
  WriteCounter();
  if (result.Skipped > 0) {
    frame_.messages().Tell(this,
                           QStringLiteral("%1 path(s) longer than the system allows were not "
                                          "added.")
                               .arg(result.Skipped),
                           MessageIcon::Warning);
  }
  if (QApplication::activeWindow() != window()) QApplication::alert(window(), 0);
}

void FileListStep::RemoveSelected() {
  BusyWhile busy(frame_.session());
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
    rows.push_back(index.row());
  }
  if (rows.empty()) return;
  frame_.session().FileList.Remove(std::move(rows));
  model_->Remeasure();
  ListChanged(frame_.session().FileList.size());
  UpdateButtons();
  WriteCounter();
}

void FileListStep::RemoveAll() {
  BusyWhile busy(frame_.session());
  if (!frame_.messages().Ask(this, QStringLiteral("Do you really want to clear the list?"),
                             QStringLiteral("Remove All"))) {
    return;
  }
  Clear();
}

void FileListStep::Clear() {
  frame_.session().FileList.Clear();
  model_->ResetExtent();
  ApplyExtent();
  UpdateButtons();
  WriteCounter();
}

void FileListStep::ResetExtent() {
  model_->ResetExtent();
  ApplyExtent();
}

void FileListStep::ListChanged(int firstNew) {
  model_->WidenFor(firstNew);
  model_->Refresh();
  ApplyExtent();
  const int count = model_->rowCount();
  if (count > firstNew) list_->scrollTo(model_->index(count - 1, 0));
}

void FileListStep::ApplyExtent() {
  list_->setColumnWidth(0, std::max(model_->extent(), list_->viewport()->width()));
}

void FileListStep::UpdateButtons() {
  const bool any = !frame_.session().FileList.empty();
  const bool isCurrent = frame_.stepIndex() == kFileListStep;
  if (!any && (remove_->hasFocus() || removeAll_->hasFocus() ||
               (isCurrent && frame_.nextButton() != nullptr && frame_.nextButton()->hasFocus()))) {
    addFiles_->setFocus();
  }
  remove_->setEnabled(any);
  removeAll_->setEnabled(any);
  if (isCurrent && frame_.nextButton() != nullptr) frame_.SetNextEnabled(any);
}

void FileListStep::WriteCounter() {
  counter_->setText(QStringLiteral("Files added: %1").arg(frame_.session().FileList.size()));
}

}  // namespace urlsmith::app
