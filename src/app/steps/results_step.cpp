#include "app/steps/results_step.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/steps/controls.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

QCheckBox* Check(QWidget* parent, int id, const QString& caption, const QString& tip,
                 bool& option) {
  auto* box = Control(new QCheckBox(caption, parent), id, tip);
  box->setChecked(option);
  QObject::connect(box, &QCheckBox::toggled, parent, [&option](bool on) { option = on; });
  return box;
}

}  // namespace

ResultsStep::ResultsStep(WizardFrame& frame)
    : StepPage(frame, kResultsStep, QStringLiteral("Search Results"), QStringLiteral("fix5.htm")) {
  ResultOptions& o = frame.review();
  o.MakeBackups = true;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* top = new QHBoxLayout;
  auto* sortLabel = new QLabel(QStringLiteral("Sort:"), this);
  sort_ = Control(new QComboBox(this), 1089, QStringLiteral("URL list sorting method"),
                  QStringLiteral("Sort"));
  for (std::string_view name : kSortModeNames) {
    sort_->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  }
  sort_->setCurrentIndex(static_cast<int>(o.SortMode));
  sortLabel->setBuddy(sort_);
  top->addWidget(sortLabel);
  top->addWidget(sort_, 1);
  layout->addLayout(top);

  auto* hide = new QGroupBox(QStringLiteral(" Hide "), this);
  auto* h = new QHBoxLayout(hide);
  h->addWidget(Check(hide, 1029, QStringLiteral("&REPLACE"),
                     QStringLiteral("Hides URL's marked as \"REPLACE\""), o.HideReplace));
  h->addWidget(Check(hide, 1031, QStringLiteral("&TARGET"),
                     QStringLiteral("Hides URL's marked as \"TARGET\""), o.HideTarget));
  hideDelete_ = Check(hide, 1028, QStringLiteral("&DELETE"),
                      QStringLiteral("Hides URL's marked as \"DELETE\""), o.HideDelete);
  h->addWidget(hideDelete_);
  h->addWidget(Check(hide, 1030, QStringLiteral("&ORPHAN"),
                     QStringLiteral("Hides the list of orphan files"), o.HideOrphan));
  layout->addWidget(hide);
  layout->addStretch(1);

  allowDeletion_ = Check(this, 1032, QStringLiteral("Allow link deletion"),
                         QStringLiteral("Allows deletion of broken URL's"), o.AllowLinkDeletion);
  makeBackups_ = Check(this, 1056, QStringLiteral("Make back&ups before processing"),
                       QStringLiteral("Forces making of backup files that can be restored or "
                                      "deleted with the Unspool utility (recommended)"),
                       o.MakeBackups);
  layout->addWidget(allowDeletion_);
  layout->addWidget(makeBackups_);

  hideDelete_->setEnabled(HideDeleteEnabled(o));
  connect(allowDeletion_, &QCheckBox::toggled, this,
          [this, &o] { hideDelete_->setEnabled(HideDeleteEnabled(o)); });
  connect(sort_, &QComboBox::activated, this,
          [&o](int index) { o.SortMode = static_cast<SortModeKind>(index); });
  // The backup box is off while a second pass runs without further backups.
  connect(&frame, &WizardFrame::secondPassChanged, makeBackups_,
          [this](bool on) { makeBackups_->setEnabled(!on); });
}

void ResultsStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
}

}  // namespace urlsmith::app
