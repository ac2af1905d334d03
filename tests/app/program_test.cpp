#include <signal.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include "app/entry.h"
#include "app/help_window.h"
#include "app/shell_integration.h"
#include "app/single_instance.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

struct Profile {
  Profile() { ::chmod(run.c_str(), 0700); }
  std::unique_ptr<QProcess> Start(const QStringList& args, bool display, bool wait = true) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME"})
      env.remove(name);
    env.insert("HOME", QString::fromStdString(temp.path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(temp / "cfg"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run));
    env.insert("URLSMITH_HANDOFF_TRACE", QString::fromStdString(temp / "trace"));
    if (display) env.insert("QT_QPA_PLATFORM", "offscreen");
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->start(URLSMITH_WIZARD_PATH, args);
    if (wait) {
      EXPECT_TRUE(p->waitForFinished(30000)) << args.join(' ').toStdString();
      return p;
    }
    // The lock names its holder's process; the socket is made right after it is taken.
    const std::string lock = run + "/" + app::kInstanceName + ".lock";
    EXPECT_TRUE(p->waitForStarted());
    const std::string pid = std::to_string(p->processId()) + "\n";
    for (int i = 0; i < 300 && !ReadFileBytes(lock).starts_with(pid); ++i)
      QThread::msleep(50);
    EXPECT_TRUE(ReadFileBytes(lock).starts_with(pid));
    QThread::msleep(200);
    return p;
  }
  int Run(const QStringList& args, bool display, QString* err = nullptr) const {
    const auto p = Start(args, display);
    if (err) *err = QString::fromUtf8(p->readAllStandardError());
    return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
  }
  QStringList Trace() const {
    QStringList lines;
    for (const QByteArray& l : QByteArray::fromStdString(ReadFileBytes(temp / "trace")).split('\n'))
      if (!l.isEmpty()) lines << QString::fromLatin1(QByteArray::fromHex(l).toPercentEncoding());
    return lines;
  }
  TempDir temp;
  std::string run = temp.MakeDir("run");
};

TEST(Program, ShellWritesTheFolderActionAndUninstallRemovesEverything) {
  Profile profile;
  EXPECT_EQ(profile.Run({"-SHELL"}, false), 0);
  const std::string entry =
      ReadFileBytes(profile.temp / ".local/share/applications/urlsmith.desktop");
  EXPECT_TRUE(Contains(entry, "MimeType=inode/directory;\n"));
  EXPECT_TRUE(Contains(entry, "Name=Check with Urlsmith\n"));
  EXPECT_TRUE(Contains(entry, std::string("Exec=\"") + URLSMITH_WIZARD_PATH + "\" %f\n"));
  EXPECT_TRUE(QFileInfo(QString::fromStdString(profile.temp /
                                               ".local/share/kio/servicemenus/urlsmith.desktop"))
                  .isExecutable());

  profile.temp.Write("cfg/Urlsmith/Urlsmith.conf", "[General]\ntod_curTip=4\n");
  EXPECT_EQ(profile.Run({"-uninstall"}, false), 0);
  EXPECT_EQ(Tree(profile.temp / ".local/share"), (std::map<std::string, std::string>{}));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(profile.temp / "cfg/Urlsmith")));
  EXPECT_EQ(profile.Run({"-uninstall"}, false), 0);  // nothing there: still silent and 0

  // Refusals: a file where the settings folder should be, no display, a path too long.
  Profile broken;
  broken.temp.Write(".local/share", "a file where the folder should be");
  // clang-format off
  const struct { QStringList args; int exitCode; QString inErr; } refusals[] = {
      {{"-shell"}, 255, "Emergency Quit: Cannot open or create the settings folder!\n"
                        "Probably the settings folder is corrupt!\n"},
      {{"-shell", "x"}, 2, "needs a display"}, {{QString(5000, 'a')}, 2, "too long"}};
  // clang-format on
  for (const auto& r : refusals) {
    QString err;
    EXPECT_EQ(broken.Run(r.args, false, &err), r.exitCode);
    EXPECT_TRUE(err.contains(r.inErr)) << err.toStdString();
  }
}

