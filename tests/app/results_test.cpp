// The review on screen: the list shows exactly the core's lines for the example site under every
// Hide box, the deletion switch and both sorts; the editor's buttons change a line's replacement
// and enable as the selected line allows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "app/steps/result_lines_model.h"
#include "app/steps/results_step.h"
#include "app_test_support.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"
#include "results/result_list.h"
#include "text/file_system.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

// The frame at step 6 over a copy of the example site, searched without Internet checks.
struct Review {
  Review() {
    std::filesystem::copy(URLSMITH_SOURCE_DIR "/examples/site", site,
                          std::filesystem::copy_options::recursive);
    PosixFileSystem fs;
    NullRunView view;
    (void)FolderAdd(f->session().FileList, fs, view, true, site);
    RunTo(f, {}, app::kResultsStep);
    page = static_cast<app::ResultsStep*>(f->page(app::kResultsStep));
  }

  // The lines of the review as the core builds them for the same site and options.
  std::vector<std::string> CoreLines(const ResultOptions& options) {
    SearchSession session(PathStyle::Posix);
    session.Search = f->session().Search;
    session.Processing = f->session().Processing;
    PosixFileSystem fs;
    NullRunView view;
    (void)FolderAdd(session.FileList, fs, view, true, site);
    session.CacheReset();
    EXPECT_EQ(RunSearch(session, view).Outcome, SearchOutcome::Found);
    VectorResultList list;
    ResultStep step(session, list);
    step.Options = options;
    ShowResults(step);
    return list.Texts();
  }

  std::vector<std::string> Shown() {
    std::vector<std::string> lines;
    for (int i = 0; i < page->lines().Count(); ++i)
      lines.push_back(page->lines().Text(i));
    EXPECT_EQ(page->lines().rowCount(), page->lines().Count());  // the view knows every line
    return lines;
  }

  template <typename W = QWidget>
  W* Control(int id) {
    return Find<W>(page, ControlName(id));
  }

  // Selects the first line beginning with `prefix`, as a click would; its index.
  int Select(std::string_view prefix) {
    const std::vector<std::string> lines = Shown();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].starts_with(prefix)) {
        page->listView()->setCurrentIndex(page->lines().index(static_cast<int>(i)));
        Settle();
        return static_cast<int>(i);
      }
    }
    ADD_FAILURE() << "no line begins with " << prefix;
    return -1;
  }

  // The six editor controls' enabled states: edit, Apply, Browse, Copy Old, relative, Delete.
  std::vector<bool> EditorEnabled() {
    std::vector<bool> on;
    for (int id : {1037, 1078, 1038, 1039, 1075, 1040})
      on.push_back(Control(id)->isEnabled());
    return on;
  }

  FrameFixture f;
  std::string site = f.temp.path() + "/site";
  app::ResultsStep* page = nullptr;
};

TEST(Results, TheListShowsTheCoresLinesForEveryChoice) {
  Review r;
  ResultOptions o;
  EXPECT_EQ(r.Shown(), r.CoreLines(o));
  EXPECT_EQ(r.Shown().front(), kDeletionNotice);
  EXPECT_FALSE(r.Control(1028)->isEnabled());
  EXPECT_TRUE(r.Control<QLabel>(1054)->text().startsWith("URL's in the list: "));
  // The two Internet links the unchecked search planned to delete are pointed out.
  auto* notice = Find<QLabel>(r.page, "internetNotice");
  EXPECT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().contains("2 unchecked Internet link(s) planned for change"))
      << notice->text().toStdString();

  struct Step {
    const char* what;
    int id;  // the check box clicked, or the sort choice for 1089
    void (*change)(ResultOptions&);
  } steps[] = {
      {"allow deletion", 1032, [](ResultOptions& x) { x.AllowLinkDeletion = true; }},
      {"hide DELETE", 1028, [](ResultOptions& x) { x.HideDelete = true; }},
      {"hide ORPHAN", 1030, [](ResultOptions& x) { x.HideOrphan = true; }},
      {"show DELETE", 1028, [](ResultOptions& x) { x.HideDelete = false; }},
      {"hide TARGET", 1031, [](ResultOptions& x) { x.HideTarget = true; }},
      {"by URL", 1, [](ResultOptions& x) { x.SortMode = SortModeKind::ByUrl; }},
      {"by action", 2, [](ResultOptions& x) { x.SortMode = SortModeKind::ByAction; }},
      {"hide REPLACE", 1029, [](ResultOptions& x) { x.HideReplace = true; }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.change(o);
    if (s.id < 1000) {
      auto* sort = r.Control<QComboBox>(1089);
      sort->setCurrentIndex(s.id);
      emit sort->activated(s.id);
    } else {
      r.Control<QCheckBox>(s.id)->click();
    }
    AwaitRun(*r.f);
    EXPECT_EQ(r.Shown(), r.CoreLines(o));
  }
  EXPECT_TRUE(r.Control(1028)->isEnabled());
  EXPECT_EQ(r.f->review().SortMode, SortModeKind::ByAction);
}

TEST(Results, TheEditorChangesTheSelectedLine) {
  Review r;
  r.Control<QCheckBox>(1032)->click();  // allow deletion: DELETE lines are shown
  AwaitRun(*r.f);
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, false));  // nothing selected

  const int orphan = r.Select("ORPHAN:");
  ASSERT_GE(orphan, 0);
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, false));

  const int line = r.Select("DELETE (");
  ASSERT_GE(line, 0);
  EXPECT_EQ(r.EditorEnabled(), std::vector<bool>(6, true));
  auto* edit = r.Control<QLineEdit>(1037);

  // Typed and Enter; Copy Old then Apply; Delete then Apply; a file chosen with Browse.
  edit->clear();
  QTest::keyClicks(edit, "new page.htm");
  QTest::keyClick(edit, Qt::Key_Return);
  std::string text = r.page->lines().Text(line);
  EXPECT_TRUE(text.starts_with("REPLACE (")) << text;
  EXPECT_TRUE(text.ends_with("--> \"new%20page.htm\"")) << text;
  EXPECT_EQ(edit->text(), "new%20page.htm");

  Click(r.Control<QPushButton>(1039));
  Click(r.Control<QPushButton>(1078));
  EXPECT_TRUE(r.page->lines().Text(line).starts_with("REPLACE (copy old, "));

  Click(r.Control<QPushButton>(1040));
  EXPECT_EQ(edit->text(), "");
  Click(r.Control<QPushButton>(1078));
  EXPECT_TRUE(r.page->lines().Text(line).starts_with("DELETE ("));

  r.f.dialogs.files = QStringList{QString::fromStdString(r.site + "/about.htm")};
  Click(r.Control<QPushButton>(1038));
  text = r.page->lines().Text(line);
  EXPECT_TRUE(text.starts_with("REPLACE (relative, ")) << text;
  EXPECT_TRUE(r.Control<QCheckBox>(1075)->isChecked());
  EXPECT_EQ(r.page->lines().Selection(), line);

  // A double click puts the line into the editor.
  r.Select("ORPHAN:");
  r.page->listView()->scrollTo(r.page->lines().index(line));
  const QRect rect = r.page->listView()->visualRect(r.page->lines().index(line));
  QTest::mouseClick(r.page->listView()->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(r.page->listView()->viewport(), Qt::LeftButton, {}, rect.center());
  Settle();
  EXPECT_EQ(r.page->lines().Selection(), line);
  EXPECT_TRUE(edit->hasFocus());
}

}  // namespace
}  // namespace urlsmith::testing
