// Moving through the eight steps with the frame's buttons: the checks before Next with their
// messages, the shortcuts, the second pass, the close questions, the frame's controls during a
// long operation, and a handoff.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "app/key_poll.h"
#include "app/single_instance.h"
#include "app/steps/controls.h"
#include "app/steps/file_list_step.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

// A frame at step `index` with one listed file (so Next is enabled at step 2).
void GoTo(FrameFixture& f, int index) {
  f->session().FileList.Append(f.temp.Write("a.htm", "<a href=x.htm>x</a>"));
  if (f->stepIndex() == app::kFileListStep) Click(FrameButton(*f, 1013));  // see the new file
  for (int guard = 0; guard < 2 * app::kStepCount && f->stepIndex() < index; ++guard) {
    if (f->stepIndex() == app::kResultsStep && index == app::kDeletionStep) {
      Find<QAbstractButton>(f->page(app::kResultsStep), ControlName(1032))->click();
    }
    f.messages.answers.push_back(true);
    Click(FrameButton(*f, 1014));
  }
  ASSERT_EQ(f->stepIndex(), index);
  f.messages.shown.clear();
  f.messages.answers.clear();
}

TEST(Navigation, TitlesFollowTheSteps) {
  FrameFixture f;
  EXPECT_EQ(f->windowTitle(), "Urlsmith - Welcome to Urlsmith!");
  EXPECT_FALSE(FrameButton(*f, 1013)->isEnabled());
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f->windowTitle(), "Urlsmith - Add Files for Processing");
  EXPECT_FALSE(FrameButton(*f, 1014)->isEnabled());  // the list is empty
  GoTo(f, app::kApplyStep);
  EXPECT_EQ(f->windowTitle(), "Urlsmith - Processing Broken URL's");
  for (int i = 0; i < app::kStepCount; ++i) {
    EXPECT_EQ(f->page(i)->isVisible(), i == app::kApplyStep) << i;
  }
}

TEST(Navigation, BaseUrlIsCheckedOnlyWhenUsed) {
  const struct {
    bool use;
    const char* url;
    const char* message;  // nullptr: Next moves on
  } cases[] = {
      {false, "", nullptr},
      {true, "", "You have not entered the base URL!"},
      {true, "www.example.com", "The base URL does not contain a protocol name!"},
      {true, "http://www.example.com/", nullptr},
  };
  for (const auto& c : cases) {
    FrameFixture f;
    GoTo(f, app::kSearchOptionsStep);
    auto* page = f->page(app::kSearchOptionsStep);
    if (c.use) Find<QAbstractButton>(page, ControlName(1085))->click();
    Find<QLineEdit>(page, ControlName(1091))->setText(c.url);
    Click(FrameButton(*f, 1014));
    if (c.message) {
      EXPECT_EQ(f.messages.texts(), QStringList{c.message});
      EXPECT_EQ(f->stepIndex(), app::kSearchOptionsStep);
    } else {
      EXPECT_TRUE(f.messages.shown.empty());
      EXPECT_EQ(f->stepIndex(), app::kProcessingOptionsStep);
    }
  }
}

TEST(Navigation, EmptyTargetIsRefusedWhileTheAdderIsOn) {
  FrameFixture f;
  GoTo(f, app::kProcessingOptionsStep);
  auto* page = f->page(app::kProcessingOptionsStep);
  Find<QAbstractButton>(page, ControlName(1094))->click();
  Find<QComboBox>(page, ControlName(1093))->setEditText("");
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f.messages.texts(), QStringList{"The \"Target\" field cannot be empty!"});
  EXPECT_EQ(f->stepIndex(), app::kProcessingOptionsStep);
}

TEST(Navigation, ResultsWithoutDeletionSkipStepSevenAfterTheQuestion) {
  FrameFixture f;
  GoTo(f, app::kResultsStep);
  Click(FrameButton(*f, 1014));  // answered No
  EXPECT_EQ(f->stepIndex(), app::kResultsStep);
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].icon, app::MessageIcon::Question);
  f.messages.answers = {true};
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f->stepIndex(), app::kApplyStep);
}

TEST(Navigation, DeletionStepNeedsItsReplacementUrls) {
  FrameFixture f;
  GoTo(f, app::kResultsStep);
  Find<QAbstractButton>(f->page(app::kResultsStep), ControlName(1032))->click();
  Click(FrameButton(*f, 1014));  // with deletion allowed: no question
  ASSERT_EQ(f->stepIndex(), app::kDeletionStep);
  EXPECT_TRUE(f.messages.shown.empty());
  Find<QAbstractButton>(f->page(app::kDeletionStep), ControlName(1045))->click();
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f.messages.texts(), QStringList{"The replacement URL cannot be empty!"});
  Find<QLineEdit>(f->page(app::kDeletionStep), ControlName(1091))->setText("gone.png");
  f.messages.answers = {true};
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f->stepIndex(), app::kApplyStep);
}

TEST(Navigation, PreviousSkipsTheSearchBackwards) {
  FrameFixture f;
  GoTo(f, app::kResultsStep);
  Click(FrameButton(*f, 1013));
  EXPECT_EQ(f->stepIndex(), app::kProcessingOptionsStep);
  Click(FrameButton(*f, 1013));
  EXPECT_EQ(f->stepIndex(), app::kSearchOptionsStep);
}

