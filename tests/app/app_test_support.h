// What the wizard's tests share: message and dialog services that record and answer from a
// script, and a frame over a settings file in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "app/dialog_service.h"
#include "app/message_service.h"
#include "app/settings_store.h"
#include "app/steps/controls.h"
#include "app/steps/step_page.h"
#include "app/wizard_frame.h"
#include "support/test_support.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace urlsmith::testing {

class ScriptedMessages : public app::MessageService {
 public:
  bool Show(QWidget* owner, const app::Message& message) override;
  // Answers for the next questions, in order; a question without an answer gets "No".
  std::deque<bool> answers;
  std::vector<app::Message> shown;
  QStringList texts() const;
};

class ScriptedDialogs : public app::DialogService {
 public:
  std::optional<QStringList> ChooseFiles(QWidget*, const QString& startFolder) override;
  std::optional<QString> ChooseFolder(QWidget*, const QString& startFolder,
                                      bool& addSubfolders) override;
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest& request) override;

  std::optional<QStringList> files;
  std::optional<QString> folder;
  std::optional<bool> setSubfolders;  // what the user makes of the check box
  QString lastStartFolder;
};

// A wizard frame whose settings live in a temporary folder.
struct FrameFixture {
  explicit FrameFixture(std::string startPath = {});
  app::WizardFrame& operator*() { return *frame; }
  app::WizardFrame* operator->() { return frame.get(); }
  void Rebuild(std::string startPath = {});

  TempDir temp;
  app::SettingsStore settings;
  ScriptedMessages messages;
  ScriptedDialogs dialogs;
  std::unique_ptr<app::WizardFrame> frame;
};

// A control of a page or of the frame by its object name; fails the test when it is missing.
template <typename W = QWidget>
W* Find(QWidget* parent, const QString& name) {
  W* w = parent->findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name.toStdString();
  return w;
}
QAbstractButton* FrameButton(app::WizardFrame& frame, int id);
void Click(QAbstractButton* button);
// Lets queued work (a step's start after it is shown) run.
void Settle();
// Waits until the current step's run (search, review rebuild or apply) has ended, its queued
// start included.
void AwaitRun(app::WizardFrame& frame);
// Lists `files`, then moves on with Next (answering Yes, leaving Internet checks off) until the
// frame is at `step` and its run is over.
void RunTo(FrameFixture& f, const std::vector<std::string>& files, int step,
           bool keepMessages = false);

}  // namespace urlsmith::testing
