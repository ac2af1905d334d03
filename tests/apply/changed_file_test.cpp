// A page edited between the search and the apply run is left alone: the planned changes are
// tied to places in the text the search read.
#include <gtest/gtest.h>

#include <filesystem>

#include "apply/apply_run.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::ReadFileBytes;
using testing::RecordingRunView;
using testing::TempDir;

TEST(ApplyRun, APageChangedSinceTheSearchIsNotRewritten) {
  TempDir dir;
  dir.Write("img/logo.gif", "GIF89a");
  dir.Write("a.htm", "<img src=\"pics/logo.gif\">");
  dir.Write("b.htm", "<img src=\"pics/logo.gif\">");
  SearchSession session;
  RecordingRunView quiet;
  FolderAdd(session.FileList, session.fs(), quiet, true, dir.path());
  session.Search.CheckInternetUrls = false;
  session.CacheReset();
  ASSERT_EQ(RunSearch(session, quiet).Outcome, SearchOutcome::Found);

  // Someone edits b.htm while the plan is reviewed: the row's position now points elsewhere.
  const std::string edited = "<p>new text in front</p><img src=\"pics/logo.gif\">";
  dir.Write("b.htm", edited);

  RecordingRunView view;
  ApplyOptions options;
  const ApplyResult r = ApplyStep(session, options, view);
  EXPECT_EQ(r.FilesWritten, 1);
  EXPECT_EQ(r.FilesFailed, 1);
  EXPECT_EQ(ReadFileBytes(dir / "a.htm"), "<img src=\"img/logo.gif\">");
  EXPECT_EQ(ReadFileBytes(dir / "b.htm"), edited);
  EXPECT_FALSE(std::filesystem::exists(dir / "b.htm.bak"));
  EXPECT_NE(view.LogText().find("failed: the file changed since the search; the file is unchanged"),
            std::string::npos)
      << view.LogText();
}

}  // namespace
}  // namespace urlsmith
