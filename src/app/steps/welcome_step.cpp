#include "app/steps/welcome_step.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QVBoxLayout>

#include "app/message_service.h"
#include "app/pictures.h"
#include "app/settings_store.h"
#include "app/steps/controls.h"
#include "app/steps/file_list_step.h"
#include "app/wizard_frame.h"

namespace urlsmith::app {

namespace {

const char* const kTips[kTipCount] = {
    "Do you know that you can place the cursor over any window element to get a quick tip for "
    "it?",
    "Do you know that you can press the \"Help\" button to see the reference where you can find "
    "answers to the most of common questions?",
    "Do you know that even those URL's which point to existing files will be considered broken "
    "if those files were not added to the file list at the step 2?",
    "Do you know that the Unspool utility is needed to restore or delete Urlsmith backup files "
    "(if their creation was allowed at the step 6)?",
    "Do you know that you can specify a base URL for searching for broken URL's (step 3)? You "
    "also can use that base URL for conversion of all links to absolute? (step 4)",
    "Do you know that you can convert all URL's in your HTML documents to those relative to "
    "these documents? (step 4)",
    "Do you know that you can use the \"Link Target Adder\" tool to add or modify link targets "
    "automatically? (step 4)",
    "Do you know that URL's queued for deletion are hidden if link deletion is prohibited? "
    "(step 6)",
    "Do you know that Urlsmith is able to restore links between several documents saved with "
    "the \"Save as...\" option of Microsoft Internet Explorer?",
    "Do you know that Urlsmith can be used for ridding of Internet URL's, which is very useful "
    "for downloaded web-pages and sites?",
    "Do you know that Urlsmith is able to add forgotten \"http://\" to WWW addresses, \"ftp://\" "
    "to FTP and \"mailto:\" to e-mail addresses?",
    "Do you know that you can correct any changes queued before they are applied? (step 6)",
    "Do you know that step 7 is available only if link deletion was allowed? (step 6)",
    "Do you know that the effect of the \"Make relative / Use base URL\" checkbox depends on the "
    "\"Use the base URL from the step 3\" checkbox at the step 4? (steps 6, 7)",
    "Do you know that pushing the \"Delete\" button at the step 6 does not give immediate "
    "deletion of the chosen URL?",
    "Do you know that the \"file:///\" prefix added to a URL's doesn't obviously mean that it "
    "will be absolute? It depends on the \"Make relative / Use base URL\" checkbox. (steps 6, 7)",
    "Do you know that you do not know that you do not know?",
};

const QColor kLightYellow(255, 255, 204);
constexpr int kStripWidth = 37;
const QRect kLampRect(8, 4, 21, 35);

}  // namespace

const char* TipText(int counter) {
  return kTips[counter >= 0 && counter < kTipCount ? counter : 0];
}

int NextTipCounter(std::optional<int> stored) {
  if (!stored || *stored < 0 || *stored >= kTipCount - 1) return 0;
  return *stored + 1;
}

TipBox::TipBox(QWidget* parent) : QWidget(parent) {
  setObjectName(ControlName(1088));
  Dib dib;
  if (LoadPicture(kLampLit, false, dib) == kPictureLoaded) lit_ = ImageOf(dib);
  if (LoadPicture(kLampUnlit, false, dib) == kPictureLoaded) unlit_ = ImageOf(dib);
  timer_.setInterval(kLampMs);
  connect(&timer_, &QTimer::timeout, this, &TipBox::LampTick);
}

void TipBox::SetTip(int counter) {
  tip_ = counter;
  setAccessibleDescription(QString::fromUtf8(TipText(tip_)));
  update();
}

void TipBox::StartLamp() {
  frame_ = 0;
  timer_.start();
}

void TipBox::LampTick() {
  update(kLampRect);
  if (++frame_ >= kLampFrames) timer_.stop();
}

void TipBox::paintEvent(QPaintEvent*) {
  if (lit_.isNull()) return;
  QPainter p(this);
  p.fillRect(QRect(0, 0, kStripWidth + 1, height()), Qt::white);
  p.fillRect(QRect(kStripWidth + 1, 0, width() - kStripWidth - 1, height()), kLightYellow);
  p.setPen(Qt::black);
  p.setFont(font());
  p.drawText(QRect(QPoint(45, 4), QPoint(width() - 8, height())), Qt::TextWordWrap,
             QString::fromUtf8(TipText(tip_)));
  const QImage& lamp = frame_ % 2 == 1 || unlit_.isNull() ? lit_ : unlit_;
  p.drawImage(kLampRect.topLeft(), lamp);
}

WelcomeStep::WelcomeStep(WizardFrame& frame)
    : StepPage(frame, kWelcomeStep, QStringLiteral("Welcome to Urlsmith!"),
               QStringLiteral("fix1.htm")) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  picture_ = Control(new QLabel(this), 1072);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setAccessibleName(
      QStringLiteral("Urlsmith finds the broken links of your site and "
                     "mends them"));
  Dib colour;
  Dib alpha;
  if (LoadPicture(kWelcomePicture, false, colour, &alpha) == kPictureLoaded) {
    const Dib composed = ComposeOverColour(colour, alpha, palette().color(QPalette::Button).rgb());
    picture_->setPixmap(QPixmap::fromImage(ImageOf(composed)));
  }
  tips_ = new TipBox(this);
  tips_->setAccessibleName(QStringLiteral("Tip of the day"));
  layout->addWidget(picture_, 0, Qt::AlignHCenter);
  layout->addSpacing(6);
  layout->addWidget(tips_, 1);
}

void WelcomeStep::Entered() {
  const SettingsStore& settings = frame_.settingsStore();
  if (!QDir().mkpath(QFileInfo(settings.filePath()).absolutePath())) {
    EmergencyQuit(frame_.messages(), QStringLiteral("Main - Unable to open the registry key!"));
  }
  const int counter = NextTipCounter(settings.LoadTipCounter());
  if (!settings.SaveTipCounter(counter)) {
    EmergencyQuit(frame_.messages(), QStringLiteral("Main - Unable to set the registry value!"));
  }
  tips_->SetTip(counter);
  tips_->StartLamp();
  frame_.SetNextEnabled(true);
  frame_.SetPreviousEnabled(false);
  static_cast<FileListStep*>(frame_.page(kFileListStep))->ResetExtent();
}

void WelcomeStep::hideEvent(QHideEvent* event) {
  tips_->StopLamp();
  StepPage::hideEvent(event);
}

}  // namespace urlsmith::app
