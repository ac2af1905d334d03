#include "app/steps/run_log.h"

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "app/key_poll.h"
#include "app/message_service.h"
#include "app/run_texts.h"
#include "app/steps/controls.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr int kTextMargin = 8;
// How often new log lines reach the view during a run. Each batch makes the view lay out all
// its lines again, so batches come a few times a second, not with every poll.
constexpr std::chrono::milliseconds kShowInterval{100};

}  // namespace

int RunLogModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

QVariant RunLogModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return lines_[index.row()];
  return {};
}

void RunLogModel::Clear() {
  beginResetModel();
  lines_.clear();
  shown_ = 0;
  endResetModel();
}

void RunLogModel::Append(QString line) {
  lines_.push_back(std::move(line));
  if (showPending_) return;
  showPending_ = true;
  QTimer::singleShot(kShowInterval, this, &RunLogModel::Show);
}

void RunLogModel::ReplaceLast(QString line) {
  if (lines_.isEmpty()) {
    Append(std::move(line));
    return;
  }
  lines_.back() = std::move(line);
  if (shown_ == lines_.size()) {
    const QModelIndex last = index(shown_ - 1, 0);
    emit dataChanged(last, last, {Qt::DisplayRole});
  }
}

void RunLogModel::Show() {
  showPending_ = false;
  const int count = static_cast<int>(lines_.size());
  if (count <= shown_) return;
  beginInsertRows({}, shown_, count - 1);
  shown_ = count;
  endInsertRows();
  emit linesShown();
}

RunLogPanel::RunLogPanel(WizardFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  log_ = LineList(this, 1027, QStringLiteral("Run log"), QAbstractItemView::NoSelection);
  log_->setFocusPolicy(Qt::NoFocus);
  model_ = new RunLogModel(this);
  log_->setModel(model_);
  // Scrolled to the last line once per batch, not once per line.
  connect(model_, &RunLogModel::linesShown, log_, &QTreeView::scrollToBottom);
  widths_ = TextWidths(log_->font());
  overall_ = Control(new QProgressBar(this), 1025, {}, QStringLiteral("Overall progress"));
  file_ = Control(new QProgressBar(this), 1026, {}, QStringLiteral("File progress"));
  for (QProgressBar* bar : {overall_, file_}) {
    bar->setTextVisible(false);
    bar->setMaximumHeight(14);
  }
  status_ = Control(new QLabel(this), 1035);
  status_->setAlignment(Qt::AlignCenter);
  status_->setWordWrap(true);
  status_->setMinimumHeight(2 * status_->fontMetrics().height() + 4);
  layout->addWidget(log_, 1);
  layout->addWidget(overall_);
  layout->addWidget(file_);
  layout->addWidget(status_);
}

QString RunLogPanel::statusText() const {
  return status_->text();
}

void RunLogPanel::ClearLog() {
  model_->Clear();
  lastLine_.clear();
  extent_ = 0;
  log_->setColumnWidth(0, log_->viewport()->width());
}

void RunLogPanel::Widen(const QString&, std::string_view utf8) {
  const int width = widths_.Width(utf8) + kTextMargin;
  if (width > extent_) {
    extent_ = width;
    log_->setColumnWidth(0, std::max(extent_, log_->viewport()->width()));
  }
}

void RunLogPanel::AppendLogLine(std::string_view text, bool continueLast) {
  if (continueLast && !model_->lines().isEmpty()) {
    lastLine_.append(text);
    const QString line = Q(lastLine_);
    model_->ReplaceLast(line);
    Widen(line, lastLine_);
  } else {
    lastLine_.assign(text);
    const QString line = Q(lastLine_);
    model_->Append(line);
    Widen(line, lastLine_);
  }
}

void RunLogPanel::SetOverallProgress(int pos, int range) {
  overallRange_ = std::max(range, 1);
  overallPos_ = std::clamp(pos, 0, overallRange_);
  ShowProgressLater();
}

void RunLogPanel::SetFileProgress(int pos, int range) {
  fileRange_ = std::max(range, 1);
  filePos_ = std::clamp(pos, 0, fileRange_);
  ShowProgressLater();
}

void RunLogPanel::ShowProgressLater() {
  // A progress bar repaints at once when its value changes visibly; a run sets the bars many
  // times per file, so they take the last values once each time the window gets to draw.
  if (progressPending_) return;
  progressPending_ = true;
  QTimer::singleShot(0, this, [this] {
    progressPending_ = false;
    overall_->setRange(0, overallRange_);
    overall_->setValue(overallPos_);
    file_->setRange(0, fileRange_);
    file_->setValue(filePos_);
  });
}

void RunLogPanel::SetStatus(std::string_view text) {
  status_->setText(Q(text));
}

void RunLogPanel::SetKeyStatus(StatusKey key) {
  status_->setText(Q(StatusKeyText(key)));
}

Poll RunLogPanel::StopPoll() {
  return frame_.keyPoll().Check();
}

void RunLogPanel::ShowError(std::string_view message) {
  frame_.messages().Tell(this, Q(message));
}

bool RunLogPanel::AskYesNo(std::string_view question) {
  // Closing the frame stops a run as ESC does, without the question.
  if (frame_.keyPoll().quitRequested()) return true;
  return frame_.messages().Ask(this, Q(question));
}

}  // namespace urlsmith::app
