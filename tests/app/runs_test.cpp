#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/key_poll.h"
#include "app/run_texts.h"
#include "app/steps/apply_step.h"
#include "app/steps/result_lines_model.h"
#include "app/steps/results_step.h"
#include "app/steps/run_log.h"
#include "app/steps/search_step.h"
#include "app_test_support.h"
#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "results/result_list.h"

namespace urlsmith::testing {
namespace {

using namespace app;

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
