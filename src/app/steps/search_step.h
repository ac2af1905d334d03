// Step 5, "Searching for Broken URL's": the search run with its log and progress. It starts
// by itself once the step is on screen; Next is offered only when something was found.
#pragma once

#include "app/steps/step_page.h"
#include "engine/search_run.h"

namespace urlsmith::app {

class RunLogPanel;

class SearchStep : public StepPage {
  Q_OBJECT
 public:
  explicit SearchStep(WizardFrame& frame);

  RunLogPanel& runLog() { return *log_; }
  // The outcome of the last run (Refused until one has run).
  SearchOutcome lastOutcome() const { return lastOutcome_; }

 protected:
  void Entered() override;

 private:
  void Run();

  RunLogPanel* log_;
  SearchOutcome lastOutcome_ = SearchOutcome::Refused;
};

}  // namespace urlsmith::app