TEST(Navigation, AfterApplyingNextStartsOverOrRunsTheSecondPass) {
  FrameFixture f;
  GoTo(f, app::kApplyStep);
  f->SetNextCaption("&Start over");
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f->stepIndex(), app::kWelcomeStep);
  EXPECT_TRUE(f->session().FileList.empty());
  EXPECT_EQ(FrameButton(*f, 1014)->text(), "&Next >>");

  GoTo(f, app::kApplyStep);
  f->session().LinkTable.push_back(LinkEntry{});
  ASSERT_TRUE(f->session().AddFix(0));
  f->SetNextCaption("&Next pass");
  Click(FrameButton(*f, 1014));
  EXPECT_EQ(f->stepIndex(), app::kSearchStep);
  EXPECT_EQ(FrameButton(*f, 1014)->text(), "&Next >>");
  auto* backups = Find<QAbstractButton>(f->page(app::kResultsStep), ControlName(1056));
  EXPECT_FALSE(backups->isEnabled());

  Click(FrameButton(*f, 1013));  // leaving the second pass: answered No
  EXPECT_EQ(f->stepIndex(), app::kSearchStep);
  EXPECT_EQ(f.messages.texts(),
            QStringList{"This is the second pass. Moving to the previous step cancels it.\n"
                        "Do you really want to cancel the second pass?"});
  f.messages.answers = {true};
  Click(FrameButton(*f, 1013));
  EXPECT_EQ(f->stepIndex(), app::kProcessingOptionsStep);
  EXPECT_TRUE(backups->isEnabled());
}

TEST(Navigation, ClosingAsksOnlyWhereWorkWouldBeLost) {
  const QString queued = "Some changes are queued for application. Do you really want to exit?";
  const struct {
    int step;
    bool fixes;
    QString question;  // empty: closes without asking
  } cases[] = {
      {app::kWelcomeStep, false, {}},
      {app::kProcessingOptionsStep, false, {}},
      {app::kSearchStep, false, queued},
      {app::kResultsStep, false, queued},
      {app::kDeletionStep, false, queued},
      {app::kApplyStep, false, {}},
      {app::kApplyStep, true, "The second pass is needed. Do you really want to exit?"},
  };
  for (const auto& c : cases) {
    FrameFixture f;
    GoTo(f, c.step);
    if (c.fixes) {
      f->session().LinkTable.push_back(LinkEntry{});
      ASSERT_TRUE(f->session().AddFix(0));
    }
    EXPECT_EQ(f->close(), c.question.isEmpty()) << c.step;
    if (c.question.isEmpty()) {
      EXPECT_TRUE(f.messages.shown.empty());
      EXPECT_TRUE(QFile::exists(f.settings.filePath())) << "settings saved at " << c.step;
    } else {
      EXPECT_EQ(f.messages.texts(), QStringList{c.question});
      EXPECT_TRUE(f->isVisible());
      f.messages.answers = {true};
      EXPECT_TRUE(f->close());
    }
  }
}

TEST(Navigation, LongOperationDisablesTheFrameAndClosingStopsItFirst) {
  FrameFixture f;
  GoTo(f, app::kFileListStep);
  auto* next = FrameButton(*f, 1014);
  auto* addFiles = Find<QAbstractButton>(f->page(app::kFileListStep), ControlName(1020));
  f->ControlStateSave(false);
  f->BeginOperation();
  EXPECT_FALSE(next->isEnabled());
  EXPECT_FALSE(addFiles->isEnabled());
  EXPECT_FALSE(f->close());  // the operation is asked to stop, the frame stays for now
  EXPECT_EQ(f->keyPoll().Check(), Poll::Stop);
  f->EndOperation();
  f->ControlStateSave(true);
  EXPECT_TRUE(next->isEnabled());
  EXPECT_TRUE(addFiles->isEnabled());
  Settle();
  EXPECT_FALSE(f->isVisible());  // closed once the operation ended
  EXPECT_TRUE(QFile::exists(f.settings.filePath()));
}

TEST(Navigation, HandoffMovesToTheFileListUnlessBusy) {
  TempDir site;
  site.Write("index.htm", "<a href=a.htm>a</a>");
  site.Write("a.htm", "");
  app::HandoffInbox inbox;
  FrameFixture f;
  app::FrameSetup setup;
  setup.programFolder = QString::fromStdString(f.temp.path() + "/");
  setup.messages = &f.messages;
  setup.dialogs = &f.dialogs;
  setup.settings = &f.settings;
  setup.inbox = &inbox;
  f.frame = std::make_unique<app::WizardFrame>(setup);
  f->show();
  GoTo(f, app::kResultsStep);
  f->session().FileList.Clear();

  f->session().SearchBusy = true;
  inbox.push(QByteArray("\"" + QByteArray::fromStdString(site.path()) + "\""));
  Settle();
  EXPECT_EQ(f.messages.texts(), QStringList{"Some action is going now. Please finish it first!"});
  EXPECT_EQ(f.messages.shown[0].icon, app::MessageIcon::Warning);
  EXPECT_EQ(f->stepIndex(), app::kResultsStep);
  EXPECT_FALSE(inbox.empty());  // kept for the next notice

  f->session().SearchBusy = false;
  f.messages.shown.clear();
  f.messages.answers = {true};  // add subfolders too
  inbox.push(QByteArray());     // a start without a folder only brings the frame forward
  Settle();
  EXPECT_EQ(f->stepIndex(), app::kResultsStep);
  inbox.push(QByteArray("/a/later/start"));  // the next notice reads the waiting folder first
  Settle();
  Settle();
  EXPECT_EQ(f->stepIndex(), app::kFileListStep);
  ASSERT_FALSE(inbox.empty());
  EXPECT_EQ(inbox.front(), "/a/later/start");
  EXPECT_EQ(f.messages.texts(), QStringList{"Add subfolders too?"});
  ASSERT_EQ(f->session().FileList.size(), 2);
  EXPECT_EQ(f->session().FileList.path(0), site / "a.htm");
  EXPECT_EQ(f->lastRootFolder(), site.path());
}

}  // namespace
}  // namespace urlsmith::testing
