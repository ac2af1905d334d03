#include "app/steps/search_options_step.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/steps/controls.h"
#include "app/wizard_frame.h"
#include "text/url_ops.h"

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

SearchOptionsStep::SearchOptionsStep(WizardFrame& frame)
    : StepPage(frame, kSearchOptionsStep, QStringLiteral("Search Properties"),
               QStringLiteral("fix3.htm")) {
  SearchOptions& o = frame.session().Search;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* replacement = new QGroupBox(QStringLiteral(" Replacement Search Properties "), this);
  auto* r = new QVBoxLayout(replacement);
  r->addWidget(Check(replacement, 1082,
                     QStringLiteral("&Check Internet URL's (requires Internet connection)"),
                     QStringLiteral("Allows connecting to the Internet to check URL's pointing to "
                                    "the Internet"),
                     o.CheckInternetUrls));
  r->addWidget(Check(replacement, 1032, QStringLiteral("Search using file names"),
                     QStringLiteral("Allows suggesting replacements for broken URL's using file "
                                    "names (recommended)"),
                     o.SearchByFileNames));
  r->addWidget(Check(replacement, 1030,
                     QStringLiteral("Search &using Internet Explorer's \"saved from url\" comment"),
                     QStringLiteral("Allows using the \"saved from url\" comments to determine "
                                    "original file location (recommended)"),
                     o.UseSavedFromUrl));
  useBaseUrl_ = Check(replacement, 1085, QStringLiteral("Search using &base URL"),
                      QStringLiteral("Allows using a base URL for searching"), o.UseBaseUrl);
  r->addWidget(useBaseUrl_);
  auto* baseRow = new QHBoxLayout;
  auto* baseLabel = new QLabel(QStringLiteral("Base URL:"), replacement);
  baseUrl_ = Control(new QLineEdit(replacement), 1091,
                     QStringLiteral("The base URL of your site (for example, "
                                    "\"http://www.example.com/\")"),
                     QStringLiteral("Base URL"));
  baseUrl_->setMaxLength(65535);
  baseUrl_->setText(QString::fromStdString(o.BaseUrl));
  baseLabel->setBuddy(baseUrl_);
  baseRow->addSpacing(18);
  baseRow->addWidget(baseLabel);
  baseRow->addWidget(baseUrl_, 1);
  r->addLayout(baseRow);
  layout->addWidget(replacement);

  auto* search = new QGroupBox(QStringLiteral(" URL Search Properties "), this);
  auto* s = new QVBoxLayout(search);
  s->addWidget(Check(search, 1083,
                     QStringLiteral("&Search inside event definitions by protocol names"),
                     QStringLiteral("Allows seaching for URL's inside DHTML event definitions "
                                    "(recommended)"),
                     o.ScanEventHandlers));
  s->addWidget(Check(search, 1029, QStringLiteral("Search inside scripts by protocol names"),
                     QStringLiteral("Enables to consider any string inside scripts beginning with "
                                    "a protocol name as a real URL (recommended)"),
                     o.ScanScriptsByProtocol));
  s->addWidget(Check(search, 1097, QStringLiteral("Search &HTML5 elements and attributes"),
                     QStringLiteral("Searches the addresses of newer pages too: srcset lists, "
                                    "media sources and posters, OBJECT data, META refresh, SVG "
                                    "references, form actions, cite and CSS @import "
                                    "(recommended)"),
                     o.SearchHtml5));
  s->addWidget(Check(search, 1028,
                     QStringLiteral("Search inside scripts by tag names (not recommended)"),
                     QStringLiteral("Enables to consider any string inside scripts looking like a "
                                    "tag as a real tag"),
                     o.ScanScriptsByTag));
  layout->addWidget(search);
  layout->addStretch(1);

  connect(baseUrl_, &QLineEdit::textChanged, this,
          [&o](const QString& text) { o.BaseUrl = text.toStdString(); });
  baseUrl_->installEventFilter(this);
  connect(useBaseUrl_, &QCheckBox::toggled, baseUrl_, &QWidget::setEnabled);
  baseUrl_->setEnabled(o.UseBaseUrl);
}

void SearchOptionsStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
  baseUrl_->setEnabled(useBaseUrl_->isChecked());
}

void SearchOptionsStep::EscapeBaseUrl() {
  const std::string text = baseUrl_->text().toStdString();
  std::string escaped;
  EscapeUrl(text, &escaped);
  if (escaped != text) baseUrl_->setText(QString::fromStdString(escaped));
}

bool SearchOptionsStep::eventFilter(QObject* watched, QEvent* event) {
  if (watched == baseUrl_ && event->type() == QEvent::FocusOut) EscapeBaseUrl();
  return StepPage::eventFilter(watched, event);
}

}  // namespace urlsmith::app
