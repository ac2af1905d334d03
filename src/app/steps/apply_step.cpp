#include "app/steps/apply_step.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/run_texts.h"
#include "app/steps/run_log.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

ApplyStep::ApplyStep(WizardFrame& frame)
    : StepPage(frame, kApplyStep, QStringLiteral("Processing Broken URL's"),
               QStringLiteral("fix7.htm")) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  log_ = new RunLogPanel(frame, this);
  layout->addWidget(log_);
}

void ApplyStep::Entered() {
  SearchSession& session = frame_.session();
  session.SearchBusy = true;
  frame_.SetNextEnabled(false);
  frame_.SetPreviousEnabled(false);
  log_->ClearLog();
  log_->SetOverallProgress(1, session.FileList.size());
  log_->SetFileProgress(0, 1);
  log_->SetKeyStatus(StatusKey::PressEscToStop);
  // The run begins once the step has been drawn.
  QTimer::singleShot(0, this, &ApplyStep::Run);
}

void ApplyStep::Run() {
  SearchSession& session = frame_.session();
  if (!isVisible()) {
    session.SearchBusy = false;
    return;
  }
  // The backup box is disabled in the second pass: its changes go over the first pass's.
  const ApplyOptions options =
      MakeApplyOptions(frame_.review(), frame_.deletion(), session.Processing.CanonicalizeUrls,
                       session.pathStyle(), !frame_.secondPass());
  frame_.ControlStateSave(false);
  frame_.BeginOperation();
  last_ = urlsmith::ApplyStep(session, options, *log_);
  frame_.EndOperation();
  frame_.ControlStateSave(true, true);
  // A run cannot be undone from the wizard: Previous stays off.
  const std::string_view caption = NextButtonCaption(last_.Next);
  frame_.SetNextCaption(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  frame_.SetNextEnabled(true);
  frame_.nextButton()->setFocus();
  QApplication::alert(&frame_);
}

}  // namespace urlsmith::app
