// The program as users start it: the folder action, the command-line refusals, and one wizard
// per user with two and more real processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "app/single_instance.h"
#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

struct Profile {
  Profile() {
    run = temp.MakeDir("run");
    ::chmod(run.c_str(), 0700);
  }
  QProcessEnvironment Environment(bool display) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME"}) {
      env.remove(name);
    }
    env.insert("HOME", QString::fromStdString(temp.path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(temp / "cfg"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
    env.insert("URLSMITH_HANDOFF_TRACE", QString::fromStdString(temp / "trace"));
    if (display) env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
  }
  // Runs the program to its end.
  int Run(const QStringList& args, bool display, QString* err = nullptr) const {
    QProcess p;
    p.setProcessEnvironment(Environment(display));
    p.start(URLSMITH_WIZARD_PATH, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << args.join(' ').toStdString();
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  // Starts a wizard that stays up, and waits until it listens.
  std::unique_ptr<QProcess> StartWizard() const {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(Environment(true));
    const std::string lock = run + "/" + app::kInstanceName + ".lock";
    p->start(URLSMITH_WIZARD_PATH, {});
    EXPECT_TRUE(p->waitForStarted());
    // The lock names its holder's process; the socket is made right after it is taken.
    const std::string pid = std::to_string(p->processId()) + "\n";
    for (int i = 0; i < 300 && ReadFileBytes(lock).rfind(pid, 0) != 0; ++i)
      QThread::msleep(50);
    EXPECT_EQ(ReadFileBytes(lock).rfind(pid, 0), 0u);
    QThread::msleep(200);
    return p;
  }
  QStringList Trace() const {
    QStringList lines;
    for (const QByteArray& l :
         QByteArray::fromStdString(ReadFileBytes(temp / "trace")).split('\n')) {
      if (!l.isEmpty()) lines << QString::fromLatin1(QByteArray::fromHex(l).toPercentEncoding());
    }
    return lines;
  }
  TempDir temp;
  std::string run;
};

TEST(Program, ShellWritesTheFolderActionAndUninstallRemovesEverything) {
  Profile profile;
  EXPECT_EQ(profile.Run({"-SHELL"}, false), 0);
  const std::string entry =
      ReadFileBytes(profile.temp / ".local/share/applications/urlsmith.desktop");
  EXPECT_TRUE(Contains(entry, "MimeType=inode/directory;\n"));
  EXPECT_TRUE(Contains(entry, "Name=Check with Urlsmith\n"));
  EXPECT_TRUE(Contains(entry, std::string("Exec=\"") + URLSMITH_WIZARD_PATH + "\" %f\n"));
  const QString menu =
      QString::fromStdString(profile.temp / ".local/share/kio/servicemenus/urlsmith.desktop");
  EXPECT_TRUE(QFileInfo(menu).isExecutable());

  profile.temp.Write("cfg/Urlsmith/Urlsmith.conf", "[General]\ntod_curTip=4\n");
  EXPECT_EQ(profile.Run({"-uninstall"}, false), 0);
  EXPECT_EQ(Tree(profile.temp / ".local/share"), (std::map<std::string, std::string>{}));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(profile.temp / "cfg/Urlsmith")));
  EXPECT_EQ(profile.Run({"-uninstall"}, false), 0);  // nothing there: still silent and 0
}

TEST(Program, RefusalsHaveClearMessagesAndStatuses) {
  Profile profile;
  profile.temp.Write(".local/share", "a file where the folder should be");
  QString err;
  EXPECT_EQ(profile.Run({"-shell"}, false, &err), 255);
  EXPECT_TRUE(
      err.contains("Emergency Quit: Cannot open or create the settings folder!\n"
                   "Probably the settings folder is corrupt!\n"))
      << err.toStdString();
  EXPECT_EQ(profile.Run({"-shell", "x"}, false, &err), 2);  // a start path, and no display
  EXPECT_TRUE(err.contains("needs a display")) << err.toStdString();
  EXPECT_EQ(profile.Run({QString(5000, 'a')}, false, &err), 2);
  EXPECT_TRUE(err.contains("too long")) << err.toStdString();
}

TEST(Program, ALaterStartHandsItsFolderToTheRunningWizard) {
  Profile profile;
  auto first = profile.StartWizard();
  EXPECT_EQ(profile.Run({"\"/web/my", "site\""}, true), 0);
  EXPECT_EQ(profile.Run({}, true), 0);
  EXPECT_EQ(profile.Trace(), (QStringList{"%22%2Fweb%2Fmy%20site%22%00", "%00"}));
  EXPECT_FALSE(first->waitForFinished(100));  // still running

  // A crashed wizard leaves its lock and socket behind; the next start is the wizard anyway.
  ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
  first->waitForFinished();
  auto second = profile.StartWizard();
  EXPECT_FALSE(second->waitForFinished(300));
  EXPECT_EQ(profile.Run({"/srv/site"}, true), 0);
  EXPECT_EQ(profile.Trace().size(), 3);
  EXPECT_EQ(profile.Trace().back(), "%2Fsrv%2Fsite%00");
  second->kill();
  second->waitForFinished();
}

}  // namespace
}  // namespace urlsmith::testing
