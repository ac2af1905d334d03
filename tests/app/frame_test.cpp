#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include "app/key_poll.h"
#include "app/picture_panel.h"
#include "app/single_instance.h"
#include "app/steps/file_list_step.h"
#include "app/steps/welcome_step.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using namespace app;

TEST(Frame, NextChecksTheInputAsksWhereStepsAreSkippedAndRunsTheSecondPass) {
  FrameFixture f;
  EXPECT_EQ(f->windowTitle(), "Urlsmith - Welcome to Urlsmith!");
  EXPECT_FALSE(f.Button(1013)->isEnabled());
  f.Next();
  EXPECT_FALSE(f.Button(1014)->isEnabled());  // the list is empty
  const auto refused = [&](const QString& message) {
    const int step = f->stepIndex();
    f.Next();
    EXPECT_EQ(f.messages.texts(), QStringList{message});
    EXPECT_EQ(f->stepIndex(), step);
    f.messages.shown.clear();
  };
  // The base URL is checked only when it is used, the target only while the adder is on.
  f.RunTo(kSearchOptionsStep);
  auto* base = f.Control<QLineEdit>(kSearchOptionsStep, 1091);
  f.Control(kSearchOptionsStep, 1085)->click();
  refused("You have not entered the base URL!");
  base->setText("www.example.com");
  refused("The base URL does not contain a protocol name!");
  base->setText("http://www.example.com/");
  f.Next();
  EXPECT_EQ(f->stepIndex(), kProcessingOptionsStep);
  f.Back();
  f.Control(kSearchOptionsStep, 1085)->click();
  base->setText("");
  f.Next();
  ASSERT_EQ(f->stepIndex(), kProcessingOptionsStep);
  f.Control(kProcessingOptionsStep, 1094)->click();
  f.Control<QComboBox>(kProcessingOptionsStep, 1093)->setEditText("");
  refused("The \"Target\" field cannot be empty!");
  f.Control<QComboBox>(kProcessingOptionsStep, 1093)->setEditText("_blank");
  EXPECT_TRUE(f.messages.shown.empty());

  // Without deletion the review asks before it skips step 7; Previous skips the search.
  f.RunTo(kResultsStep);
  f.Next();  // answered No
  EXPECT_EQ(f->stepIndex(), kResultsStep);
  EXPECT_TRUE(f.messages.shown.size() == 1 && f.messages.shown[0].icon == MessageIcon::Question);
  f.messages.shown.clear();
  f.Back();
  EXPECT_EQ(f->stepIndex(), kProcessingOptionsStep);
  f.Back();
  EXPECT_EQ(f->stepIndex(), kSearchOptionsStep);
  // With deletion allowed there is no question, and step 7 needs its replacement URLs.
  f.RunTo(kDeletionStep, {}, true);
  EXPECT_TRUE(f.messages.shown.empty());
  f.Control(kDeletionStep, 1045)->click();
  refused("The replacement URL cannot be empty!");
  f.Control<QLineEdit>(kDeletionStep, 1091)->setText("gone.png");
  f.messages.answers = {true};
  f.Next();
  EXPECT_EQ(f->stepIndex(), kApplyStep);
  EXPECT_EQ(f->windowTitle(), "Urlsmith - Processing Broken URL's");
  for (int i = 0; i < kStepCount; ++i)
    EXPECT_EQ(f->page(i)->isVisible(), i == kApplyStep) << i;

  // With fixes applied, closing asks first and Next runs the second pass, which Previous cancels.
  f.AwaitRun();
  f->session().LinkTable.push_back(LinkEntry{});
  ASSERT_TRUE(f->session().AddFix(0));
  f->SetNextCaption("&Next pass");
  f.messages.shown.clear();
  EXPECT_FALSE(f->close());  // answered No
  EXPECT_EQ(f.messages.texts(),
            QStringList{"The second pass is needed. Do you really want to exit?"});
  f.messages.shown.clear();
  f.Next();
  EXPECT_EQ(f->stepIndex(), kSearchStep);
  EXPECT_EQ(f.Button(1014)->text(), "&Next >>");
  auto* backups = f.Control(kResultsStep, 1056);
  EXPECT_FALSE(backups->isEnabled());
  f.Back();  // answered No
  EXPECT_EQ(f->stepIndex(), kSearchStep);
  EXPECT_EQ(f.messages.texts(),
            QStringList{"This is the second pass. Moving to the previous step cancels it.\n"
                        "Do you really want to cancel the second pass?"});
  f.messages.answers = {true};
  f.Back();
  EXPECT_EQ(f->stepIndex(), kProcessingOptionsStep);
  EXPECT_TRUE(backups->isEnabled());
}

