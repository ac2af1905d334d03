// The wizard frame driven through its real controls: the steps and their checks, closing, the
// handoff, the settings, the file list, the Welcome step, and the runs of the search, review and
// apply steps.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>

#include "app/key_poll.h"
#include "app/picture_panel.h"
#include "app/run_texts.h"
#include "app/single_instance.h"
#include "app/steps/apply_step.h"
#include "app/steps/file_list_step.h"
#include "app/steps/result_lines_model.h"
#include "app/steps/results_step.h"
#include "app/steps/run_log.h"
#include "app/steps/search_step.h"
#include "app/steps/welcome_step.h"
#include "app_test_support.h"
#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "results/result_list.h"

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

TEST(FileList, AddsInOrderDepthFirstOnceRemovesAndTakesTheStartPath) {
  FrameFixture f;
  f.Next();
  TempDir site;
  const auto listed = [&] {
    std::vector<std::string> names;
    for (const std::string& p : f->session().FileList.paths())
      names.push_back(p.substr(site.path().size() + 1));
    return names;
  };
  const auto counter = [&] { return f.Control<QLabel>(kFileListStep, 1024)->text(); };
  const auto addFolder = [&](bool subfolders) {
    f.dialogs.folder = QString::fromStdString(site.path());
    f.dialogs.setSubfolders = subfolders;
    Click(f.Control(kFileListStep, 1021));
  };
  const auto extent = [&] { return static_cast<FileListStep*>(f->page(kFileListStep))->extent(); };
  for (const char* name : {"B.htm", "a.gif", "x/1.htm"})
    site.Write(name, "x");
  addFolder(false);
  EXPECT_EQ(listed(), (std::vector<std::string>{"a.gif", "B.htm"}));
  EXPECT_EQ(counter(), "Files added: 2");
  EXPECT_TRUE(f.Button(1014)->isEnabled());
  site.Write("0new.htm", "x");
  addFolder(true);  // only what is new, after what was listed
  EXPECT_EQ(listed(), (std::vector<std::string>{"a.gif", "B.htm", "0new.htm", "x/1.htm"}));
  EXPECT_EQ(f->lastRootFolder(), site.path());
  EXPECT_EQ(f.dialogs.lastStartFolder, QString::fromStdString(site.path()));
  // A start path with items listed asks whether to append: No clears the list first.
  f.messages.answers = {false, true};
  f->startPath() = site.path();
  f.Back();
  f.Next();
  EXPECT_EQ(f.messages.texts().size(), 2);
  EXPECT_TRUE(f.messages.texts()[0].startsWith("The file list already contains some items."));
  EXPECT_EQ(listed(), (std::vector<std::string>{"0new.htm", "a.gif", "B.htm", "x/1.htm"}));
  f.messages.shown.clear();

  // Chosen files are added once; removing the widest line narrows the extent.
  const int narrow = extent();
  const QString wide = QString::fromStdString(site.Write(std::string(200, 'w') + ".htm", "x"));
  f.dialogs.files = QStringList{QString::fromStdString(site / "B.htm"), wide};
  Click(f.Control(kFileListStep, 1020));
  EXPECT_EQ(counter(), "Files added: 5");
  EXPECT_GT(extent(), 2 * narrow);
  auto* list = f.Control<QTreeView>(kFileListStep, 1019);
  list->selectionModel()->select(list->model()->index(4, 0), QItemSelectionModel::Select);
  Click(f.Control(kFileListStep, 1023));
  EXPECT_EQ(counter(), "Files added: 4");
  EXPECT_EQ(extent(), narrow);

  Click(f.Control(kFileListStep, 1022));  // Remove All, answered No
  EXPECT_EQ(f->session().FileList.size(), 4);
  ASSERT_EQ(f.messages.shown.size(), 1u);
  EXPECT_EQ(f.messages.shown[0].caption, "Remove All");
  f.messages.answers = {true};
  Click(f.Control(kFileListStep, 1022));
  EXPECT_TRUE(f->session().FileList.empty());
  EXPECT_EQ(extent(), 0);
  EXPECT_FALSE(f.Button(1014)->isEnabled() || f.Control(kFileListStep, 1023)->isEnabled());

  // Started with a start path, the list is new: only the subfolder question comes (No).
  f->session().FileList.Append(site / "x/1.htm");
  f.messages.shown.clear();
  f.messages.answers = {false};
  f.Rebuild(site.path());
  EXPECT_EQ(f->stepIndex(), kFileListStep);
  EXPECT_EQ(f.messages.texts(), QStringList{"Add subfolders too?"});
  EXPECT_EQ(listed(), (std::vector<std::string>{"0new.htm", "a.gif", "B.htm",
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

// ---- The runs of the search and apply steps, and the review over the example site ------------

constexpr char kPage[] = "<a href=\"gone.htm\">x</a> <img src=\"pic.gif\">";
constexpr char kFixedPage[] = "<a href=\"gone.htm\">x</a> <img src=\"img/pic.gif\">";

RunLogPanel& LogOf(FrameFixture& f, int step) {
  if (step == kSearchStep) return static_cast<app::SearchStep*>(f->page(step))->runLog();
  return static_cast<app::ApplyStep*>(f->page(step))->runLog();
}

TEST(Runs, TheSearchOffersTheResultsOnlyWhenItFoundSomething) {
  for (const bool broken : {true, false}) {
    FrameFixture f;
    f.RunTo(kSearchStep, {f.temp.Write("site/a.htm", broken ? kPage : "<p>no links</p>"),
                          f.temp.Write("site/img/pic.gif", "GIF89a")});
    const QStringList lines = LogOf(f, kSearchStep).logLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], ">> Finding the root path ... done");
    EXPECT_EQ(lines.back() == ">> Done.", broken);
    EXPECT_EQ(LogOf(f, kSearchStep).statusText(),
              QString("Done: %1 change(s) to apply in 1 file(s)").arg(broken ? 2 : 0));
    EXPECT_EQ(f.Button(1014)->isEnabled(), broken);
    EXPECT_TRUE(f.Button(broken ? 1014 : 1013)->hasFocus());
    EXPECT_TRUE(f.Button(1013)->isEnabled() && f.Button(1015)->isEnabled());
  }
}

TEST(Runs, TooManyFilesAreRefusedBeforeAnythingIsSearched) {
  FrameFixture f;
  std::vector<std::string> files(131'073);
  for (std::size_t i = 0; i < files.size(); ++i)
    files[i] = f.temp.path() + "/f" + std::to_string(i) + ".htm";
  f.RunTo(kSearchStep, files, true);
  EXPECT_EQ(f.messages.texts(), QStringList{QString::fromUtf8(kTooManyFilesMessage)});
  EXPECT_TRUE(!f.Button(1014)->isEnabled() && f.Button(1013)->isEnabled());
  EXPECT_TRUE(LogOf(f, kSearchStep).logLines().isEmpty());
  EXPECT_EQ(static_cast<app::SearchStep*>(f->page(kSearchStep))->lastOutcome(),
            SearchOutcome::Refused);
}

TEST(Runs, EscStopsTheSearchAtOnceAndTheApplyRunAfterAYes) {
  // The answers for the apply run: "apply?", then the stop question.
  // clang-format off
  const struct { int from, pages; std::deque<bool> answers; QString status; } cases[] = {
      {kProcessingOptionsStep, 2000, {}, "Stopped"}, {kResultsStep, 400, {true, true}, "Stopped"},
      {kResultsStep, 400, {true, false},
       "Done: 800 change(s) in 400 file(s) applied successfully"}};
  // clang-format on
  for (const auto& c : cases) {
    FrameFixture f;
    // Pages with one broken picture each, which a file of the same name repairs.
    std::vector<std::string> files;
    for (int i = 0; i < c.pages; ++i)
      files.push_back(f.temp.Write("site/p" + std::to_string(i) + ".htm", kPage));
    files.push_back(f.temp.Write("site/img/pic.gif", "GIF89a"));
    f.RunTo(c.from, files);
    const int step = c.from == kResultsStep ? kApplyStep : kSearchStep;
    f.messages.answers = c.answers;
    QTimer esc;  // Esc once the run polls the keyboard
    QObject::connect(&esc, &QTimer::timeout, [&] {
      if (!f->keyPoll().running()) return;
      esc.stop();
      QTest::keyClick(f.frame.get(), Qt::Key_Escape);
    });
    esc.start(5);
    f.Next();
    f.AwaitRun();
    EXPECT_FALSE(esc.isActive());
    ASSERT_EQ(f->stepIndex(), step);
    EXPECT_EQ(f.messages.texts().size(), c.answers.size());
    EXPECT_TRUE(c.answers.empty() || f.messages.texts().back() == kApplyStopQuestion);
    const bool stopped = c.status == "Stopped";
    EXPECT_EQ(LogOf(f, step).statusText(), c.status);
    EXPECT_EQ(f->session().LinkCount() < 2 * c.pages, step == kSearchStep);
    int rewritten = 0;
    for (std::size_t i = 0; i + 1 < files.size(); ++i) {
      const std::string text = ReadFileBytes(files[i]);
      ASSERT_TRUE(text == kPage || text == kFixedPage) << files[i];
      rewritten += text == kFixedPage;
    }
    EXPECT_EQ(rewritten < c.pages, stopped);
    EXPECT_EQ(std::pair(f.Button(1014)->isEnabled(), f.Button(1013)->isEnabled()),
              std::pair(step == kApplyStep, step == kSearchStep));
    EXPECT_TRUE(stopped || LogOf(f, step).logLines().size() == c.pages);
  }
}

// Step 6 over a copy of the example site, given as the start path with its subfolders.
struct Review : FrameFixture {
  Review() {
    std::filesystem::copy(URLSMITH_SOURCE_DIR "/examples/site", site,
                          std::filesystem::copy_options::recursive);
    messages.answers = {true};  // "Add subfolders too?"
    Rebuild(site);
    RunTo(kResultsStep);
    page = static_cast<ResultsStep*>(frame->page(kResultsStep));
  }
  std::string Lines() const {
    std::string all;
    for (int i = 0; i < page->lines().Count(); ++i)
      all += page->lines().Text(i) + "\n";
    EXPECT_EQ(page->lines().rowCount(), page->lines().Count());  // the view knows every line
    return all;
  }
  // Selects the first line beginning with `prefix`, as a click would; its index, or -1.
  int Select(std::string_view prefix) {
    for (int i = 0; i < page->lines().Count(); ++i) {
      if (page->lines().Text(i).starts_with(prefix)) {
        page->listView()->setCurrentIndex(page->lines().index(i));
        Settle();
        return i;
      }
    }
    return -1;
  }
  template <typename W = QAbstractButton>
  W* Control(int id) {
    return FrameFixture::Control<W>(kResultsStep, id);
  }
  // The editor's enabled states: edit, Apply, Browse, Copy Old, relative, Delete.
  std::vector<bool> EditorEnabled() {
    std::vector<bool> on;
    for (int id : {1037, 1078, 1038, 1039, 1075, 1040})
      on.push_back(Control<QWidget>(id)->isEnabled());
    return on;
  }
  std::string site = temp / "site";
  ResultsStep* page = nullptr;
};

TEST(Review, TheListShowsTheCoresLinesForEveryChoice) {
  Review r;
  ResultOptions options;
  const auto core = [&] {
    const std::unique_ptr<SearchSession> session = SessionOver(r.site);
    session->Search = r->session().Search;
    session->Processing = r->session().Processing;
    NullRunView view;
    EXPECT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
    VectorResultList list;
    ResultStep step(*session, list);
    step.Options = options;
    ShowResults(step);
    std::string all;
    for (const std::string& line : list.Texts())
      all += line + "\n";
    return all;
  };
  EXPECT_EQ(r.Lines(), core());
  EXPECT_FALSE(r.Control(1028)->isEnabled());
  EXPECT_TRUE(r.Control<QLabel>(1054)->text().startsWith("URL's in the list: "));
  // The two Internet links the unchecked search planned to delete are pointed out.
  auto* notice = Find<QLabel>(r.page, "internetNotice");
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains("2 unchecked Internet link(s) planned for change"))
      << notice->text().toStdString();
  for (const SortModeKind mode : {SortModeKind::ByUrl, SortModeKind::ByAction}) {
    options.SortMode = mode;
    auto* box = r.Control<QComboBox>(1089);
    box->setCurrentIndex(static_cast<int>(mode));
    emit box->activated(static_cast<int>(mode));
    r.AwaitRun();
    EXPECT_EQ(r.Lines(), core()) << static_cast<int>(mode);
  }
  // Each check box in turn, with the option it sets.
  const std::pair<int, bool ResultOptions::*> boxes[] = {{1032, &ResultOptions::AllowLinkDeletion},
                                                         {1028, &ResultOptions::HideDelete},
                                                         {1030, &ResultOptions::HideOrphan},
                                                         {1031, &ResultOptions::HideTarget},
                                                         {1029, &ResultOptions::HideReplace}};
  for (const auto& [id, option] : boxes) {
    options.*option = true;
    r.Control(id)->click();
    r.AwaitRun();
    EXPECT_EQ(r.Lines(), core()) << id;
  }
  EXPECT_TRUE(r.Control(1028)->isEnabled());
  EXPECT_EQ(r->review().SortMode, SortModeKind::ByAction);
}

// Every edit on one line, a replacement typed on another, the second pass and Start over.
TEST(Review, TheEditsReachTheFilesWhichOtherwiseEndAsTheCommandLineWritesThem) {
  Review r;
  const std::map<std::string, std::string> original = Tree(r.site);
  const std::string cli = r.temp / "cli";
  std::filesystem::copy(r.site, cli, std::filesystem::copy_options::recursive);
  r.Control(1032)->click();  // allow deletion: DELETE lines are shown
  r.AwaitRun();
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, false));  // nothing selected
  ASSERT_GE(r.Select("ORPHAN:"), 0);
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, false));
  const int line = r.Select("DELETE (1): \"history.html\"");
  ASSERT_GE(line, 0);
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, true));
  auto* edit = r.Control<QLineEdit>(1037);
  const auto text = [&] { return r.page->lines().Text(line); };

  // Typed and Enter; Delete then Apply; a file chosen with Browse; Copy Old then Apply.
  edit->clear();
  QTest::keyClicks(edit, "new page.htm");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(text().starts_with("REPLACE (") && text().ends_with("--> \"new%20page.htm\""))
      << text();
  EXPECT_EQ(edit->text(), "new%20page.htm");
  Click(r.Control(1040));
  EXPECT_EQ(edit->text(), "");
  Click(r.Control(1078));
  EXPECT_TRUE(text().starts_with("DELETE ("));
  r.dialogs.files = QStringList{QString::fromStdString(r.site + "/about.htm")};
  Click(r.Control(1038));
  EXPECT_TRUE(text().starts_with("REPLACE (relative, ")) << text();
  EXPECT_TRUE(r.Control(1075)->isChecked());
  const auto keepHistory = [&] {
    Click(r.Control(1039));
    Click(r.Control(1078));
    EXPECT_TRUE(Contains(r.Lines(), "REPLACE (copy old, 1): \"history.html\"\n"));
  };
  keepHistory();
  EXPECT_EQ(r.page->lines().Selection(), line);

  // A double click puts the line into the editor.
  r.Select("ORPHAN:");
  r.page->listView()->scrollTo(r.page->lines().index(line));
  const QPoint at = r.page->listView()->visualRect(r.page->lines().index(line)).center();
  QTest::mouseClick(r.page->listView()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(r.page->listView()->viewport(), Qt::LeftButton, {}, at);
  Settle();
  EXPECT_EQ(r.page->lines().Selection(), line);
  EXPECT_TRUE(edit->hasFocus());

  ASSERT_GE(r.Select("REPLACE (1): \"contact.htm\""), 0);
  edit->selectAll();
  QTest::keyClicks(edit, "about.htm");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(Contains(r.Lines(), "REPLACE (1): \"contact.htm\" --> \"about.htm\"\n"));

  r.RunTo(kApplyStep);
  int passes = 1;
  for (; r.Button(1014)->text() == "&Next pass" && passes < 4; ++passes) {
    r.Next();  // the search runs again
    r.RunTo(kResultsStep);
    EXPECT_FALSE(r.Control<QWidget>(1056)->isEnabled());  // no backups in the second pass
    if (r.Select("DELETE (1): \"history.html\"") >= 0) keepHistory();
    r.RunTo(kApplyStep);
  }
  EXPECT_EQ(r.Button(1014)->text(), "&Start over");
  EXPECT_GE(passes, 2);

  const ProcessResult fix =
      RunCli({"fix", "--rid-internet-links", "--allow-deletion", "--yes", cli});
  EXPECT_EQ(fix.exitCode, 0) << fix.err;
  const std::map<std::string, std::string> wizard = Tree(r.site);
  std::map<std::string, std::string> expected = Tree(cli);
  std::string& index = expected["index.htm"];
  ASSERT_TRUE(Contains(index, "href=\"info/contact.htm\""));
  index.replace(index.find("href=\"info/contact.htm\""), 23, "href=\"about.htm\"");
  EXPECT_TRUE(Contains(wizard.at("about.htm"), "<a href=\"history.html\">Our history</a>"));
  EXPECT_FALSE(Contains(expected.at("about.htm"), "history.html"));
  expected["about.htm"] = wizard.at("about.htm");
  expected.erase("about.htm.bak");  // kept as it was, so neither written nor backed up
  EXPECT_EQ(wizard, expected);
  for (const auto& [name, bytes] : original)
    EXPECT_EQ(wizard.contains(name + ".bak") ? wizard.at(name + ".bak") : bytes, bytes) << name;
  EXPECT_TRUE(wizard.contains("index.htm.bak"));

  r.Next();  // Start over
  EXPECT_EQ(r->stepIndex(), kWelcomeStep);
  EXPECT_TRUE(r->session().FileList.empty());
}

}  // namespace
}  // namespace urlsmith::testing