TEST(Program, ALaterStartHandsItsFolderToTheRunningWizard) {
  Profile profile;
  auto first = profile.Start({}, true, false);
  EXPECT_EQ(profile.Run({"\"/web/my", "site\""}, true), 0);
  EXPECT_EQ(profile.Run({}, true), 0);
  EXPECT_EQ(profile.Trace(), (QStringList{"%22%2Fweb%2Fmy%20site%22%00", "%00"}));
  EXPECT_FALSE(first->waitForFinished(100));  // still running

  // A crashed wizard leaves its lock and socket behind; the next start is the wizard anyway.
  ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
  first->waitForFinished();
  auto second = profile.Start({}, true, false);
  EXPECT_FALSE(second->waitForFinished(300));
  EXPECT_EQ(profile.Run({"/srv/site"}, true), 0);
  EXPECT_EQ(profile.Trace().size(), 3);
  EXPECT_EQ(profile.Trace().back(), "%2Fsrv%2Fsite%00");
  second->kill();
  second->waitForFinished();
}

TEST(Install, PutsEverythingInPlaceAndTheInstalledWizardFindsItsGuideAndUnspool) {
  TempDir prefix;
  const ProcessResult r =
      RunProcess({URLSMITH_CMAKE, "--install", URLSMITH_BUILD_DIR, "--prefix", prefix.path()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* file :
       {"bin/urlsmith", "bin/urlsmith-cli", "bin/unspool", "share/man/man1/urlsmith.1",
        "share/man/man1/urlsmith-cli.1", "share/man/man1/unspool.1",
        "share/applications/urlsmith.desktop", "share/kio/servicemenus/urlsmith.desktop",
        "share/icons/hicolor/48x48/apps/urlsmith.png",
        "share/icons/hicolor/256x256/apps/urlsmith.png", "share/urlsmith/guide/fix7.htm",
        "share/urlsmith/guide/images/step6-results.png"})
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(prefix / file))) << file;
  FrameFixture f;
  f.programFolder = QString::fromStdString(prefix / "bin/");
  EXPECT_EQ(app::GuideFolder(f.programFolder),
            QString::fromStdString(prefix / "share/urlsmith/guide"));
  f.Rebuild();
  EXPECT_TRUE(f.Button(1079)->isEnabled());  // Unspool was found beside it
}

TEST(Entry, TailSwitchesAndStartPath) {
  const char* argv[] = {"urlsmith", "/home/u/my", "site", ""};
  EXPECT_EQ(app::CommandTail(1, argv), "");
  EXPECT_EQ(app::CommandTail(4, argv), "/home/u/my site ");  // joined by single blanks
  // Switches match only as the whole tail, in any case; a leading quote takes the last
  // character with it, closing quote or not.
  constexpr app::Job W = app::Job::Wizard;
  const std::tuple<const char*, app::Job, const char*> cases[] = {
      // clang-format off
      {"-UnInstall", app::Job::Uninstall, "-UnInstall"}, {"-shell ", W, "-shell "},
      {" -shell", W, " -shell"}, {"-shellx", W, "-shellx"}, {"", W, ""}, {"/web/site", W, "/web/site"},
      {"\"/web/my site\"", W, "/web/my site"}, {"\"/web/site", W, "/web/sit"}, {"\"", W, ""},
      {"/web/\"a\"", W, "/web/\"a\""},
      // clang-format on
  };
  for (const auto& [tail, job, path] : cases)
    EXPECT_EQ(std::pair(app::JobOfTail(tail), app::StartPathOfTail(tail)),
              std::pair(job, std::string(path)))
        << '"' << tail << '"';
  EXPECT_EQ(app::ProgramFolder("/usr/bin/urlsmith"), "/usr/bin/");
  EXPECT_EQ(app::ProgramFolder("/urlsmith"), "/");
  EXPECT_EQ(app::ProgramFolder("urlsmith"), "./");
  EXPECT_EQ(app::DesktopExec("/a\"b$c`d\\e%f"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\" %f");
}

}  // namespace
}  // namespace urlsmith::testing