TEST(Frame, ClosingAsksOnlyWhereWorkWouldBeLost) {
  const QString queued = "Some changes are queued for application. Do you really want to exit?";
  // clang-format off
  const struct { int step; QString question; } cases[] = {  // no question: closes
      {kWelcomeStep, {}}, {kProcessingOptionsStep, {}}, {kSearchStep, queued},
      {kResultsStep, queued}, {kDeletionStep, queued}, {kApplyStep, {}}};
  // clang-format on
  for (const auto& c : cases) {
    FrameFixture f;
    f.RunTo(c.step);
    EXPECT_EQ(f->close(), c.question.isEmpty()) << c.step;
    EXPECT_EQ(f.messages.texts(), c.question.isEmpty() ? QStringList{} : QStringList{c.question});
    EXPECT_TRUE(!c.question.isEmpty() || QFile::exists(f.settings.filePath())) << c.step;
    f.messages.answers = {true};
    EXPECT_TRUE(f->close());
    EXPECT_TRUE(QFile::exists(f.settings.filePath()));
  }
}

TEST(Frame, AHandoffWaitsWhileBusyAndClosingStopsALongOperationFirst) {
  TempDir site;
  site.Write("index.htm", "<a href=a.htm>a</a>");
  site.Write("a.htm", "");
  HandoffInbox inbox;
  FrameFixture f({}, &inbox);
  f.RunTo(kResultsStep);
  f->session().FileList.Clear();
  f->session().SearchBusy = true;
  inbox.push(QByteArray("\"" + QByteArray::fromStdString(site.path()) + "\""));
  Settle();
  EXPECT_EQ(f.messages.texts(), QStringList{"Some action is going now. Please finish it first!"});
  EXPECT_EQ(f.messages.shown[0].icon, MessageIcon::Warning);
  EXPECT_EQ(f->stepIndex(), kResultsStep);
  EXPECT_FALSE(inbox.empty());  // kept for the next notice

  f->session().SearchBusy = false;
  f.messages.shown.clear();
  f.messages.answers = {true};  // add subfolders too
  inbox.push(QByteArray());     // a start without a folder only brings the frame forward
  Settle();
  EXPECT_EQ(f->stepIndex(), kResultsStep);
  inbox.push(QByteArray("/a/later/start"));  // the next notice reads the waiting folder first
  Settle();
  Settle();
  EXPECT_EQ(f->stepIndex(), kFileListStep);
  ASSERT_FALSE(inbox.empty());
  EXPECT_EQ(inbox.front(), "/a/later/start");
  EXPECT_EQ(f.messages.texts(), QStringList{"Add subfolders too?"});
  EXPECT_EQ(f->session().FileList.paths(),
            std::vector<std::string>({site / "a.htm", site / "index.htm"}));
  EXPECT_EQ(f->lastRootFolder(), site.path());

  // A long operation disables the frame; closing asks it to stop and closes once it has ended.
  auto* addFiles = f.Control(kFileListStep, 1020);
  f->ControlStateSave(false);
  f->BeginOperation();
  EXPECT_FALSE(f.Button(1014)->isEnabled() || f.Button(1013)->isEnabled());
  EXPECT_FALSE(addFiles->isEnabled());
  EXPECT_FALSE(f->close());  // the operation is asked to stop, the frame stays for now
  EXPECT_EQ(f->keyPoll().Check(), Poll::Stop);
  f->EndOperation();
  f->ControlStateSave(true);
  EXPECT_TRUE(f.Button(1013)->isEnabled() && addFiles->isEnabled());
  Settle();
  EXPECT_FALSE(f->isVisible());  // closed once the operation ended
  EXPECT_TRUE(QFile::exists(f.settings.filePath()));
}

