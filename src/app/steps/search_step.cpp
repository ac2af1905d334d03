#include "app/steps/search_step.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/steps/run_log.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

SearchStep::SearchStep(WizardFrame& frame)
    : StepPage(frame, kSearchStep, QStringLiteral("Searching for Broken URL's"),
               QStringLiteral("fix4.htm")) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  log_ = new RunLogPanel(frame, this);
  layout->addWidget(log_);
}

void SearchStep::Entered() {
  frame_.SetNextEnabled(false);
  frame_.SetPreviousEnabled(false);
  if (!PrepareSearch(frame_.session(), *log_)) {
    lastOutcome_ = SearchOutcome::Refused;
    frame_.SetPreviousEnabled(true);
    return;
  }
  // The phases run once the step has been drawn.
  QTimer::singleShot(0, this, &SearchStep::Run);
}

void SearchStep::Run() {
  if (!isVisible()) {
    frame_.session().SearchBusy = false;
    frame_.SetPreviousEnabled(true);
    return;
  }
  frame_.ControlStateSave(false);
  frame_.BeginOperation();
  const SearchResult result = RunSearchPhases(frame_.session(), *log_);
  frame_.EndOperation();
  // The review's editor stays off: its list is rebuilt from the new rows when step 6 is shown.
  frame_.ControlStateSave(true, true);
  lastOutcome_ = result.Outcome;
  frame_.SetPreviousEnabled(true);
  if (result.Outcome == SearchOutcome::Found) {
    frame_.SetNextEnabled(true);
    frame_.nextButton()->setFocus();
    QApplication::alert(&frame_);
  } else {
    frame_.previousButton()->setFocus();
  }
}

}  // namespace urlsmith::app
