// The wizard's only window: the picture panel, the eight step pages (one shown at a time) and
// the six buttons. It decides which step follows which, checks the input before moving on,
// asks before work would be lost, puts its controls out of reach while a long operation runs,
// and takes the folders that later starts hand over.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <map>
#include <string>

#include "app/settings_store.h"
#include "engine/search_model.h"
#include "results/deletion_options.h"
#include "results/result_list.h"

class QPushButton;

namespace urlsmith::app {

class DialogService;
class HandoffInbox;
class KeyPoll;
class MessageService;
class PicturePanel;
class StepPage;

inline constexpr int kStepCount = 8;

// Steps by index (shown to the user as index + 1).
enum StepIndexValue : int {
  kWelcomeStep = 0,
  kFileListStep = 1,
  kSearchOptionsStep = 2,
  kProcessingOptionsStep = 3,
  kSearchStep = 4,
  kResultsStep = 5,
  kDeletionStep = 6,
  kApplyStep = 7,
};

struct FrameSetup {
  QString programFolder;  // ends in '/'; Unspool is looked for here
  std::string startPath;  // from the command line; empty for none
  MessageService* messages = nullptr;
  DialogService* dialogs = nullptr;
  const SettingsStore* settings = nullptr;
  HandoffInbox* inbox = nullptr;  // may be absent (no other start can reach us)
};

class WizardFrame : public QWidget {
  Q_OBJECT
 public:
  explicit WizardFrame(const FrameSetup& setup);
  ~WizardFrame() override;

  // What the steps share.
  SearchSession& session() { return session_; }
  ResultOptions& review() { return review_; }
  DeletionOptions& deletion() { return deletion_; }
  std::string& lastRootFolder() { return lastRootFolder_; }
  std::string& startPath() { return startPath_; }
  bool& addSubfolders() { return addSubfolders_; }
  MessageService& messages() { return *messages_; }
  DialogService& dialogs() { return *dialogs_; }
  const SettingsStore& settingsStore() const { return *settings_; }
  KeyPoll& keyPoll() { return *poll_; }

  int stepIndex() const { return stepIndex_; }
  StepPage* page(int index) const { return pages_[static_cast<std::size_t>(index)]; }
  QPushButton* nextButton() const { return next_; }
  QPushButton* previousButton() const { return previous_; }

  void SetNextEnabled(bool on);
  void SetPreviousEnabled(bool on);
  void SetNextCaption(const QString& caption);

  // Before (enable false) and after (enable true) a long operation: records and disables the
  // navigation and the controls a run must not meet, then gives them their states back.
  // keepEditorOff leaves the review's replacement editor disabled.
  void ControlStateSave(bool enable, bool keepEditorOff = false);

  // A long operation of a step: SearchBusy, the key poll and the frame's controls. When the
  // frame was closed meanwhile, it closes once the operation has ended.
  void BeginOperation();
  void EndOperation();

  // The second pass: after an apply run with automatic fixes, the wizard searches again with
  // backups off; the review's backup box shows it.
  bool secondPass() const { return secondPass_; }
  void SetSecondPass(bool on);

  // The settings as the controls hold them now.
  WizardSettings CurrentSettings() const;

  // Navigation, as the buttons do it.
  void Next();
  void Previous();

 signals:
  // Help or F1: the topic of the current step ("fix1.htm" ... "fix7.htm").
  void helpRequested(const QString& topic);
  void aboutRequested();
  void secondPassChanged(bool on);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildButtons();
  void ShowStep(int index, bool animated);
  void OnHandoffNotice(bool withMessage);
  void StartUnspool();
  bool CheckBeforeNext(int& advance);
  QWidget* ControlOf(int pageIndex, int id) const;

  SearchSession session_;
  ResultOptions review_;
  DeletionOptions deletion_;
  std::string lastRootFolder_;
  std::string startPath_;
  bool addSubfolders_ = true;
  bool secondPass_ = false;
  bool closePending_ = false;
  int stepIndex_ = kWelcomeStep;

  QString programFolder_;
  MessageService* messages_;
  DialogService* dialogs_;
  const SettingsStore* settings_;
  HandoffInbox* inbox_;
  KeyPoll* poll_ = nullptr;
  PicturePanel* picture_ = nullptr;
  std::array<StepPage*, kStepCount> pages_{};
  QPushButton* about_ = nullptr;
  QPushButton* help_ = nullptr;
  QPushButton* unspool_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* exit_ = nullptr;

  // ControlStateSave's record: each control's enabled state at the last save.
  std::map<QWidget*, bool> recorded_;
  QPointer<QWidget> focusBefore_;
};

}  // namespace urlsmith::app
