// Step 7, "Link Deletion Properties": how links marked for deletion are carried out.
#pragma once

#include "app/steps/step_page.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace urlsmith::app {

class DeletionStep : public StepPage {
  Q_OBJECT
 public:
  explicit DeletionStep(WizardFrame& frame);

 protected:
  void Entered() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateEnabling();
  void Normalize();
  void Browse(QLineEdit* edit);

  QRadioButton* imageEmpty_;
  QRadioButton* imageReplace_;
  QLineEdit* imageUrl_;
  QPushButton* imageBrowse_;
  QRadioButton* backgroundEmpty_;
  QRadioButton* backgroundReplace_;
  QLineEdit* backgroundUrl_;
  QPushButton* backgroundBrowse_;
};

}  // namespace urlsmith::app
