// urlsmith: the desktop wizard. The command line chooses between registering the folder
// action ("-shell"), removing it with the settings ("-uninstall") and starting the wizard on
// an optional start folder, which a running wizard takes over from a later start.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <memory>

#include "app/about_box.h"
#include "app/dialog_service.h"
#include "app/entry.h"
#include "app/help_window.h"
#include "app/message_service.h"
#include "app/pictures.h"
#include "app/settings_store.h"
#include "app/shell_integration.h"
#include "app/single_instance.h"
#include "app/wizard_frame.h"

using namespace urlsmith::app;

namespace {

bool HasDisplay() {
  return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
         qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tail = CommandTail(argc, argv);
  const Job job = JobOfTail(tail);
  const bool display = HasDisplay();
  std::unique_ptr<QCoreApplication> app;
  std::unique_ptr<MessageService> messages;
  if (display) {
    app = std::make_unique<QApplication>(argc, argv);
    messages = std::make_unique<BoxMessageService>();
  } else {
    app = std::make_unique<QCoreApplication>(argc, argv);
    messages = std::make_unique<ConsoleMessageService>();
  }
  QCoreApplication::setApplicationName(QStringLiteral("Urlsmith"));
  QCoreApplication::setApplicationVersion(QStringLiteral(URLSMITH_VERSION));
  const QString programPath = QCoreApplication::applicationFilePath();

  switch (job) {
    case Job::Uninstall:
      RemoveFolderAction();
      SettingsStore().Remove();
      return 0;
    case Job::Shell:
      if (auto failed = RegisterFolderAction(programPath)) EmergencyQuit(*messages, *failed);
      return 0;
    case Job::Wizard:
      break;
  }

  if (tail.size() > kMaxTail) {
    messages->Tell(nullptr, QStringLiteral("The folder given on the command line is too long!\n"
                                           "A path has at most %1 bytes.")
                                .arg(kMaxTail));
    return 2;
  }
  if (!display) {
    std::fputs(
        "urlsmith: the wizard needs a display (DISPLAY or WAYLAND_DISPLAY is not set); "
        "urlsmith-cli does the same work without one\n",
        stderr);
    return 2;
  }

  // A relative start folder means the folder seen from here, also for a running wizard that
  // takes it over from another working folder.
  std::string startPath = StartPathOfTail(tail);
  QByteArray handoff(tail.data(), static_cast<qsizetype>(tail.size()));
  if (!startPath.empty() && startPath.front() != '/') {
    startPath = QDir::current().absoluteFilePath(QString::fromStdString(startPath)).toStdString();
    handoff = QByteArray::fromStdString(startPath);
  }

  HandoffInbox inbox;
  SingleInstance instance;
  const SingleInstance::Outcome outcome = instance.Start(handoff, inbox);
  if (outcome == SingleInstance::Outcome::HandedOver) return 0;

  QtDialogService dialogs;
  SettingsStore settings;
  FrameSetup setup;
  setup.programFolder = QString::fromStdString(ProgramFolder(programPath.toStdString()));
  setup.startPath = startPath;
  setup.messages = messages.get();
  setup.dialogs = &dialogs;
  setup.settings = &settings;
  setup.inbox = outcome == SingleInstance::Outcome::First ? &inbox : nullptr;
  QApplication::setWindowIcon(ApplicationIcon());
  WizardFrame frame(setup);
  QObject::connect(&frame, &WizardFrame::aboutRequested, &frame, [&] {
    AboutBox box(&frame);
    box.exec();
  });
  std::unique_ptr<HelpWindow> help;
  QObject::connect(&frame, &WizardFrame::helpRequested, &frame, [&](const QString& topic) {
    if (!help) {
      const QString guide = GuideFolder(setup.programFolder);
      if (guide.isEmpty()) {
        messages->Tell(&frame,
                       QStringLiteral("The user guide is not installed: there is no guide "
                                      "folder beside %1.")
                           .arg(programPath),
                       MessageIcon::Warning);
        return;
      }
      help = std::make_unique<HelpWindow>(guide);
      help->setWindowIcon(frame.windowIcon());
    }
    help->ShowTopic(topic);
  });
  frame.show();
  return app->exec();
}
