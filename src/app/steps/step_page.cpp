#include "app/steps/step_page.h"

#include <QShowEvent>

namespace urlsmith::app {

StepPage::StepPage(WizardFrame& frame, int index, QString title, QString helpTopic)
    : frame_(frame), index_(index), title_(std::move(title)), helpTopic_(std::move(helpTopic)) {
  setObjectName(QStringLiteral("step%1").arg(index + 1));
}

void StepPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) Entered();
}

}  // namespace urlsmith::app
