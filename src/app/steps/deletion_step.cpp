#include "app/steps/deletion_step.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialog_service.h"
#include "app/steps/controls.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

DeletionStep::DeletionStep(WizardFrame& frame)
    : StepPage(frame, kDeletionStep, QStringLiteral("Link Deletion Properties"),
               QStringLiteral("fix6.htm")) {
  DeletionOptions& o = frame.deletion();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* text = new QGroupBox(QStringLiteral(" Text Links "), this);
  auto* t = new QVBoxLayout(text);
  auto* toText = Control(new QRadioButton(QStringLiteral("&Convert to text"), text), 1041,
                         QStringLiteral("Forces conversion of text links marked as \"DELETE\" to "
                                        "usual text"));
  auto* toEmpty = Control(new QRadioButton(QStringLiteral("&Make empty"), text), 1042,
                          QStringLiteral("Forces replacement of text links marked as \"DELETE\" "
                                         "with the empty URL (#)"));
  (o.TextLinkMode == TextLinkModeKind::ConvertToText ? toText : toEmpty)->setChecked(true);
  t->addWidget(toText);
  t->addWidget(toEmpty);
  connect(toText, &QRadioButton::toggled, this, [&o](bool on) {
    o.TextLinkMode = on ? TextLinkModeKind::ConvertToText : TextLinkModeKind::MakeEmpty;
  });
  layout->addWidget(text);

  // One group for images and one for background images, built alike.
  struct Ids {
    int empty, replace, edit, browse, relative;
    const char* title;
    const char* emptyCaption;
    const char* replaceCaption;
    const char* browseCaption;
    const char* what;
  };
  auto group = [&](const Ids& ids, ImageLinkModeKind& mode, std::string& url, bool& relative,
                   QRadioButton*& emptyOut, QRadioButton*& replaceOut, QLineEdit*& editOut,
                   QPushButton*& browseOut) {
    auto* box = new QGroupBox(QString::fromLatin1(ids.title), this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(2);
    const QString what = QString::fromLatin1(ids.what);
    emptyOut =
        Control(new QRadioButton(QString::fromLatin1(ids.emptyCaption), box), ids.empty,
                QStringLiteral("Forces replacement URL's marked as \"DELETE\" pointing to ") +
                    what + QStringLiteral(" with emptiness"));
    replaceOut =
        Control(new QRadioButton(QString::fromLatin1(ids.replaceCaption), box), ids.replace,
                QStringLiteral("Forces replacement URL's marked as \"DELETE\" pointing to ") +
                    what + QStringLiteral(" with the specified URL"));
    (mode == ImageLinkModeKind::MakeEmpty ? emptyOut : replaceOut)->setChecked(true);
    editOut = Control(new QLineEdit(box), ids.edit,
                      QStringLiteral("URL to replace URL's marked as \"DELETE\" pointing to ") +
                          what + QStringLiteral(" with"),
                      QStringLiteral("Replacement URL"));
    editOut->setMaxLength(65535);
    editOut->setText(Q(url));
    browseOut = Control(new QPushButton(QString::fromLatin1(ids.browseCaption), box), ids.browse,
                        QStringLiteral("Choose a file to be used as the replacement"));
    browseOut->setAutoDefault(false);
    auto* rel =
        Control(new QCheckBox(QStringLiteral("&Make relative / Use base URL"), box), ids.relative,
                QStringLiteral("Forces conversion of the replacement URL to relative "
                               "(recommended)"));
    rel->setChecked(relative);
    g->addWidget(emptyOut, 0, 0, 1, 2);
    g->addWidget(replaceOut, 1, 0, 1, 2);
    g->addWidget(editOut, 2, 0);
    g->addWidget(browseOut, 2, 1);
    g->addWidget(rel, 3, 0, 1, 2);
    connect(replaceOut, &QRadioButton::toggled, this, [this, &mode](bool on) {
      mode = on ? ImageLinkModeKind::ReplaceWithUrl : ImageLinkModeKind::MakeEmpty;
      UpdateEnabling();
    });
    connect(editOut, &QLineEdit::textChanged, this,
            [&url](const QString& s) { url = s.toStdString(); });
    connect(rel, &QCheckBox::toggled, this, [&relative](bool on) { relative = on; });
    QLineEdit* edit = editOut;
    connect(browseOut, &QPushButton::clicked, this, [this, edit] { Browse(edit); });
    editOut->installEventFilter(this);
    layout->addWidget(box);
  };
  group({1044, 1045, 1091, 1073, 1076, " Image URL's ", "M&ake empty",
         "Re&place with URL:", "&Browse...", "image files"},
        o.ImageLinkMode, o.ImageReplacementUrl, o.ImageReplacementRelative, imageEmpty_,
        imageReplace_, imageUrl_, imageBrowse_);
  group({1047, 1048, 1071, 1074, 1095, " Background Image URL's ", "Ma&ke empty",
         "Rep&lace with URL:", "B&rowse...", "background images"},
        o.BackgroundLinkMode, o.BackgroundReplacementUrl, o.BackgroundReplacementRelative,
        backgroundEmpty_, backgroundReplace_, backgroundUrl_, backgroundBrowse_);
  layout->addStretch(1);
  UpdateEnabling();
}

void DeletionStep::Entered() {
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(true);
}

void DeletionStep::UpdateEnabling() {
  const DeletionOptions& o = frame_.deletion();
  imageUrl_->setEnabled(ImageUrlControlsEnabled(o));
  imageBrowse_->setEnabled(ImageUrlControlsEnabled(o));
  backgroundUrl_->setEnabled(BackgroundUrlControlsEnabled(o));
  backgroundBrowse_->setEnabled(BackgroundUrlControlsEnabled(o));
}

void DeletionStep::Normalize() {
  DeletionOptions& o = frame_.deletion();
  NormalizeReplacementUrls(o, frame_.session().Processing.CanonicalizeUrls,
                           frame_.session().pathStyle());
  if (imageUrl_->text() != Q(o.ImageReplacementUrl)) imageUrl_->setText(Q(o.ImageReplacementUrl));
  if (backgroundUrl_->text() != Q(o.BackgroundReplacementUrl)) {
    backgroundUrl_->setText(Q(o.BackgroundReplacementUrl));
  }
}

void DeletionStep::Browse(QLineEdit* edit) {
  const bool wasBusy = frame_.session().SearchBusy;
  frame_.session().SearchBusy = true;
  FileDialogRequest request;
  request.Kind = FileDialogKind::Image;
  request.StartFolder = frame_.lastRootFolder();
  const auto chosen = frame_.dialogs().ChooseFile(this, request);
  frame_.session().SearchBusy = wasBusy;
  if (!chosen) return;
  edit->setText(Q(BrowsedReplacementUrl(chosen->toStdString(), frame_.session().pathStyle())));
}

bool DeletionStep::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == imageUrl_ || watched == backgroundUrl_) && event->type() == QEvent::FocusOut) {
    Normalize();
  }
  return StepPage::eventFilter(watched, event);
}

}  // namespace urlsmith::app
