// Step 8, "Processing Broken URL's": the apply run that rewrites the files. It starts by itself
// once the step is on screen; afterwards Next offers the second pass or a fresh start.
#pragma once

#include "app/steps/step_page.h"
#include "apply/apply_run.h"

namespace urlsmith::app {

class RunLogPanel;

class ApplyStep : public StepPage {
  Q_OBJECT
 public:
  explicit ApplyStep(WizardFrame& frame);

  RunLogPanel& runLog() { return *log_; }
  const ApplyResult& lastResult() const { return last_; }

 protected:
  void Entered() override;

 private:
  void Run();

  RunLogPanel* log_;
  ApplyResult last_{};
};

}  // namespace urlsmith::app
