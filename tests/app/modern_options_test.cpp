// The options of modern pages in the wizard: "Search HTML5 elements and attributes" (step 3)
// and "Check letter case for case-sensitive servers" (step 4), their first-start states, the
// session options they steer and their round trip through the settings file.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSettings>

#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::ControlName;

TEST(ModernOptions, StartAsDesignedFollowTheirBoxesAndAreRemembered) {
  FrameFixture f;
  auto* html5 = Find<QAbstractButton>(f->page(app::kSearchOptionsStep), ControlName(1097));
  auto* caseBox = Find<QAbstractButton>(f->page(app::kProcessingOptionsStep), ControlName(1098));
  EXPECT_TRUE(html5->isChecked());
  EXPECT_FALSE(caseBox->isChecked());
  EXPECT_TRUE(f->session().Search.SearchHtml5);
  EXPECT_FALSE(f->session().Search.CaseSensitive);

  html5->click();
  caseBox->click();
  EXPECT_FALSE(f->session().Search.SearchHtml5);
  EXPECT_TRUE(f->session().Search.CaseSensitive);
  f.Rebuild();  // closes (saving) and starts again

  EXPECT_FALSE(
      Find<QAbstractButton>(f->page(app::kSearchOptionsStep), ControlName(1097))->isChecked());
  EXPECT_TRUE(
      Find<QAbstractButton>(f->page(app::kProcessingOptionsStep), ControlName(1098))->isChecked());
  EXPECT_FALSE(f->session().Search.SearchHtml5);
  EXPECT_TRUE(f->session().Search.CaseSensitive);
  QSettings ini(f.settings.filePath(), QSettings::IniFormat);
  EXPECT_EQ(ini.value("stStep3Chk13").toInt(), 0);
  EXPECT_EQ(ini.value("stStep4Chk10").toInt(), 1);
}

}  // namespace
}  // namespace urlsmith::testing
