// Step 6, "Search Results": the review of the planned changes. The list of grouped lines, its
// Hide boxes and sort order, the " Replace with " editor that changes a line's replacement, and
// the two switches that decide how the changes are applied.
#pragma once

#include <memory>

#include "app/steps/step_page.h"
#include "app/steps/text_widths.h"
#include "results/result_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace urlsmith::app {

class ResultLinesModel;

class ResultsStep : public StepPage {
  Q_OBJECT
 public:
  explicit ResultsStep(WizardFrame& frame);
  ~ResultsStep() override;

  ResultLinesModel& lines() { return *model_; }
  QTreeView* listView() const { return list_; }

 protected:
  void Entered() override;

 private:
  // Runs a command of the step: SearchBusy set, the step's options taken from the controls,
  // and with `rebuild` the list replaced in one go and the frame's controls locked meanwhile.
  // The editor shows the result.
  template <typename F>
  void Command(F&& command, bool rebuild);
  void ShowEditor();
  void TakeEditor();
  void Apply();
  void Browse();

  std::unique_ptr<ResultStep> step_;
  ResultLinesModel* model_;
  TextWidths widths_;
  QTreeView* list_;
  QLabel* count_;
  QLabel* internetNotice_ = nullptr;
  QCheckBox* hideDelete_;
  QCheckBox* allowDeletion_;
  QCheckBox* makeBackups_;
  QComboBox* sort_;
  QLineEdit* edit_;
  QPushButton* apply_;
  QPushButton* browse_;
  QPushButton* copyOld_;
  QPushButton* delete_;
  QCheckBox* relative_;
};

}  // namespace urlsmith::app
