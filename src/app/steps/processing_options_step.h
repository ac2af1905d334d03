// Step 4, "Processing Options": how found links are changed, and the Link Target Adder.
// Entering it makes the next search compute its file-level data anew and ends a second pass.
#pragma once

#include "app/steps/step_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace urlsmith::app {

class ProcessingOptionsStep : public StepPage {
  Q_OBJECT
 public:
  explicit ProcessingOptionsStep(WizardFrame& frame);

 protected:
  void Entered() override;

 private:
  void UpdateBaseAsRoot();
  void UpdateTargetAdder();

  QRadioButton* relative_;
  QRadioButton* absolute_;
  QCheckBox* baseAsRoot_;
  QCheckBox* enable_;
  QComboBox* mode_;
  QLineEdit* mask_;
  QComboBox* target_;
  QCheckBox* modifyTargets_;
};

}  // namespace urlsmith::app
