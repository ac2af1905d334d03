// What the wizard's tests share: message and dialog services that record and answer from a
// script, and a frame over a settings file in a temporary folder, driven through its controls'
// object names.
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

// Records every message; questions take `answers` in order, then "No".
class ScriptedMessages : public app::MessageService {
 public:
  bool Show(QWidget*, const app::Message& message) override {
    shown.push_back(message);
    if (message.buttons == app::MessageButtons::Ok) return true;
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  QStringList texts() const {
    QStringList all;
    for (const app::Message& m : shown)
      all << m.text;
    return all;
  }
  std::deque<bool> answers;
  std::vector<app::Message> shown;
};

// The file choosers give `files` (the first one where one file is asked for), the folder
// chooser `folder`, with its subfolder box set to `setSubfolders` when that is given.
class ScriptedDialogs : public app::DialogService {
 public:
  std::optional<QStringList> ChooseFiles(QWidget*, const QString& startFolder) override {
    lastStartFolder = startFolder;
    return files;
  }
  std::optional<QString> ChooseFolder(QWidget*, const QString& startFolder,
                                      bool& addSubfolders) override {
    lastStartFolder = startFolder;
    if (setSubfolders) addSubfolders = *setSubfolders;
    return folder;
  }
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest& request) override {
    lastStartFolder = QString::fromStdString(request.StartFolder);
    return files && !files->isEmpty() ? std::optional<QString>(files->front()) : std::nullopt;
  }

  std::optional<QStringList> files;
  std::optional<QString> folder;
  std::optional<bool> setSubfolders;
  QString lastStartFolder;
};

// A child widget by its object name; fails the test when it is missing.
template <typename W = QWidget>
W* Find(QWidget* parent, const QString& name) {
  W* w = parent->findChild<W*>(name);
  EXPECT_NE(w, nullptr) << name.toStdString();
  return w;
}
void Click(QAbstractButton* button);
// Lets queued work (a step's start after it is shown) run.
void Settle();

// A wizard frame whose settings live in a temporary folder.
struct FrameFixture {
  explicit FrameFixture(std::string startPath = {}, app::HandoffInbox* inbox = nullptr);
  // Closes the frame (saving its settings) and starts a new one.
  void Rebuild(std::string startPath = {});
  app::WizardFrame& operator*() { return *frame; }
  app::WizardFrame* operator->() { return frame.get(); }

  // A button of the frame (1013 Previous, 1014 Next) or a control of a step, by its id.
  QAbstractButton* Button(int id) {
    return Find<QAbstractButton>(frame.get(), app::FrameControlName(id));
  }
  template <typename W = QAbstractButton>
  W* Control(int step, int id) {
    return Find<W>(frame->page(step), app::ControlName(id));
  }
  void Next() { Click(Button(1014)); }
  void Back() { Click(Button(1013)); }
  // Waits until the current step's run (search, review rebuild or apply) has ended, its queued
  // start included.
  void AwaitRun();
  // Lists `files` (or one page when the list is empty), then moves on with Next, answering Yes,
  // leaving the Internet checks off and allowing deletion to reach the deletion step, until the
  // frame is at `step` and its run is over. The messages shown on the way are then forgotten.
  void RunTo(int step, const std::vector<std::string>& files = {}, bool keepMessages = false);

  TempDir temp;
  QString programFolder = QString::fromStdString(temp.path() + "/");
  app::SettingsStore settings;
  ScriptedMessages messages;
  ScriptedDialogs dialogs;
  app::HandoffInbox* inbox;
  std::unique_ptr<app::WizardFrame> frame;
};

}  // namespace urlsmith::testing
