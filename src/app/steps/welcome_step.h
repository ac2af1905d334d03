// Step 1, "Welcome to Urlsmith!": what the wizard does, and the way in.
#pragma once

#include "app/steps/step_page.h"

namespace urlsmith::app {

class WelcomeStep : public StepPage {
  Q_OBJECT
 public:
  explicit WelcomeStep(WizardFrame& frame);

 protected:
  void Entered() override;
};

}  // namespace urlsmith::app
