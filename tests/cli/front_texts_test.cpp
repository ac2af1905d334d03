// The words each front gives to what the core names without words: the key hints of a run's
// status line, the sorting hint, the Next button's caption after applying and the file dialogs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/run_texts.h"
#include "cli/cli_run_view.h"

namespace urlsmith {
namespace {

TEST(FrontTexts, KeyHintsNameEachFrontsKeys) {
  struct Case {
    StatusKey key;
    std::string wizard;
    std::string cli;
  };
  const std::vector<Case> cases = {
      {StatusKey::PressEscToStop, "Press ESC to stop", "Press Ctrl-C to stop"},
      {StatusKey::CheckingPressF10,
       "Press ESC to stop\nIf checking freezes for a long time, press F10 to skip the URL",
       "Press Ctrl-C to stop If checking freezes for a long time, press Ctrl-\\ to skip the URL"},
  };
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  {
    cli::CliRunView view(err, false);
    for (const Case& c : cases) {
      EXPECT_EQ(app::StatusKeyText(c.key), c.wizard);
      view.SetKeyStatus(c.key);
      EXPECT_EQ(view.status(), c.cli);
    }
  }
  std::fclose(err);
  EXPECT_EQ(app::kSortingLabel, "Sorting... Press ESC to stop");
}

TEST(FrontTexts, WizardCaptionsAndFileDialogs) {
  EXPECT_EQ(app::NextButtonCaption(AfterApply::NextPass), "&Next pass");
  EXPECT_EQ(app::NextButtonCaption(AfterApply::StartOver), "&Start over");

  struct Case {
    FileDialogKind kind;
    std::vector<std::string> names;
    std::string firstPatterns;
  };
  const std::vector<Case> cases = {
      {FileDialogKind::Replacement,
       {"All Processable Files (*.htm, *.html, *.shtml, *.gif, *.jpg, *.jpeg, *.png, *.bmp, "
        "*.css, *.js)",
        "HTML Files (*.htm, *.html, *.shtml)", "Image Files (*.gif, *.jpg, *.jpeg, *.png, *.bmp)",
        "Style Sheets (*.css)", "JavaScript Files (*.js)", "All Files (*.*)"},
       "*.htm;*.html;*.shtml;*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.css;*.js"},
      {FileDialogKind::Image,
       {"Image Files (*.gif, *.jpg, *.jpeg, *.png, *.bmp)", "All Files (*.*)"},
       "*.gif;*.jpg;*.jpeg;*.png;*.bmp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::FileDialogTitle(c.kind), "Replace");
    std::vector<std::string> names;
    for (const app::FileFilter& f : app::FileDialogFilters(c.kind))
      names.emplace_back(f.name);
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(app::FileDialogFilters(c.kind).front().patterns, c.firstPatterns);
    EXPECT_EQ(app::FileDialogFilters(c.kind).back().patterns, "*.*");
  }
}

}  // namespace
}  // namespace urlsmith
