#include "app_test_support.h"

#include <QTest>

#include "app/key_poll.h"

#include "app/steps/controls.h"

namespace urlsmith::testing {

bool ScriptedMessages::Show(QWidget*, const app::Message& message) {
  shown.push_back(message);
  if (message.buttons == app::MessageButtons::Ok) return true;
  if (answers.empty()) return false;
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

QStringList ScriptedMessages::texts() const {
  QStringList all;
  for (const app::Message& m : shown)
    all << m.text;
  return all;
}

std::optional<QStringList> ScriptedDialogs::ChooseFiles(QWidget*, const QString& startFolder) {
  lastStartFolder = startFolder;
  return files;
}

std::optional<QString> ScriptedDialogs::ChooseFolder(QWidget*, const QString& startFolder,
                                                     bool& addSubfolders) {
  lastStartFolder = startFolder;
  if (setSubfolders) addSubfolders = *setSubfolders;
  return folder;
}

std::optional<QString> ScriptedDialogs::ChooseFile(QWidget*, const FileDialogRequest& request) {
  lastStartFolder = QString::fromStdString(request.StartFolder);
  return files && !files->isEmpty() ? std::optional<QString>(files->front()) : std::nullopt;
}

FrameFixture::FrameFixture(std::string startPath)
    : settings(QString::fromStdString(temp / "config/Urlsmith/Urlsmith.conf")) {
  Rebuild(std::move(startPath));
}

void FrameFixture::Rebuild(std::string startPath) {
  if (frame) frame->close();
  frame.reset();
  app::FrameSetup setup;
  setup.programFolder = QString::fromStdString(temp.path() + "/");
  setup.startPath = std::move(startPath);
  setup.messages = &messages;
  setup.dialogs = &dialogs;
  setup.settings = &settings;
  frame = std::make_unique<app::WizardFrame>(setup);
  frame->show();
  Settle();
}

QAbstractButton* FrameButton(app::WizardFrame& frame, int id) {
  return Find<QAbstractButton>(&frame, app::FrameControlName(id));
}

void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  Settle();
}

void Settle() {
  for (int i = 0; i < 3; ++i)
    QCoreApplication::processEvents();
}

void AwaitRun(app::WizardFrame& frame) {
  Settle();
  for (int i = 0; i < 4000 && (frame.session().SearchBusy || frame.keyPoll().running()); ++i)
    QTest::qWait(5);
  Settle();
}

void RunTo(FrameFixture& f, const std::vector<std::string>& files, int step, bool keepMessages) {
  for (const std::string& path : files)
    f->session().FileList.Append(path);
  f->activateWindow();
  QApplication::setActiveWindow(f.frame.get());
  for (int guard = 0; guard < 2 * app::kStepCount && f->stepIndex() < step; ++guard) {
    if (f->stepIndex() == app::kSearchOptionsStep) {
      auto* internet = Find<QAbstractButton>(f->page(app::kSearchOptionsStep), "ctl1082");
      if (internet->isChecked() && f->session().Search.CheckInternetUrls) internet->click();
    }
    f.messages.answers.push_back(true);
    Click(FrameButton(*f, 1014));
    AwaitRun(*f);
  }
  ASSERT_EQ(f->stepIndex(), step);
  if (!keepMessages) f.messages.shown.clear();
  f.messages.answers.clear();
}

}  // namespace urlsmith::testing
