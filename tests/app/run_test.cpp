// The search and apply steps on screen: what their logs, bars and status lines show, what Next
// offers afterwards, and the keys: ESC stops a run (the apply run after its question), F10 skips
// the address being checked. Nothing is ever half-written.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "app/key_poll.h"
#include "app/run_texts.h"
#include "app/steps/apply_step.h"
#include "app/steps/run_log.h"
#include "app/steps/search_step.h"
#include "app_test_support.h"
#include "support/test_servers.h"

namespace urlsmith::testing {
namespace {

constexpr char kPage[] = "<a href=\"gone.htm\">x</a> <img src=\"pic.gif\">";
constexpr char kFixedPage[] = "<a href=\"gone.htm\">x</a> <img src=\"img/pic.gif\">";

// A site of `pages` pages, each with one broken picture that a file of the same name repairs.
std::vector<std::string> WritePages(TempDir& dir, int pages) {
  std::vector<std::string> paths;
  for (int i = 0; i < pages; ++i)
    paths.push_back(dir.Write("p" + std::to_string(i) + ".htm", kPage));
  paths.push_back(dir.Write("img/pic.gif", "GIF89a"));
  return paths;
}

// Presses `key` on the frame once its run polls the keys.
class KeyWhenRunning {
 public:
  KeyWhenRunning(app::WizardFrame& frame, Qt::Key key) {
    QObject::connect(&timer_, &QTimer::timeout, [this, &frame, key] {
      if (!frame.keyPoll().running()) return;
      timer_.stop();
      QTest::keyClick(&frame, key);
    });
    timer_.start(1);
  }
  bool pressed() const { return !timer_.isActive(); }

 private:
  QTimer timer_;
};

app::RunLogPanel& LogOf(FrameFixture& f, int step) {
  if (step == app::kSearchStep) return static_cast<app::SearchStep*>(f->page(step))->runLog();
  return static_cast<app::ApplyStep*>(f->page(step))->runLog();
}

TEST(Runs, TheSearchOffersTheResultsOnlyWhenItFoundSomething) {
  struct Case {
    const char* name;
    const char* page;
    QString status;
    bool next;
  } cases[] = {
      {"a broken picture", kPage, "Done: 2 change(s) to apply in 1 file(s)", true},
      {"nothing broken", "<p>no links</p>", "Done: 0 change(s) to apply in 1 file(s)", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrameFixture f;
    const std::vector<std::string> files{f.temp.Write("site/a.htm", c.page),
                                         f.temp.Write("site/img/pic.gif", "GIF89a")};
    RunTo(f, files, app::kSearchStep);
    app::RunLogPanel& log = LogOf(f, app::kSearchStep);
    const QStringList lines = log.logLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], ">> Finding the root path ... done");
    EXPECT_EQ(lines[1], ">> Counting processable files ... 1 file(s) found");
    EXPECT_EQ(lines.back() == ">> Done.", c.next);
    EXPECT_EQ(log.statusText(), c.status);
    EXPECT_EQ(FrameButton(*f, 1014)->isEnabled(), c.next);
    EXPECT_TRUE(FrameButton(*f, 1013)->isEnabled());
    EXPECT_TRUE((c.next ? FrameButton(*f, 1014) : FrameButton(*f, 1013))->hasFocus());
    EXPECT_TRUE(FrameButton(*f, 1015)->isEnabled());  // the frame's controls are back
    EXPECT_FALSE(f->session().SearchBusy);
  }
}

TEST(Runs, TooManyFilesAreRefusedBeforeAnythingIsSearched) {
  FrameFixture f;
  std::vector<std::string> files(131'073);
  for (std::size_t i = 0; i < files.size(); ++i)
    files[i] = f.temp.path() + "/f" + std::to_string(i) + ".htm";
  RunTo(f, files, app::kSearchStep, true);
  EXPECT_EQ(f.messages.texts(), QStringList{QString::fromUtf8(kTooManyFilesMessage)});
  EXPECT_FALSE(FrameButton(*f, 1014)->isEnabled());
  EXPECT_TRUE(FrameButton(*f, 1013)->isEnabled());
  EXPECT_TRUE(LogOf(f, app::kSearchStep).logLines().isEmpty());
  EXPECT_EQ(static_cast<app::SearchStep*>(f->page(app::kSearchStep))->lastOutcome(),
            SearchOutcome::Refused);
}

TEST(Runs, ApplyingRewritesThePagesThenOffersAFreshStart) {
  FrameFixture f;
  TempDir site;
  const std::vector<std::string> files = WritePages(site, 3);
  RunTo(f, files, app::kApplyStep);
  app::RunLogPanel& log = LogOf(f, app::kApplyStep);
  EXPECT_EQ(log.statusText(), "Done: 6 change(s) in 3 file(s) applied successfully");
  ASSERT_EQ(log.logLines().size(), 3);
  EXPECT_EQ(log.logLines()[0],
            QString::fromStdString("Processing \"" + files[0] + "\" (44 bytes) ... done"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadFileBytes(files[static_cast<std::size_t>(i)]), kFixedPage);
    EXPECT_EQ(ReadFileBytes(files[static_cast<std::size_t>(i)] + ".bak"), kPage);
  }
  EXPECT_EQ(FrameButton(*f, 1014)->text(), "&Start over");
  EXPECT_TRUE(FrameButton(*f, 1014)->isEnabled());
  EXPECT_FALSE(FrameButton(*f, 1013)->isEnabled());
}

TEST(Runs, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  FrameFixture f;
  TempDir site;
  const std::vector<std::string> files = WritePages(site, 2);
  // A folder where the backup should go: the old page cannot be moved aside.
  site.Write("p1.htm.bak/keep", "x");
  RunTo(f, files, app::kApplyStep);
  app::RunLogPanel& log = LogOf(f, app::kApplyStep);
  EXPECT_EQ(log.statusText(),
            "Done: 2 change(s) in 2 file(s) applied; 1 file(s) failed and are "
            "unchanged");
  ASSERT_EQ(log.logLines().size(), 2);
  EXPECT_TRUE(log.logLines()[0].endsWith(" ... done"));
  EXPECT_EQ(log.logLines()[1].toStdString(),
            "Processing \"" + files[1] +
                "\" (44 bytes) ... failed: cannot make the backup (Is a directory); the file is "
                "unchanged");
  EXPECT_EQ(ReadFileBytes(files[0]), kFixedPage);
  EXPECT_EQ(ReadFileBytes(files[1]), kPage);
}

TEST(Runs, EscStopsTheSearchAndOffersNoResults) {
  FrameFixture f;
  TempDir site;
  const std::vector<std::string> files = WritePages(site, 2000);
  for (const std::string& path : files)
    f->session().FileList.Append(path);
  RunTo(f, {}, app::kProcessingOptionsStep);
  KeyWhenRunning esc(*f, Qt::Key_Escape);
  Click(FrameButton(*f, 1014));
  AwaitRun(*f);
  EXPECT_TRUE(esc.pressed());
  ASSERT_EQ(f->stepIndex(), app::kSearchStep);
  EXPECT_EQ(LogOf(f, app::kSearchStep).statusText(), "Stopped");
  EXPECT_LT(f->session().LinkCount(), 4000);
  EXPECT_FALSE(FrameButton(*f, 1014)->isEnabled());
  EXPECT_TRUE(FrameButton(*f, 1013)->isEnabled());
  EXPECT_TRUE(f.messages.shown.empty());  // no question before stopping a search
}

TEST(Runs, EscDuringApplyingAsksAndStopsOnlyOnYes) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    FrameFixture f;
    TempDir site;
    const std::vector<std::string> files = WritePages(site, 400);
    RunTo(f, files, app::kDeletionStep - 1);  // the review
    f.messages.answers = {true, yes};         // "apply?" then the stop question
    KeyWhenRunning esc(*f, Qt::Key_Escape);
    Click(FrameButton(*f, 1014));
    AwaitRun(*f);
    ASSERT_EQ(f->stepIndex(), app::kApplyStep);
    ASSERT_EQ(f.messages.texts().size(), 2);
    EXPECT_EQ(f.messages.texts()[1], QString::fromUtf8(kApplyStopQuestion));
    EXPECT_EQ(LogOf(f, app::kApplyStep).statusText() == "Stopped", yes);
    int rewritten = 0;
    for (std::size_t i = 0; i + 1 < files.size(); ++i) {
      const std::string text = ReadFileBytes(files[i]);
      ASSERT_TRUE(text == kPage || text == kFixedPage) << files[i];
      rewritten += text == kFixedPage;
    }
    if (yes) {
      EXPECT_LT(rewritten, 400);
    } else {
      EXPECT_EQ(rewritten, 400);
    }
    EXPECT_TRUE(FrameButton(*f, 1014)->isEnabled());
  }
}

