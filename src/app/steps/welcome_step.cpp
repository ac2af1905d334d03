#include "app/steps/welcome_step.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/steps/file_list_step.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

WelcomeStep::WelcomeStep(WizardFrame& frame)
    : StepPage(frame, kWelcomeStep, QStringLiteral("Welcome to Urlsmith!"),
               QStringLiteral("fix1.htm")) {
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QLabel(QStringLiteral("<h2>Welcome to Urlsmith!</h2>"), this);
  auto* text = new QLabel(
      QStringLiteral("<p>This wizard finds the broken links of a web site on your disk and "
                     "repairs them.</p>"
                     "<p>Add the files of the site, choose how links are searched and "
                     "changed, look through the proposed repairs and edit them, and let the "
                     "wizard rewrite the files. Every changed file keeps a backup that the "
                     "Unspool utility restores or deletes.</p>"
                     "<p>Press <b>Next</b> to begin.</p>"),
      this);
  text->setObjectName(QStringLiteral("welcomeText"));
  text->setWordWrap(true);
  text->setTextFormat(Qt::RichText);
  layout->addWidget(heading);
  layout->addWidget(text);
  layout->addStretch(1);
}

void WelcomeStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(false);
  static_cast<FileListStep*>(frame_.page(kFileListStep))->ResetExtent();
}

}  // namespace urlsmith::app