TEST(Settings, TheFirstStartShowsTheDefaultsAndChangesComeBackAfterARestart) {
  FrameFixture f;
  const struct {
    int step;
    std::vector<int> on, off;
  } boxes[] = {// clang-format off
      {kSearchOptionsStep, {1082, 1032, 1030, 1083, 1029, 1097}, {1085, 1028}},
      {kProcessingOptionsStep, {1040, 1032, 1029, 1030, 1031, 1092},
       {1041, 1028, 1033, 1094, 1096, 1098}},
      {kResultsStep, {1056}, {1032}}, {kDeletionStep, {1076, 1095, 1041, 1044, 1047}, {}}};
  // clang-format on
  for (const auto& b : boxes) {
    for (int id : b.on)
      EXPECT_TRUE(f.Control(b.step, id)->isChecked()) << b.step + 1 << " " << id;
    for (int id : b.off)
      EXPECT_FALSE(f.Control(b.step, id)->isChecked()) << b.step + 1 << " " << id;
  }
  EXPECT_EQ(f.Control<QLineEdit>(kSearchOptionsStep, 1091)->text(), "");
  EXPECT_EQ(f.Control<QComboBox>(kProcessingOptionsStep, 1089)->currentText(),
            "All external links");
  EXPECT_EQ(f.Control<QComboBox>(kProcessingOptionsStep, 1093)->currentText(), "_blank");
  EXPECT_EQ(f.Control<QLineEdit>(kProcessingOptionsStep, 1091)->text(), "*.jpg");
  EXPECT_EQ(f.Control<QComboBox>(kResultsStep, 1089)->currentText(), "Unsorted");

  ASSERT_TRUE(f.settings.SaveTipCounter(7));
  // Clicked: Internet checks off, base URL on, HTML5 elements and attributes off; absolute links,
  // permanent moves updated, letter case checked.
  const std::tuple<int, int, bool> clicked[] = {
      {kSearchOptionsStep, 1082, false},    {kSearchOptionsStep, 1085, true},
      {kSearchOptionsStep, 1097, false},    {kProcessingOptionsStep, 1041, true},
      {kProcessingOptionsStep, 1096, true}, {kProcessingOptionsStep, 1098, true}};
  for (const auto& [step, id, on] : clicked)
    f.Control(step, id)->click();
  EXPECT_EQ(std::pair(f->session().Search.SearchHtml5, f->session().Search.CaseSensitive),
            std::pair(false, true));
  f.Control<QLineEdit>(kSearchOptionsStep, 1091)->setText("http://example.com/");
  f.Control<QLineEdit>(kProcessingOptionsStep, 1091)->setText("*.png;*.gif");
  f.Control<QComboBox>(kProcessingOptionsStep, 1093)->setEditText("_new");
  f->review().SortMode = SortModeKind::ByAction;
  f->lastRootFolder() = "/srv/www";
  f.Rebuild();

  for (const auto& [step, id, on] : clicked)
    EXPECT_EQ(f.Control(step, id)->isChecked(), on) << id;
  const SearchOptions& search = f->session().Search;
  EXPECT_EQ(std::tuple(search.FixRedirects, search.SearchHtml5, search.CaseSensitive),
            std::tuple(true, false, true));
  EXPECT_EQ(f.Control<QLineEdit>(kSearchOptionsStep, 1091)->text(), "http://example.com/");
  EXPECT_EQ(f.Control<QLineEdit>(kProcessingOptionsStep, 1091)->text(), "*.png;*.gif");
  auto* target = f.Control<QComboBox>(kProcessingOptionsStep, 1093);
  EXPECT_EQ(target->currentText(), "_new");
  EXPECT_EQ(target->currentIndex(), -1);  // typed text, not a list item
  EXPECT_EQ(f->review().SortMode, SortModeKind::ByAction);
  EXPECT_EQ(f->lastRootFolder(), "/srv/www");
  EXPECT_EQ(f.settings.LoadTipCounter(), 8);  // the Welcome step of the restart shows the next tip
  QSettings ini(f.settings.filePath(), QSettings::IniFormat);
  EXPECT_EQ(QStringList({ini.value("stStep3Chk9").toString(), ini.value("stStep6Combo1").toString(),
                         ini.value("stStep4Chk10").toString()}),
            QStringList({"0", "2", "1"}));
}

