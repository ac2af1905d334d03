// Step 3, "Search Properties": how the search finds links and their replacements.
#pragma once

#include "app/steps/step_page.h"

class QCheckBox;
class QLineEdit;

namespace urlsmith::app {

class SearchOptionsStep : public StepPage {
  Q_OBJECT
 public:
  explicit SearchOptionsStep(WizardFrame& frame);

  // The base URL in its escaped form, as the field holds it after losing the focus.
  void EscapeBaseUrl();

 protected:
  void Entered() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QCheckBox* useBaseUrl_;
  QLineEdit* baseUrl_;
};

}  // namespace urlsmith::app
