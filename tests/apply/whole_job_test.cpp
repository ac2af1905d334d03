// The whole job through the library on a copy of the example site: search, review with one
// edited line, apply with backups, the second pass the protocol fixes ask for; then the site
// is searched again, the backups compared with the originals and restored with unspool.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apply/apply_run.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
#include "results/edit_result.h"
#include "results/result_list.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

namespace fs = std::filesystem;
using testing::EndsWith;
using testing::ReadFileBytes;
using testing::RecordingRunView;
using testing::SessionOver;
using testing::TempDir;
using testing::Tree;

const std::string kExampleSite = std::string(URLSMITH_SOURCE_DIR) + "/examples/site";

// Selects the review line that shows `url` and stores `value` as its replacement.
void EditLine(ResultStep& step, const std::string& url, const std::string& value) {
  const auto& lines = dynamic_cast<VectorResultList&>(step.List).lines();
  int found = -1;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (lines[static_cast<std::size_t>(i)].Text.find("\"" + url + "\"") != std::string::npos) {
      ASSERT_EQ(found, -1) << "two lines show " << url;
      found = i;
    }
  }
  ASSERT_GE(found, 0) << "no line shows " << url;
  step.List.SetSelection(found);
  SelectionChanged(step);
  step.Editor.Text = value;
  ASSERT_EQ(ApplyEdit(step), 1);
}

// Applies, then runs the second passes for as long as protocol fixes ask for one.
int ApplyWithSecondPasses(SearchSession& session, RecordingRunView& view) {
  ApplyOptions options;
  options.Rewrite.Review.AllowLinkDeletion = true;
  ApplyResult r = ApplyStep(session, options, view);
  EXPECT_EQ(r.FilesFailed, 0) << view.LogText();
  int passes = 1;
  while (r.Next == AfterApply::NextPass && passes < 5) {
    const SearchResult again = RunSearch(session, view);
    EXPECT_NE(again.Outcome, SearchOutcome::Stopped);
    options.MakeBackupsEnabled = false;
    r = ApplyStep(session, options, view);
    EXPECT_EQ(r.FilesFailed, 0) << view.LogText();
    ++passes;
  }
  EXPECT_EQ(r.Next, AfterApply::StartOver);
  return passes;
}

TEST(WholeJob, RepairsTheExampleSiteAndUnspoolGivesItBack) {
  TempDir dir;
  fs::copy(kExampleSite, dir.path(), fs::copy_options::recursive);
  const std::map<std::string, std::string> original = Tree(kExampleSite);
  ASSERT_EQ(Tree(dir.path()), original);

  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
  ASSERT_EQ(session->FixCount(), 2);

  // The review, with deletions allowed; the broken "history.html" is pointed at a real page
  // instead of being deleted.
  VectorResultList list;
  ResultStep step(*session, list);
  step.Options.AllowLinkDeletion = true;
  ShowResults(step);
  EditLine(step, "history.html", "about.htm");
  if (::testing::Test::HasFatalFailure()) return;

  // The protocol fixes ask for a second pass; with Internet checks off, the completed Internet
  // addresses it finds have no local copy and are deleted, so no further pass follows.
  EXPECT_EQ(ApplyWithSecondPasses(*session, view), 2);

  // (b) The edited link reads as edited; the other planned changes are in place.
  const std::string about = ReadFileBytes(dir / "about.htm");
  EXPECT_NE(about.find("<a href=\"about.htm\">Our history</a>"), std::string::npos) << about;
  const std::string index = ReadFileBytes(dir / "index.htm");
  for (const char* written :
       {"<img src=\"img/banner.jpg\"", "<a href=\"info/contact.htm\">",
        "<a href=\"my%20recipes.htm\">", "<a href=\"mailto:baker@example.com\">",
        "<a href=\"saved/news.htm\">", "<li>Our miller</li>", "<li>The market</li>"}) {
    EXPECT_NE(index.find(written), std::string::npos) << written << "\n" << index;
  }
  EXPECT_NE(ReadFileBytes(dir / "products/list.htm").find("<a href=\"items/item.htm\">"),
            std::string::npos);

  // (a) A fresh search of the rewritten site plans nothing: every local link resolves, and the
  // Internet links that were left have been deleted.
  auto fresh = SessionOver(dir.path());
  RecordingRunView freshView;
  const SearchResult again = RunSearch(*fresh, freshView);
  EXPECT_EQ(again.Outcome, SearchOutcome::NothingFound) << freshView.LogText();
  for (const LinkEntry& e : fresh->LinkTable) {
    ADD_FAILURE() << fresh->FileList.path(e.FileIndex) << ": " << e.Url << " -> " << e.Replacement;
  }

  // (c) Every file that was changed has its backup from the first pass, holding its original
  // bytes; the second pass made none, and the files left as they were have none.
  std::vector<std::string> backups;
  std::vector<std::string> changed;
  for (const auto& [name, bytes] : Tree(dir.path())) {
    if (EndsWith(name, ".bak")) {
      const std::string of = name.substr(0, name.size() - 4);
      backups.push_back(of);
      ASSERT_TRUE(original.count(of)) << name;
      EXPECT_EQ(bytes, original.at(of)) << name;
    } else if (IsProcessable(name, PathStyle::Posix) && bytes != original.at(name)) {
      changed.push_back(name);
    }
  }
  EXPECT_EQ(backups, changed);
  EXPECT_EQ(backups.size(), 6u);

  // (d) The companion tool puts every backup back: the tree is the example site again.
  const testing::ProcessResult r =
      testing::RunProcess({URLSMITH_UNSPOOL_PATH, "--restore", "--yes", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("6 backup(s) restored"), std::string::npos) << r.out;
  const std::map<std::string, std::string> restored = Tree(dir.path());
  EXPECT_EQ(restored.size(), original.size());
  for (const auto& [name, bytes] : original) {
    ASSERT_TRUE(restored.count(name)) << name;
    EXPECT_EQ(restored.at(name), bytes) << name;
  }
  for (const auto& [name, bytes] : restored) {
    EXPECT_TRUE(original.count(name)) << "left behind: " << name;
  }
}

TEST(WholeJob, BigEndianPageIsRewrittenBigEndianAndBackedUp) {
  TempDir dir;
  const std::string page = "<html><body>\n<a href=\"old.htm\">Old</a>\n</body></html>\n";
  const std::vector<std::uint8_t> before = testing::Utf16Bytes(page, true);
  dir.WriteBytes("be.htm", before);
  dir.Write("sub/old.htm", "<html></html>\n");

  auto session = SessionOver(dir.path());
  RecordingRunView view;
  ASSERT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
  ASSERT_EQ(session->LinkCount(), 1);
  EXPECT_EQ(session->LinkTable[0].Replacement, "sub/old.htm");
  EXPECT_EQ(ApplyWithSecondPasses(*session, view), 1);

  const std::vector<std::uint8_t> after =
      testing::Utf16Bytes("<html><body>\n<a href=\"sub/old.htm\">Old</a>\n</body></html>\n", true);
  EXPECT_EQ(ReadFileBytes(dir / "be.htm"), std::string(after.begin(), after.end()));
  EXPECT_EQ(ReadFileBytes(dir / "be.htm.bak"), std::string(before.begin(), before.end()));
}

}  // namespace
}  // namespace urlsmith
