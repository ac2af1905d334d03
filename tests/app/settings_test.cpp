// The remembered options: first-start defaults, the round trip through the controls, broken
// values, and what the save leaves alone.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

struct CheckState {
  int page;
  int id;
  bool checked;
};

TEST(Settings, FirstStartShowsTheDefaults) {
  FrameFixture f;
  const CheckState expected[] = {
      {app::kSearchOptionsStep, 1082, true},      {app::kSearchOptionsStep, 1032, true},
      {app::kSearchOptionsStep, 1030, true},      {app::kSearchOptionsStep, 1085, false},
      {app::kSearchOptionsStep, 1083, true},      {app::kSearchOptionsStep, 1029, true},
      {app::kSearchOptionsStep, 1028, false},     {app::kProcessingOptionsStep, 1040, true},
      {app::kProcessingOptionsStep, 1041, false}, {app::kProcessingOptionsStep, 1032, true},
      {app::kProcessingOptionsStep, 1029, true},  {app::kProcessingOptionsStep, 1030, true},
      {app::kProcessingOptionsStep, 1031, true},  {app::kProcessingOptionsStep, 1028, false},
      {app::kProcessingOptionsStep, 1033, false}, {app::kProcessingOptionsStep, 1094, false},
      {app::kProcessingOptionsStep, 1092, true},  {app::kResultsStep, 1056, true},
      {app::kResultsStep, 1032, false},           {app::kDeletionStep, 1076, true},
      {app::kDeletionStep, 1095, true},           {app::kDeletionStep, 1041, true},
      {app::kDeletionStep, 1044, true},           {app::kDeletionStep, 1047, true},
      {app::kProcessingOptionsStep, 1096, false},
  };
  for (const CheckState& c : expected) {
    auto* box = Find<QAbstractButton>(f->page(c.page), ControlName(c.id));
    EXPECT_EQ(box->isChecked(), c.checked) << "step " << c.page + 1 << " " << c.id;
  }
  auto* step3 = f->page(app::kSearchOptionsStep);
  auto* step4 = f->page(app::kProcessingOptionsStep);
  EXPECT_EQ(Find<QLineEdit>(step3, ControlName(1091))->text(), "");
  EXPECT_EQ(Find<QComboBox>(step4, ControlName(1089))->currentText(), "All external links");
  EXPECT_EQ(Find<QComboBox>(step4, ControlName(1093))->currentText(), "_blank");
  EXPECT_EQ(Find<QLineEdit>(step4, ControlName(1091))->text(), "*.jpg");
  EXPECT_EQ(Find<QComboBox>(f->page(app::kResultsStep), ControlName(1089))->currentText(),
            "Unsorted");
}

TEST(Settings, ControlsComeBackAfterARestartAndTheTipMovesOn) {
  FrameFixture f;
  ASSERT_TRUE(f.settings.SaveTipCounter(7));
  auto* step3 = f->page(app::kSearchOptionsStep);
  auto* step4 = f->page(app::kProcessingOptionsStep);
  Find<QAbstractButton>(step3, ControlName(1082))->click();  // Internet checks off
  Find<QAbstractButton>(step3, ControlName(1085))->click();  // base URL on
  Find<QLineEdit>(step3, ControlName(1091))->setText("http://example.com/");
  Find<QAbstractButton>(step4, ControlName(1041))->click();  // absolute
  Find<QAbstractButton>(step4, ControlName(1096))->click();  // permanent moves updated
  Find<QLineEdit>(step4, ControlName(1091))->setText("*.png;*.gif");
  Find<QComboBox>(step4, ControlName(1093))->setEditText("_new");
  f->review().SortMode = SortModeKind::ByAction;
  f->lastRootFolder() = "/srv/www";
  f.Rebuild();  // closes (saving) and starts again

  EXPECT_FALSE(Find<QAbstractButton>(step3 = f->page(app::kSearchOptionsStep), ControlName(1082))
                   ->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>(step3, ControlName(1085))->isChecked());
  EXPECT_EQ(Find<QLineEdit>(step3, ControlName(1091))->text(), "http://example.com/");
  step4 = f->page(app::kProcessingOptionsStep);
  EXPECT_TRUE(Find<QAbstractButton>(step4, ControlName(1041))->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>(step4, ControlName(1096))->isChecked());
  EXPECT_TRUE(f->session().Search.FixRedirects);
  EXPECT_EQ(Find<QLineEdit>(step4, ControlName(1091))->text(), "*.png;*.gif");
  auto* target = Find<QComboBox>(step4, ControlName(1093));
  EXPECT_EQ(target->currentText(), "_new");
  EXPECT_EQ(target->currentIndex(), -1);  // typed text, not a list item
  EXPECT_EQ(f->review().SortMode, SortModeKind::ByAction);
  EXPECT_EQ(f->lastRootFolder(), "/srv/www");
  EXPECT_EQ(f.settings.LoadTipCounter(), 8);  // the Welcome step of the restart shows the next tip
  QSettings ini(f.settings.filePath(), QSettings::IniFormat);
  EXPECT_EQ(ini.value("stStep3Chk9").toInt(), 0);
  EXPECT_EQ(ini.value("stStep4Rad1").toInt(), 0);
  EXPECT_EQ(ini.value("stStep6Combo1").toInt(), 2);
}

