// The user guide in its help window, the Help button's topic per step, and an installation
// into a temporary prefix that the installed wizard finds its guide and Unspool in.
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "app/help_window.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

const QString kBuildFolder = QStringLiteral(URLSMITH_BUILD_DIR "/");

TEST(Help, EveryStepOpensItsTopic) {
  const char* const topics[app::kStepCount] = {"fix1.htm", "fix2.htm", "fix3.htm", "fix4.htm",
                                               "fix4.htm", "fix5.htm", "fix6.htm", "fix7.htm"};
  FrameFixture f;
  for (int step = 0; step < app::kStepCount; ++step) {
    EXPECT_EQ(f->page(step)->helpTopic(), topics[step]);
  }
  QSignalSpy asked(&*f, &app::WizardFrame::helpRequested);
  Click(FrameButton(*f, 1072));
  f->Next();
  QTest::keyClick(&*f, Qt::Key_F1);
  ASSERT_EQ(asked.size(), 2);
  EXPECT_EQ(asked[0][0].toString(), "fix1.htm");
  EXPECT_EQ(asked[1][0].toString(), "fix2.htm");
}

TEST(Help, TheGuideShowsEveryTopicWithItsPicturesAndGoesBackAndForward) {
  const QString guide = app::GuideFolder(kBuildFolder);
  ASSERT_FALSE(guide.isEmpty());
  app::HelpWindow help(guide);
  for (const char* topic : {"index.htm", "fix1.htm", "fix2.htm", "fix3.htm", "fix4.htm", "fix5.htm",
                            "fix6.htm", "fix7.htm"}) {
    SCOPED_TRACE(topic);
    help.ShowTopic(QString::fromLatin1(topic));
    EXPECT_EQ(help.currentTopic(), topic);
    ASSERT_NE(help.topics()->currentItem(), nullptr);
    EXPECT_EQ(help.topics()->currentItem()->data(Qt::UserRole).toString(), topic);
    EXPECT_FALSE(help.browser()->toPlainText().trimmed().isEmpty());
    // Every picture of the topic loads.
    const QString html = help.browser()->toHtml();
    static const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
    for (auto m = img.globalMatch(html); m.hasNext();) {
      const QString name = m.next().captured(1);
      EXPECT_FALSE(help.browser()->loadResource(QTextDocument::ImageResource, QUrl(name)).isNull())
          << name.toStdString();
    }
  }
  help.ShowTopic("fix2.htm");
  help.ShowTopic("fix3.htm");
  auto* back = Find<QToolButton>(&help, "helpBack");
  auto* forward = Find<QToolButton>(&help, "helpForward");
  Click(back);
  EXPECT_EQ(help.currentTopic(), "fix2.htm");
  EXPECT_TRUE(forward->isEnabled());
  Click(forward);
  EXPECT_EQ(help.currentTopic(), "fix3.htm");
  Click(Find<QToolButton>(&help, "helpContents"));
  EXPECT_EQ(help.currentTopic(), "index.htm");
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
        "share/urlsmith/guide/images/step6-results.png"}) {
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(prefix / file))) << file;
  }
  const QString bin = QString::fromStdString(prefix / "bin/");
  EXPECT_EQ(app::GuideFolder(bin), QString::fromStdString(prefix / "share/urlsmith/guide"));

  FrameFixture f;
  app::FrameSetup setup;
  setup.programFolder = bin;
  setup.messages = &f.messages;
  setup.dialogs = &f.dialogs;
  setup.settings = &f.settings;
  app::WizardFrame installed(setup);
  EXPECT_TRUE(FrameButton(installed, 1079)->isEnabled());  // Unspool was found beside it
}

}  // namespace
}  // namespace urlsmith::testing
