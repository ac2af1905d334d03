#include "app/steps/processing_options_step.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/steps/controls.h"
#include "app/wizard_frame.h"
#include "text/text_types.h"

namespace urlsmith::app {

namespace {

QCheckBox* Check(QWidget* parent, int id, const QString& caption, const QString& tip,
                 bool& option) {
  auto* box = Control(new QCheckBox(caption, parent), id, tip);
  box->setChecked(option);
  QObject::connect(box, &QCheckBox::toggled, parent, [&option](bool on) { option = on; });
  return box;
}

constexpr const char* kTargets[] = {"_blank", "_parent", "_self", "_top"};

}  // namespace

ProcessingOptionsStep::ProcessingOptionsStep(WizardFrame& frame)
    : StepPage(frame, kProcessingOptionsStep, QStringLiteral("Processing Options"),
               QStringLiteral("fix4.htm")) {
  ProcessingOptions& o = frame.session().Processing;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* urls = new QGroupBox(QStringLiteral(" URL Processing "), this);
  auto* u = new QVBoxLayout(urls);
  u->setSpacing(2);
  relative_ = Control(new QRadioButton(QStringLiteral("Make URL's relative"), urls), 1040,
                      QStringLiteral("Forces conversion of all absolute URL's into their "
                                     "relative analogs"));
  absolute_ = Control(new QRadioButton(QStringLiteral("Make URL's absolute"), urls), 1041,
                      QStringLiteral("Forces conversion of all relative URL's into their "
                                     "absolute analogs"));
  (o.UrlForm == UrlFormKind::Relative ? relative_ : absolute_)->setChecked(true);
  baseAsRoot_ =
      Check(urls, 1032, QStringLiteral("Use the base URL from the step 3"),
            QStringLiteral("Allows using the base URL set at the step 3 as the root path"),
            o.UseBaseUrlAsRoot);
  auto* indented = new QVBoxLayout;
  indented->setContentsMargins(18, 0, 0, 0);
  indented->addWidget(baseAsRoot_);
  u->addWidget(relative_);
  u->addWidget(absolute_);
  u->addLayout(indented);
  u->addWidget(Check(urls, 1029, QStringLiteral("&Add forgotten protocol names"),
                     QStringLiteral("Allows adding protocol names to URL's that seemingly should "
                                    "contain them (recommended)"),
                     o.AddProtocolNames));
  u->addWidget(Check(urls, 1030, QStringLiteral("Add forgotten \"//\" after a protocol name"),
                     QStringLiteral("Allows adding \"\\\\\" after protocol names to URL's that "
                                    "seemingly should contain them (recommended)"),
                     o.AddProtocolSlashes));
  u->addWidget(Check(urls, 1031, QStringLiteral("&Canonicalize URL's"),
                     QStringLiteral("Forces conversion of unsafe characters in all URL's to their "
                                    "coded equivalents (recommended)"),
                     o.CanonicalizeUrls));
  u->addWidget(Check(urls, 1028, QStringLiteral("De&lete scripts inside links (use with care)"),
                     QStringLiteral("Forces deletion of any commands executing scripts located "
                                    "inside links (useful only for ridding of Internet links in "
                                    "downloaded web-pages)"),
                     o.DeleteScriptLinks));
  u->addWidget(Check(urls, 1033,
                     QStringLiteral("De&lete URL's with unknown protocols (use with care)"),
                     QStringLiteral("Forces deletion of URL's containing unknown protocols "
                                    "(useful only for ridding of Internet links in downloaded "
                                    "web-pages)"),
                     o.DeleteUnknownProtocols));
  u->addWidget(Check(urls, 1096, QStringLiteral("Update permanently &moved URL's"),
                     QStringLiteral("Replaces Internet URL's that have moved for good (answered "
                                    "with 301 or 308) by their new addresses"),
                     frame.session().Search.FixRedirects));
  u->addWidget(Check(urls, 1098, QStringLiteral("Check letter case for case-sensiti&ve servers"),
                     QStringLiteral("Treats a local link whose letter case differs from its "
                                    "file's as broken and replaces it by the file's own spelling "
                                    "(a site copied from a case-insensitive disk to a Linux "
                                    "server breaks this way)"),
                     frame.session().Search.CaseSensitive));
  layout->addWidget(urls);

  auto* adder = new QGroupBox(QStringLiteral(" Link Target Adder "), this);
  auto* a = new QFormLayout(adder);
  a->setVerticalSpacing(2);
  enable_ = Control(new QCheckBox(QStringLiteral("&Enable"), adder), 1094,
                    QStringLiteral("Turns the Link Target Adder on"));
  enable_->setChecked(false);
  o.TargetAdderEnabled = false;
  mode_ = Control(new QComboBox(adder), 1089,
                  QStringLiteral("Defines the kind of links which targets should be modified"),
                  QStringLiteral("Mode"));
  mode_->addItems({QStringLiteral("All external links"), QStringLiteral("Links to image files"),
                   QStringLiteral("Custom URL mask")});
  mode_->setCurrentIndex(static_cast<int>(o.TargetAdderMode));
  mask_ = Control(new QLineEdit(adder), 1091,
                  QStringLiteral("The mask using to determine links which targets should be "
                                 "modified"),
                  QStringLiteral("URL mask"));
  mask_->setMaxLength(65535);
  mask_->setText(QString::fromStdString(o.TargetUrlMask));
  target_ = Control(new QComboBox(adder), 1093, QStringLiteral("Target string (can be custom)"),
                    QStringLiteral("Target"));
  target_->setEditable(true);
  target_->setInsertPolicy(QComboBox::NoInsert);
  for (const char* t : kTargets)
    target_->addItem(QString::fromLatin1(t));
  // The stored target selects the list item it equals ignoring case, else it is typed text.
  int found = -1;
  for (int i = 0; i < static_cast<int>(std::size(kTargets)); ++i) {
    if (EqualsIgnoreCase(o.TargetName, kTargets[i])) {
      found = i;
      break;
    }
  }
  if (found >= 0) {
    target_->setCurrentIndex(found);
    o.TargetName = kTargets[found];
  } else {
    target_->setCurrentIndex(-1);
    target_->setEditText(QString::fromStdString(o.TargetName));
  }
  modifyTargets_ =
      Check(adder, 1092, QStringLiteral("Modify existing targets"),
            QStringLiteral("Allows modification of existing targets"), o.ModifyExistingTargets);
  // "Modify existing targets" stands beside "Enable", so that the URL processing group above
  // has room for all its boxes.
  auto* switches = new QHBoxLayout;
  switches->addWidget(enable_);
  switches->addStretch(1);
  switches->addWidget(modifyTargets_);
  a->addRow(switches);
  a->addRow(QStringLiteral("Mode:"), mode_);
  a->addRow(QStringLiteral("URL mask:"), mask_);
  a->addRow(QStringLiteral("Target:"), target_);
  layout->addWidget(adder);
  layout->addStretch(1);

  connect(relative_, &QRadioButton::toggled, this, [this, &o](bool) {
    o.UrlForm = relative_->isChecked() ? UrlFormKind::Relative : UrlFormKind::Absolute;
    UpdateBaseAsRoot();
  });
  connect(enable_, &QCheckBox::toggled, this, [this, &o](bool on) {
    o.TargetAdderEnabled = on;
    UpdateTargetAdder();
  });
  connect(mode_, &QComboBox::activated, this, [this, &o](int index) {
    o.TargetAdderMode = static_cast<TargetMode>(index);
    UpdateTargetAdder();
  });
  connect(mask_, &QLineEdit::textChanged, this,
          [&o](const QString& text) { o.TargetUrlMask = text.toStdString(); });
  connect(target_, &QComboBox::currentTextChanged, this,
          [&o](const QString& text) { o.TargetName = text.toStdString(); });
  UpdateTargetAdder();
}

void ProcessingOptionsStep::UpdateBaseAsRoot() {
  baseAsRoot_->setEnabled(absolute_->isChecked() && frame_.session().Search.UseBaseUrl);
}

void ProcessingOptionsStep::UpdateTargetAdder() {
  const bool on = enable_->isChecked();
  mode_->setEnabled(on);
  target_->setEnabled(on);
  modifyTargets_->setEnabled(on);
  mask_->setEnabled(on && mode_->currentIndex() == static_cast<int>(TargetMode::CustomMask));
}

void ProcessingOptionsStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
  UpdateBaseAsRoot();
  // The next search computes its file-level data anew (and InternetCheckOff follows step 3).
  frame_.session().CacheReset();
  frame_.SetSecondPass(false);
}

}  // namespace urlsmith::app
