// The whole job with the mouse and keyboard only, on a copy of the example site: the start path
// and its question, the search, the review with one replacement typed by hand and one deletion
// taken back, the deletion options, the apply run with backups, the second pass and Start over.
// Every file ends byte for byte as the command line's fix leaves it, but for the two edits.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "app/steps/result_lines_model.h"
#include "app/steps/results_step.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(WholeJob, TheWizardDoesWhatTheCommandLineDoesPlusTheEdits) {
  TempDir copies;
  const std::string gui = copies / "gui";
  const std::string cli = copies / "cli";
  for (const std::string& to : {gui, cli})
    std::filesystem::copy(URLSMITH_SOURCE_DIR "/examples/site", to,
                          std::filesystem::copy_options::recursive);
  const std::map<std::string, std::string> original = Tree(gui);

  FrameFixture f;
  f.messages.answers = {true};  // "Add subfolders too?"
  f.Rebuild(gui);
  ASSERT_EQ(f->stepIndex(), app::kFileListStep);
  ASSERT_EQ(f->session().FileList.size(), static_cast<int>(original.size()));
  RunTo(f, {}, app::kResultsStep);
  auto* page = static_cast<app::ResultsStep*>(f->page(app::kResultsStep));
  auto control = [&](int id) { return Find<QWidget>(page, ControlName(id)); };
  auto lines = [&] {
    std::string all;
    for (int i = 0; i < page->lines().Count(); ++i)
      all += page->lines().Text(i) + "\n";
    return all;
  };

  // The list as the command line prints it.
  const ProcessResult scan = RunCli({"scan", "--no-internet", cli});
  EXPECT_EQ(scan.exitCode, 1) << scan.err;
  EXPECT_EQ(lines(), Replaced(scan.out, cli, gui));

  static_cast<QCheckBox*>(control(1032))->click();  // Allow link deletion
  AwaitRun(*f);
  auto select = [&](std::string_view prefix) {
    for (int i = 0; i < page->lines().Count(); ++i) {
      if (page->lines().Text(i).starts_with(prefix)) {
        page->listView()->setCurrentIndex(page->lines().index(i));
        Settle();
        return true;
      }
    }
    return false;
  };
  // A deleted link is taken back: Copy Old, then Apply.
  auto keepHistory = [&] {
    ASSERT_TRUE(select("DELETE (1): \"history.html\""));
    Click(static_cast<QPushButton*>(control(1039)));
    Click(static_cast<QPushButton*>(control(1078)));
    EXPECT_NE(lines().find("REPLACE (copy old, 1): \"history.html\"\n"), std::string::npos);
  };
  keepHistory();
  // A replacement typed by hand, applied with Enter.
  ASSERT_TRUE(select("REPLACE (1): \"contact.htm\""));
  auto* edit = static_cast<QLineEdit*>(control(1037));
  edit->selectAll();
  QTest::keyClicks(edit, "about.htm");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_NE(lines().find("REPLACE (1): \"contact.htm\" --> \"about.htm\"\n"), std::string::npos);

  // Step 7 with its defaults, then the apply run and as many passes as the fixes ask for.
  RunTo(f, {}, app::kApplyStep);
  int passes = 1;
  while (FrameButton(*f, 1014)->text() == "&Next pass" && passes < 4) {
    ++passes;
    Click(FrameButton(*f, 1014));  // Next pass: the search runs again
    AwaitRun(*f);
    RunTo(f, {}, app::kResultsStep);
    EXPECT_FALSE(control(1056)->isEnabled());  // no backups in the second pass
    if (select("DELETE (1): \"history.html\"")) keepHistory();
    RunTo(f, {}, app::kApplyStep);
  }
  EXPECT_EQ(FrameButton(*f, 1014)->text(), "&Start over");
  EXPECT_GE(passes, 2);

  const ProcessResult fix =
      RunCli({"fix", "--rid-internet-links", "--allow-deletion", "--yes", cli});
  EXPECT_EQ(fix.exitCode, 0) << fix.err;
  const std::map<std::string, std::string> wizard = Tree(gui);
  std::map<std::string, std::string> expected = Tree(cli);
  expected["index.htm"] =
      Replaced(expected["index.htm"], "href=\"info/contact.htm\"", "href=\"about.htm\"");
  EXPECT_NE(wizard.at("about.htm").find("<a href=\"history.html\">Our history</a>"),
            std::string::npos);
  EXPECT_EQ(expected.at("about.htm").find("history.html"), std::string::npos);
  expected["about.htm"] = wizard.at("about.htm");
  expected.erase("about.htm.bak");  // kept as it was, so neither written nor backed up
  EXPECT_EQ(wizard, expected);
  for (const auto& [name, text] : original) {
    if (wizard.contains(name + ".bak")) {
      EXPECT_EQ(wizard.at(name + ".bak"), text) << name;
    }
  }
  EXPECT_TRUE(wizard.contains("index.htm.bak"));

  Click(FrameButton(*f, 1014));  // Start over
  EXPECT_EQ(f->stepIndex(), app::kWelcomeStep);
  EXPECT_TRUE(f->session().FileList.empty());
}

}  // namespace
}  // namespace urlsmith::testing