TEST(Runs, F10SkipsTheAddressBeingChecked) {
  ServerProcess silent({"silent"});
  ASSERT_NE(silent.port(), 0);
  FrameFixture f;
  const std::string url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/hang.htm";
  const std::string page = f.temp.Write("site/a.htm", "<a href=\"" + url + "\">x</a>");
  f->session().FileList.Append(page);
  f->activateWindow();
  QApplication::setActiveWindow(f.frame.get());
  for (int guard = 0; guard < 8 && f->stepIndex() < app::kProcessingOptionsStep; ++guard)
    Click(FrameButton(*f, 1014));
  ASSERT_TRUE(f->session().Search.CheckInternetUrls);
  // F10 once the status line says an address is being checked.
  app::RunLogPanel& log = LogOf(f, app::kSearchStep);
  const QString checking = QString::fromUtf8(app::StatusKeyText(StatusKey::CheckingPressF10));
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (log.statusText() != checking) return;
    watch.stop();
    QTest::keyClick(f.frame.get(), Qt::Key_F10);
  });
  watch.start(20);
  Click(FrameButton(*f, 1014));
  AwaitRun(*f);
  EXPECT_FALSE(watch.isActive());
  EXPECT_TRUE(log.logLines().last().startsWith(
      QString::fromStdString("Checking \"" + url + "\" in the Internet ... skipped. ")))
      << log.logLines().join('\n').toStdString();
  EXPECT_EQ(log.statusText(),
            "Done: 0 change(s) to apply in 1 file(s); 1 Internet address(es) could not be "
            "checked and are left as they are");
  EXPECT_FALSE(f->session().SearchBusy);
}

}  // namespace
}  // namespace urlsmith::testing
