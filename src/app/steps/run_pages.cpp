// The pages of the two runs (search and apply). Their run views come with the run steps; until
// then they only take part in the navigation.
#include <QLabel>
#include <QVBoxLayout>

#include "app/steps/apply_step.h"
#include "app/steps/search_step.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

void Note(QWidget* page, const QString& text) {
  auto* layout = new QVBoxLayout(page);
  auto* label = new QLabel(text, page);
  label->setWordWrap(true);
  label->setObjectName(QStringLiteral("runNote"));
  layout->addWidget(label);
  layout->addStretch(1);
}

}  // namespace

SearchStep::SearchStep(WizardFrame& frame)
    : StepPage(frame, kSearchStep, QStringLiteral("Searching for Broken URL's"),
               QStringLiteral("fix4.htm")) {
  Note(this, QStringLiteral("The search runs here."));
}

void SearchStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
}

ApplyStep::ApplyStep(WizardFrame& frame)
    : StepPage(frame, kApplyStep, QStringLiteral("Processing Broken URL's"),
               QStringLiteral("fix7.htm")) {
  Note(this, QStringLiteral("The changes are applied here."));
}

void ApplyStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(false);
}

}  // namespace urlsmith::app
