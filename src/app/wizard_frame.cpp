#include "app/wizard_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include "app/dialog_units.h"
#include "app/entry.h"
#include "app/key_poll.h"
#include "app/message_service.h"
#include "app/picture_panel.h"
#include "app/single_instance.h"
#include "app/steps/apply_step.h"
#include "app/steps/controls.h"
#include "app/steps/deletion_step.h"
#include "app/steps/file_list_step.h"
#include "app/steps/processing_options_step.h"
#include "app/steps/results_step.h"
#include "app/steps/search_options_step.h"
#include "app/steps/search_step.h"
#include "app/steps/welcome_step.h"
#include "engine/curl_checker.h"

namespace urlsmith::app {

namespace {

const QString kApplyQuestion = QStringLiteral(
    "Now the changes will be applied permanently\nAre you sure that everything is "
    "correct?");

// The controls a long operation disables, in the order they are recorded: the page they are on
// (-1 for the frame) and their id. The review's six editor controls come last but one.
struct SavedControl {
  int page;
  int id;
  bool editor;
};
constexpr SavedControl kSavedControls[] = {
    {-1, 1016, false},
    {-1, 1072, false},
    {-1, 1013, false},
    {-1, 1014, false},
    {-1, 1015, false},
    {kFileListStep, 1020, false},
    {kFileListStep, 1021, false},
    {kResultsStep, 1028, false},
    {kResultsStep, 1029, false},
    {kResultsStep, 1030, false},
    {kResultsStep, 1031, false},
    {kResultsStep, 1032, false},
    {kResultsStep, 1089, false},
    {kResultsStep, 1037, true},
    {kResultsStep, 1078, true},
    {kResultsStep, 1038, true},
    {kResultsStep, 1039, true},
    {kResultsStep, 1040, true},
    {kResultsStep, 1075, true},
    {-1, 1079, false},
};

}  // namespace

WizardFrame::WizardFrame(const FrameSetup& setup)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      startPath_(setup.startPath),
      programFolder_(setup.programFolder),
      messages_(setup.messages),
      dialogs_(setup.dialogs),
      settings_(setup.settings),
      inbox_(setup.inbox) {
  setObjectName(QStringLiteral("wizardFrame"));
  poll_ = new KeyPoll(this);
  session_.SetInternetChecker(std::make_unique<CurlInternetChecker>());

  const WizardSettings saved = settings_->Load();
  session_.Search = saved.search;
  session_.Processing = saved.processing;
  session_.Processing.TargetAdderEnabled = false;
  review_.SortMode = saved.sortMode;
  deletion_ =
      InitialDeletionOptions(saved.imageReplacementUrl, saved.imageReplacementRelative,
                             saved.backgroundReplacementUrl, saved.backgroundReplacementRelative);
  lastRootFolder_ = saved.lastRootFolder;

  const DialogUnits du(font());
  setFixedSize(du.x(342), du.y(219));
  picture_ = new PicturePanel(this);
  picture_->setGeometry(du.rect(5, 5, 95, 185));

  pages_ = {new WelcomeStep(*this),           new FileListStep(*this), new SearchOptionsStep(*this),
            new ProcessingOptionsStep(*this), new SearchStep(*this),   new ResultsStep(*this),
            new DeletionStep(*this),          new ApplyStep(*this)};
  for (StepPage* page : pages_) {
    page->setParent(this);
    page->setGeometry(du.rect(105, 5, 231, 186));
    page->hide();
  }
  BuildButtons();

  const QString unspool = programFolder_ + QStringLiteral("unspool");
  const QFileInfo unspoolInfo(unspool);
  unspool_->setEnabled(unspoolInfo.isFile() && unspoolInfo.isExecutable());

  if (inbox_ != nullptr) {
    connect(inbox_, &HandoffInbox::notice, this, &WizardFrame::OnHandoffNotice,
            Qt::QueuedConnection);
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  ShowStep(startPath_.empty() ? kWelcomeStep : kFileListStep, false);
}

WizardFrame::~WizardFrame() = default;

void WizardFrame::BuildButtons() {
  const DialogUnits du(font());
  auto make = [&](int id, const QString& caption, const QString& tip, int x) {
    auto* button = new QPushButton(caption, this);
    Control(button, id, tip);
    button->setObjectName(FrameControlName(id));
    button->setGeometry(du.rect(x, 198, 50, 14));
    button->setAutoDefault(false);
    return button;
  };
  about_ =
      make(1016, QStringLiteral("A&bout..."), QStringLiteral("Some information about Urlsmith"), 7);
  help_ = make(1072, QStringLiteral("&Help..."), QStringLiteral("Show reference"), 59);
  unspool_ =
      make(1079, QStringLiteral("&Unspool..."), QStringLiteral("Run the Unspool utility"), 116);
  previous_ =
      make(1013, QStringLiteral("<< &Previous"), QStringLiteral("Move one step backward"), 174);
  next_ = make(1014, QStringLiteral("&Next >>"), QStringLiteral("Move one step forward"), 226);
  exit_ = make(1015, QStringLiteral("E&xit"), QStringLiteral("Get outta here"), 284);
  next_->setDefault(true);

  connect(about_, &QPushButton::clicked, this, &WizardFrame::aboutRequested);
  connect(help_, &QPushButton::clicked, this,
          [this] { emit helpRequested(page(stepIndex_)->helpTopic()); });
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, help_, &QPushButton::click);
  connect(unspool_, &QPushButton::clicked, this, &WizardFrame::StartUnspool);
  connect(previous_, &QPushButton::clicked, this, &WizardFrame::Previous);
  connect(next_, &QPushButton::clicked, this, &WizardFrame::Next);
  connect(exit_, &QPushButton::clicked, this, &QWidget::close);
}

void WizardFrame::SetNextEnabled(bool on) {
  if (!on && next_->hasFocus()) previous_->setFocus();
  next_->setEnabled(on);
}

void WizardFrame::SetPreviousEnabled(bool on) {
  if (!on && previous_->hasFocus()) next_->setFocus();
  previous_->setEnabled(on);
}

void WizardFrame::SetNextCaption(const QString& caption) {
  next_->setText(caption);
  next_->setAccessibleName(PlainCaption(caption));
}

QWidget* WizardFrame::ControlOf(int pageIndex, int id) const {
  if (pageIndex < 0) {
    return findChild<QWidget*>(FrameControlName(id), Qt::FindDirectChildrenOnly);
  }
  return page(pageIndex)->findChild<QWidget*>(ControlName(id));
}

void WizardFrame::ControlStateSave(bool enable, bool keepEditorOff) {
  if (!enable) {
    focusBefore_ = QApplication::focusWidget();
    auto wasEnabled = [this](QWidget* w) {
      const auto it = recorded_.find(w);
      return it == recorded_.end() ? w->isEnabled() : it->second;
    };
    QWidget* focus = wasEnabled(next_) ? next_ : wasEnabled(previous_) ? previous_ : help_;
    focus->setFocus();
    for (const SavedControl& c : kSavedControls) {
      if (QWidget* w = ControlOf(c.page, c.id)) {
        recorded_[w] = w->isEnabled();
        w->setEnabled(false);
      }
    }
    return;
  }
  for (const SavedControl& c : kSavedControls) {
    if (QWidget* w = ControlOf(c.page, c.id)) {
      const auto it = recorded_.find(w);
      const bool on = it == recorded_.end() ? w->isEnabled() : it->second;
      w->setEnabled(on && !(keepEditorOff && c.editor));
    }
  }
  if (focusBefore_ && focusBefore_->isEnabled()) focusBefore_->setFocus();
}

void WizardFrame::BeginOperation() {
  session_.SearchBusy = true;
  poll_->Begin();
}

void WizardFrame::EndOperation() {
  poll_->End();
  session_.SearchBusy = false;
  if (closePending_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void WizardFrame::SetSecondPass(bool on) {
  if (secondPass_ == on) return;
  secondPass_ = on;
  emit secondPassChanged(on);
}

WizardSettings WizardFrame::CurrentSettings() const {
  WizardSettings s;
  s.search = session_.Search;
  s.processing = session_.Processing;
  s.sortMode = review_.SortMode;
  s.imageReplacementRelative = deletion_.ImageReplacementRelative;
  s.backgroundReplacementRelative = deletion_.BackgroundReplacementRelative;
  s.imageReplacementUrl = deletion_.ImageReplacementUrl;
  s.backgroundReplacementUrl = deletion_.BackgroundReplacementUrl;
  s.lastRootFolder = lastRootFolder_;
  return s;
}

bool WizardFrame::CheckBeforeNext(int& advance) {
  switch (stepIndex_) {
    case kSearchOptionsStep: {
      const SearchOptions& o = session_.Search;
      if (!o.UseBaseUrl) return true;
      if (o.BaseUrl.empty()) {
        messages_->Tell(this, QStringLiteral("You have not entered the base URL!"));
        return false;
      }
      if (o.BaseUrl.find("://") == std::string::npos) {
        messages_->Tell(this, QStringLiteral("The base URL does not contain a protocol name!"));
        return false;
      }
      return true;
    }
    case kProcessingOptionsStep:
      // There is no system-wide offline mode to leave here, so nothing is asked about going
      // online.
      if (session_.Processing.TargetAdderEnabled && session_.Processing.TargetName.empty()) {
        messages_->Tell(this, QStringLiteral("The \"Target\" field cannot be empty!"));
        return false;
      }
      return true;
    case kResultsStep:
      if (review_.AllowLinkDeletion) return true;
      if (!messages_->Ask(this, kApplyQuestion)) return false;
      advance = 2;
      return true;
    case kDeletionStep:
      if (!ReplacementUrlsComplete(deletion_)) {
        messages_->Tell(this, QStringLiteral("The replacement URL cannot be empty!"));
        return false;
      }
      return messages_->Ask(this, kApplyQuestion);
    default:
      return true;
  }
}

void WizardFrame::Next() {
  if (!next_->isEnabled()) return;
  int advance = 1;
  if (!CheckBeforeNext(advance)) return;
  int target = stepIndex_ + advance;
  if (stepIndex_ == kApplyStep) {
    SetNextCaption(QStringLiteral("&Next >>"));
    if (session_.FixCount() > 0) {
      SetSecondPass(true);
      target = kSearchStep;
    } else {
      static_cast<FileListStep*>(page(kFileListStep))->Clear();
      target = kWelcomeStep;
    }
  }
  ShowStep(target, true);
}

void WizardFrame::Previous() {
  if (!previous_->isEnabled() || stepIndex_ == kWelcomeStep) return;
  if ((stepIndex_ == kSearchStep || stepIndex_ == kResultsStep) && secondPass_ &&
      !messages_->Ask(this, QStringLiteral("This is the second pass. Moving to the previous step "
                                           "cancels it.\nDo you really want to cancel the second "
                                           "pass?"))) {
    return;
  }
  ShowStep(stepIndex_ == kResultsStep ? kProcessingOptionsStep : stepIndex_ - 1, true);
}

void WizardFrame::ShowStep(int index, bool animated) {
  page(stepIndex_)->hide();
  stepIndex_ = index;
  picture_->ShowStep(index, animated);
  setWindowTitle(QStringLiteral("Urlsmith - ") + page(index)->title());
  page(index)->show();
}

void WizardFrame::OnHandoffNotice(bool withMessage) {
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
  if (!withMessage || inbox_ == nullptr || inbox_->empty()) return;
  if (session_.SearchBusy) {
    messages_->Tell(this, QStringLiteral("Some action is going now. Please finish it first!"),
                    MessageIcon::Warning);
    return;
  }
  const QByteArray tail = inbox_->front();
  inbox_->pop();
  startPath_ =
      StartPathOfTail(std::string_view(tail.constData(), static_cast<std::size_t>(tail.size())));
  page(stepIndex_)->hide();
  stepIndex_ = kFileListStep;
  picture_->ShowStep(kFileListStep, false);
  setWindowTitle(QStringLiteral("Urlsmith - ") + page(kFileListStep)->title());
  page(kFileListStep)->show();
}

void WizardFrame::StartUnspool() {
  QStringList arguments;
  if (!lastRootFolder_.empty()) arguments << QString::fromStdString(lastRootFolder_);
  QProcess::startDetached(programFolder_ + QStringLiteral("unspool"), arguments);
}

void WizardFrame::closeEvent(QCloseEvent* event) {
  if (poll_->running()) {
    // A long operation runs: stop it first; the frame closes when it has ended.
    closePending_ = true;
    poll_->RequestQuit();
    event->ignore();
    return;
  }
  if (!closePending_) {
    QString question;
    if (stepIndex_ == kApplyStep && session_.FixCount() > 0) {
      question = QStringLiteral("The second pass is needed. Do you really want to exit?");
    } else if ((stepIndex_ == kSearchStep && next_->isEnabled()) || stepIndex_ == kResultsStep ||
               stepIndex_ == kDeletionStep) {
      question = QStringLiteral(
          "Some changes are queued for application. Do you really want to "
          "exit?");
    }
    if (!question.isEmpty() && !messages_->Ask(this, question)) {
      event->ignore();
      return;
    }
  }
  settings_->Save(CurrentSettings(), *messages_);
  event->accept();
}

}  // namespace urlsmith::app