TEST(Settings, BrokenOrOversizedValuesGiveTheirDefaults) {
  FrameFixture f;
  f.frame.reset();  // gone without saving its own settings
  f.temp.Write("config/Urlsmith/Urlsmith.conf",
               "[General]\nstStep3Chk1=yes\nstStep3Chk2=0\nstStep3Chk9=7\nstStep4Combo1=9\n"
               "stStep6Combo1=-1\nstStep4Combo2=_TOP\nstStep4Edit1=*.gif, *.png\nstStep3Edit1=" +
                   std::string(70000, 'x') + "\ngarbage line without equals\ntod_curTip=3\n");
  const WizardSettings s = f.settings.Load();
  // Not a number, a good value, neither 0 nor 1.
  EXPECT_EQ(std::tuple(s.search.ScanScriptsByTag, s.search.ScanScriptsByProtocol,
                       s.search.CheckInternetUrls),
            std::tuple(false, false, true));
  EXPECT_EQ(s.processing.TargetAdderMode, TargetMode::AllExternal);
  EXPECT_EQ(s.sortMode, SortModeKind::Unsorted);
  EXPECT_EQ(s.search.BaseUrl, "");                       // longer than a text value may be
  EXPECT_EQ(s.processing.TargetUrlMask, "*.gif,*.png");  // an INI list, read as its text
  EXPECT_EQ(s.processing.TargetName, "_TOP");
  EXPECT_EQ(f.settings.LoadTipCounter(), 3);
  // The stored target in another case selects the list item.
  f.Rebuild();
  EXPECT_EQ(f.Control<QComboBox>(kProcessingOptionsStep, 1093)->currentIndex(), 3);
  EXPECT_EQ(f->session().Processing.TargetName, "_top");
}

struct FileListFixture : FrameFixture {
  FileListFixture() { Next(); }
  std::vector<std::string> Listed() const {
    std::vector<std::string> names;
    for (const std::string& p : frame->session().FileList.paths())
      names.push_back(p.substr(site.path().size() + 1));
    return names;
  }
  QString Counter() { return Control<QLabel>(kFileListStep, 1024)->text(); }
  void AddFolder(bool subfolders) {
    dialogs.folder = QString::fromStdString(site.path());
    dialogs.setSubfolders = subfolders;
    Click(Control(kFileListStep, 1021));
  }
  int Extent() { return static_cast<FileListStep*>(frame->page(kFileListStep))->extent(); }
  TempDir site;
};

TEST(FileList, AddsInOrderDepthFirstOnceRemovesAndTakesTheStartPath) {
  FileListFixture f;
  for (const char* name : {"B.htm", "a.gif", "x/1.htm"})
    f.site.Write(name, "x");
  f.AddFolder(false);
  EXPECT_EQ(f.Listed(), (std::vector<std::string>{"a.gif", "B.htm"}));
  EXPECT_EQ(f.Counter(), "Files added: 2");
  EXPECT_TRUE(f.Button(1014)->isEnabled());
  f.site.Write("0new.htm", "x");
  f.AddFolder(true);  // only what is new, after what was listed
  EXPECT_EQ(f.Listed(), (std::vector<std::string>{"a.gif", "B.htm", "0new.htm", "x/1.htm"}));
  EXPECT_EQ(f->lastRootFolder(), f.site.path());
  EXPECT_EQ(f.dialogs.lastStartFolder, QString::fromStdString(f.site.path()));
  // A start path with items listed asks whether to append: No clears the list first.
  f.messages.answers = {false, true};
  f->startPath() = f.site.path();
  f.Back();
  f.Next();
  EXPECT_EQ(f.messages.texts().size(), 2);
  EXPECT_TRUE(f.messages.texts()[0].startsWith("The file list already contains some items."));
  EXPECT_EQ(f.Listed(), (std::vector<std::string>{"0new.htm", "a.gif", "B.htm", "x/1.htm"}));
  f.messages.shown.clear();

  // Chosen files are added once; removing the widest line narrows the extent.
  const int extent = f.Extent();
  const QString wide = QString::fromStdString(f.site.Write(std::string(200, 'w') + ".htm", "x"));
  f.dialogs.files = QStringList{QString::fromStdString(f.site / "B.htm"), wide};
  Click(f.Control(kFileListStep, 1020));
  EXPECT_EQ(f.Counter(), "Files added: 5");
  EXPECT_GT(f.Extent(), 2 * extent);
  auto* list = f.Control<QTreeView>(kFileListStep, 1019);
  list->selectionModel()->select(list->model()->index(4, 0), QItemSelectionModel::Select);
  Click(f.Control(kFileListStep, 1023));
  EXPECT_EQ(f.Counter(), "Files added: 4");
  EXPECT_EQ(f.Extent(), extent);

  Click(f.Control(kFileListStep, 1022));  // Remove All, answered No
  EXPECT_EQ(f->session().FileList.size(), 4);
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].caption, "Remove All");
  f.messages.answers = {true};
  Click(f.Control(kFileListStep, 1022));
  EXPECT_TRUE(f->session().FileList.empty());
  EXPECT_EQ(f.Extent(), 0);
  EXPECT_FALSE(f.Button(1014)->isEnabled() || f.Control(kFileListStep, 1023)->isEnabled());

  // Started with a start path, the list is new: only the subfolder question comes (No).
  f->session().FileList.Append(f.site / "x/1.htm");
  f.messages.shown.clear();
  f.messages.answers = {false};
  f.Rebuild(f.site.path());
  EXPECT_EQ(f->stepIndex(), kFileListStep);
  EXPECT_EQ(f.messages.texts(), QStringList{"Add subfolders too?"});
  EXPECT_EQ(f.Listed(), (std::vector<std::string>{"0new.htm", "a.gif", "B.htm",
                                                  std::string(200, 'w') + ".htm"}));
  EXPECT_TRUE(f->startPath().empty());
}

