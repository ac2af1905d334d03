// Step 5, "Searching for Broken URL's": the search run with its log and progress.
#pragma once

#include "app/steps/step_page.h"

namespace urlsmith::app {

class SearchStep : public StepPage {
  Q_OBJECT
 public:
  explicit SearchStep(WizardFrame& frame);

 protected:
  void Entered() override;
};

}  // namespace urlsmith::app
