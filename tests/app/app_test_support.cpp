#include "app_test_support.h"

#include <QTest>

#include "app/key_poll.h"

namespace urlsmith::testing {

void Click(QAbstractButton* button) {
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
  Settle();
}

void Settle() {
  for (int i = 0; i < 3; ++i)
    QCoreApplication::processEvents();
}

FrameFixture::FrameFixture(std::string startPath, app::HandoffInbox* handoffs)
    : settings(QString::fromStdString(temp / "config/Urlsmith/Urlsmith.conf")), inbox(handoffs) {
  Rebuild(std::move(startPath));
}

void FrameFixture::Rebuild(std::string startPath) {
  if (frame) frame->close();  // saves the settings
  frame.reset();
  frame = std::make_unique<app::WizardFrame>(
      app::FrameSetup{programFolder, std::move(startPath), &messages, &dialogs, &settings, inbox});
  frame->show();
  Settle();
}

void FrameFixture::AwaitRun() {
  Settle();
  for (int i = 0; i < 4000 && (frame->session().SearchBusy || frame->keyPoll().running()); ++i)
    QTest::qWait(5);
  Settle();
}

void FrameFixture::RunTo(int step, const std::vector<std::string>& files, bool keepMessages) {
  for (const std::string& path : files)
    frame->session().FileList.Append(path);
  if (frame->session().FileList.empty()) {
    frame->session().FileList.Append(temp.Write("a.htm", "<a href=x.htm>x</a>"));
  }
  if (frame->stepIndex() == app::kFileListStep) Back();  // Next then sees the list
  frame->activateWindow();
  QApplication::setActiveWindow(frame.get());
  AwaitRun();
  for (int guard = 0; guard < 2 * app::kStepCount && frame->stepIndex() < step; ++guard) {
    if (frame->stepIndex() == app::kSearchOptionsStep) {
      auto* internet = Control(app::kSearchOptionsStep, 1082);
      if (internet->isChecked() && frame->session().Search.CheckInternetUrls) internet->click();
    }
    if (frame->stepIndex() == app::kResultsStep && step == app::kDeletionStep &&
        !Control(app::kResultsStep, 1032)->isChecked()) {
      Control(app::kResultsStep, 1032)->click();
      AwaitRun();
    }
    messages.answers.push_back(true);
    Next();
    AwaitRun();
  }
  ASSERT_EQ(frame->stepIndex(), step);
  if (!keepMessages) messages.shown.clear();
  messages.answers.clear();
}

}  // namespace urlsmith::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
