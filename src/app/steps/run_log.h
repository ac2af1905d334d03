// The run view of the search and apply steps: the run log (a list that only grows, scrolled to
// its last line, with a horizontal range as wide as its widest line), the overall and per-file
// progress bars and the status line. It is the RunView the core's runs write to; its key poll
// is the frame's.
#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "app/steps/text_widths.h"
#include "engine/run_view.h"

class QLabel;
class QProgressBar;
class QTreeView;

namespace urlsmith::app {

class WizardFrame;

// The log's lines. A run adds them far faster than a view can take them one by one, so new lines
// reach the view in batches, a few times a second.
class RunLogModel : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  void Clear();
  void Append(QString line);
  void ReplaceLast(QString line);
  // Every line, those not yet shown included.
  const QStringList& lines() const { return lines_; }

 signals:
  void linesShown();

 private:
  void Show();

  QStringList lines_;
  int shown_ = 0;  // lines the view knows of
  bool showPending_ = false;
};

class RunLogPanel : public QWidget, public RunView {
  Q_OBJECT
 public:
  RunLogPanel(WizardFrame& frame, QWidget* parent);

  QStringList logLines() const { return model_->lines(); }
  QString statusText() const;

  // RunView
  void ClearLog() override;
  void AppendLogLine(std::string_view text, bool continueLast) override;
  void SetOverallProgress(int pos, int range) override;
  void SetFileProgress(int pos, int range) override;
  void SetStatus(std::string_view text) override;
  void SetKeyStatus(StatusKey key) override;
  Poll StopPoll() override;
  void ShowError(std::string_view message) override;
  bool AskYesNo(std::string_view question) override;

 private:
  void Widen(const QString& line, std::string_view utf8);
  void ShowProgressLater();

  WizardFrame& frame_;
  QTreeView* log_;
  RunLogModel* model_;
  QProgressBar* overall_;
  QProgressBar* file_;
  QLabel* status_;
  TextWidths widths_;
  std::string lastLine_;
  int extent_ = 0;
  int overallPos_ = 0, overallRange_ = 1, filePos_ = 0, fileRange_ = 1;
  bool progressPending_ = false;
};

}  // namespace urlsmith::app
