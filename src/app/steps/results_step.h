// Step 6, "Search Results": the review of the planned changes, its Hide boxes, sort order and
// the two switches that decide how the changes are applied.
#pragma once

#include "app/steps/step_page.h"

class QCheckBox;
class QComboBox;

namespace urlsmith::app {

class ResultsStep : public StepPage {
  Q_OBJECT
 public:
  explicit ResultsStep(WizardFrame& frame);

 protected:
  void Entered() override;

 private:
  QCheckBox* hideDelete_;
  QCheckBox* allowDeletion_;
  QCheckBox* makeBackups_;
  QComboBox* sort_;
};

}  // namespace urlsmith::app