TEST(Settings, BrokenOrOversizedValuesGiveTheirDefaults) {
  TempDir temp;
  const std::string path = temp.Write("Urlsmith.conf",
                                      "[General]\n"
                                      "stStep3Chk1=yes\n"
                                      "stStep3Chk2=0\n"
                                      "stStep3Chk9=7\n"
                                      "stStep4Combo1=9\n"
                                      "stStep6Combo1=-1\n"
                                      "stStep4Combo2=_TOP\n"
                                      "stStep4Edit1=*.gif, *.png\n"
                                      "stStep3Edit1=" +
                                          std::string(70000, 'x') +
                                          "\n"
                                          "garbage line without equals\n"
                                          "tod_curTip=3\n");
  const app::SettingsStore store(QString::fromStdString(path));
  const app::WizardSettings s = store.Load();
  EXPECT_FALSE(s.search.ScanScriptsByTag);       // not a number: default 0
  EXPECT_FALSE(s.search.ScanScriptsByProtocol);  // a good value is taken
  EXPECT_TRUE(s.search.CheckInternetUrls);       // neither 0 nor 1: default
  EXPECT_EQ(s.processing.TargetAdderMode, TargetMode::AllExternal);
  EXPECT_EQ(s.sortMode, SortModeKind::Unsorted);
  EXPECT_EQ(s.search.BaseUrl, "");                       // longer than a text value may be
  EXPECT_EQ(s.processing.TargetUrlMask, "*.gif,*.png");  // an INI list, read as its text
  EXPECT_EQ(s.processing.TargetName, "_TOP");
  EXPECT_EQ(store.LoadTipCounter(), 3);
}

TEST(Settings, StoredTargetInAnotherCaseSelectsTheListItem) {
  FrameFixture f;
  f.frame.reset();  // gone without saving its own settings
  app::WizardSettings s;
  s.processing.TargetName = "_TOP";
  f.settings.Save(s, f.messages);
  f.Rebuild();
  auto* target = Find<QComboBox>(f->page(app::kProcessingOptionsStep), ControlName(1093));
  EXPECT_EQ(target->currentIndex(), 3);
  EXPECT_EQ(f->session().Processing.TargetName, "_top");
}

TEST(Settings, RemoveLeavesNothing) {
  TempDir temp;
  const app::SettingsStore store(QString::fromStdString(temp / "cfg/Urlsmith/Urlsmith.conf"));
  ScriptedMessages messages;
  store.Save(app::WizardSettings{}, messages);
  ASSERT_TRUE(QFile::exists(store.filePath()));
  store.Remove();
  EXPECT_FALSE(QFile::exists(store.filePath()));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(temp / "cfg/Urlsmith")));
}

}  // namespace
}  // namespace urlsmith::testing