TEST(Welcome, TheTipMovesOnWithEveryEntryThePanelFollowsTheStepsAndHelpOpensTheirTopics) {
  for (auto [stored, next] : std::vector<std::pair<std::optional<int>, int>>{
           {std::nullopt, 0}, {0, 1}, {15, 16}, {16, 0}, {40, 0}, {-3, 0}})
    EXPECT_EQ(NextTipCounter(stored), next);
  EXPECT_STREQ(TipText(99), TipText(0));

  FrameFixture f;  // the Welcome step was entered once: tip 0
  TipBox* box = static_cast<WelcomeStep*>(f->page(kWelcomeStep))->tipBox();
  EXPECT_EQ(box->tip(), 0);
  EXPECT_EQ(f.settings.LoadTipCounter(), 0);
  EXPECT_FALSE(f.Control<QLabel>(kWelcomeStep, 1072)->pixmap().isNull());
  auto* panel = f->findChild<PicturePanel*>("frame1017");
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->animating() || panel->animation().scroll() != 0);
  const std::vector<std::uint8_t> first = panel->canvas().Pixels;
  QSignalSpy asked(&*f, &WizardFrame::helpRequested);
  Click(f.Button(1072));
  ASSERT_TRUE(f.settings.SaveTipCounter(16));
  f->Next();
  EXPECT_FALSE(box->lampRunning());  // leaving stops the lamp
  QTest::keyClick(&*f, Qt::Key_F1);
  EXPECT_EQ(asked.size(), 2);
  EXPECT_EQ(asked.value(0).value(0).toString(), "fix1.htm");
  EXPECT_EQ(asked.value(1).value(0).toString(), "fix2.htm");
  EXPECT_TRUE(panel->animating());
  EXPECT_EQ(panel->animation().target(), panel->animation().TargetOf(1));
  for (int i = 0; i < 60 && panel->animating(); ++i)
    panel->Tick();
  EXPECT_FALSE(panel->animating());
  EXPECT_NE(panel->canvas().Pixels, first);  // the second badge over another stretch
  panel->ShowStep(5, false);
  EXPECT_FALSE(panel->animating());
  EXPECT_EQ(panel->animation().scroll(), panel->animation().TargetOf(5));

  f->Previous();
  EXPECT_EQ(box->tip(), 0);
  EXPECT_EQ(f.settings.LoadTipCounter(), 0);
  f->Next();
  f->Previous();
  EXPECT_EQ(box->tip(), 1);
  EXPECT_FALSE(f->previousButton()->isEnabled());
  EXPECT_TRUE(f->nextButton()->isEnabled());
  // The lamp flickers for eleven frames and stays lit.
  std::vector<bool> lit;
  while (box->lampRunning()) {
    box->LampTick();
    lit.push_back(box->lampLit());
  }
  ASSERT_EQ(lit.size(), 11u);
  EXPECT_TRUE(lit[10] && !lit[9]);
}

}  // namespace
}  // namespace urlsmith::testing
