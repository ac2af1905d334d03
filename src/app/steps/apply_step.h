// Step 8, "Processing Broken URL's": the apply run that rewrites the files.
#pragma once

#include "app/steps/step_page.h"

namespace urlsmith::app {

class ApplyStep : public StepPage {
  Q_OBJECT
 public:
  explicit ApplyStep(WizardFrame& frame);

 protected:
  void Entered() override;
};

}  // namespace urlsmith::app
