// Renders every step of the wizard to PNG files, the way a user walks through it on a copy of
// the example site: the search runs, deletion is allowed so that the deletion options show,
// and the changes are applied to the copy. Settings and the single-instance socket live in a
// temporary folder, so the user's own are never touched.
//
//   urlsmith-screenshots <example site> <output folder>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <filesystem>

#include "app/about_box.h"
#include "app/dialog_service.h"
#include "app/help_window.h"
#include "app/key_poll.h"
#include "app/message_service.h"
#include "app/settings_store.h"
#include "app/steps/step_page.h"
#include "app/wizard_frame.h"

namespace {

using namespace urlsmith;
using namespace urlsmith::app;

// Every question is answered Yes; nothing else is shown.
class YesMessages : public MessageService {
 public:
  bool Show(QWidget*, const Message& message) override {
    std::fprintf(stderr, "urlsmith-screenshots: message: %s\n", qPrintable(message.text));
    return true;
  }
};

class NoDialogs : public DialogService {
 public:
  std::optional<QStringList> ChooseFiles(QWidget*, const QString&) override { return {}; }
  std::optional<QString> ChooseFolder(QWidget*, const QString&, bool&) override { return {}; }
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest&) override { return {}; }
};

// Lets queued work run until the step's run is over (at most 60 s).
void Settle(WizardFrame& frame) {
  QElapsedTimer clock;
  clock.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  } while ((frame.session().SearchBusy || frame.keyPoll().running() || clock.elapsed() < 700) &&
           clock.elapsed() < 60'000);
  QCoreApplication::processEvents();
}

const char* const kNames[kStepCount] = {"welcome", "files",   "search-options", "processing",
                                        "search",  "results", "deletion",       "apply"};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: urlsmith-screenshots SITE OUTPUT-FOLDER\n");
    return 2;
  }
  QTemporaryDir temp;
  if (!temp.isValid()) {
    std::fprintf(stderr, "urlsmith-screenshots: cannot make a temporary folder\n");
    return 1;
  }
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(temp.path() + "/config"));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(temp.path()));
  QApplication app(argc, argv);

  const std::string site = temp.path().toStdString() + "/site";
  std::error_code error;
  std::filesystem::copy(argv[1], site, std::filesystem::copy_options::recursive, error);
  if (error) {
    std::fprintf(stderr, "urlsmith-screenshots: cannot copy %s: %s\n", argv[1],
                 error.message().c_str());
    return 1;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);

  YesMessages messages;
  NoDialogs dialogs;
  const SettingsStore settings(temp.path() + "/config/Urlsmith/Urlsmith.conf");
  FrameSetup setup;
  setup.programFolder = QCoreApplication::applicationDirPath() + "/";
  setup.messages = &messages;
  setup.dialogs = &dialogs;
  setup.settings = &settings;
  WizardFrame frame(setup);
  frame.show();
  Settle(frame);
  frame.startPath() = site;  // step 2 adds the site when it is shown
  frame.session().Search.CheckInternetUrls = false;

  for (int step = 0; step < kStepCount; ++step) {
    if (frame.stepIndex() != step) {
      std::fprintf(stderr, "urlsmith-screenshots: step %d was not reached (at %d)\n", step + 1,
                   frame.stepIndex() + 1);
      return 1;
    }
    if (step == kSearchOptionsStep) {
      if (auto* internet = frame.page(step)->findChild<QCheckBox*>("ctl1082");
          internet != nullptr && internet->isChecked()) {
        internet->click();
      }
    }
    if (step == kResultsStep) {
      if (auto* allow = frame.page(step)->findChild<QCheckBox*>("ctl1032");
          allow != nullptr && !allow->isChecked()) {
        allow->click();
        Settle(frame);
      }
    }
    const QString file =
        QStringLiteral("%1/step%2-%3.png").arg(out).arg(step + 1).arg(kNames[step]);
    if (!frame.grab().save(file)) {
      std::fprintf(stderr, "urlsmith-screenshots: cannot write %s\n", qPrintable(file));
      return 1;
    }
    std::printf("%s\n", qPrintable(file));
    if (step + 1 < kStepCount) {
      frame.Next();
      Settle(frame);
    }
  }

  // The About box and the guide at the review's topic.
  AboutBox about(&frame, [](const QUrl&) {});
  about.show();
  Settle(frame);
  QString guide = GuideFolder(setup.programFolder);
  if (guide.isEmpty()) guide = GuideFolder(setup.programFolder + QStringLiteral("../"));
  HelpWindow help(guide);
  help.ShowTopic(QStringLiteral("fix5.htm"));
  Settle(frame);
  for (auto [widget, name] : {std::pair<QWidget*, const char*>{&about, "about"},
                              std::pair<QWidget*, const char*>{&help, "help"}}) {
    const QString file = QStringLiteral("%1/%2.png").arg(out, QString::fromLatin1(name));
    if (!widget->grab().save(file)) {
      std::fprintf(stderr, "urlsmith-screenshots: cannot write %s\n", qPrintable(file));
      return 1;
    }
    std::printf("%s\n", qPrintable(file));
  }
  return 0;
}
