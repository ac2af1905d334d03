// The command-line program as scripts use it: arguments, exit status, stdout and stderr.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::RunCli;
using testing::TempDir;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ScanCli, HelpAndBadArgumentsGiveClearAnswers) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string inOut, inErr;
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage: urlsmith-cli scan", ""},
      {{"scan", "--help"}, 0, "--no-internet", ""},
      {{"--version"}, 0, "urlsmith-cli", ""},
      {{}, 2, "", "Usage:"},
      {{"frobnicate"}, 2, "", "unknown command \"frobnicate\""},
      {{"scan"}, 2, "", "no file or folder given"},
      {{"scan", "--bogus", "."}, 2, "", "unknown option \"--bogus\""},
      {{"scan", "--base-url"}, 2, "", "--base-url needs a value"},
      {{"scan", "--target-adder", "sometimes", "."}, 2, "", "external, images or mask"},
      {{"scan", "/no/such/folder/anywhere"}, 2, "", "cannot find \"/no/such/folder/anywhere\""},
  };
  for (const auto& c : cases) {
    const auto r = RunCli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_TRUE(Contains(r.out, c.inOut)) << r.out;
    EXPECT_TRUE(Contains(r.err, c.inErr)) << r.err;
  }
}

TEST(ScanCli, CleanSiteExitsZeroWithTheRunLogOnStderr) {
  TempDir dir;
  dir.Write("index.htm", "<html><body>No links here.</body></html>");
  dir.Write("sub/page.htm", "<p>nothing</p>");
  dir.Write("sub/deeper/pic.gif", "GIF89a");
  const auto r = RunCli({"scan", "--no-internet", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(Contains(r.err, ">> Counting processable files ... 2 file(s) found")) << r.err;
  EXPECT_TRUE(Contains(r.err, dir / "sub/page.htm (14 bytes) ... 0 change(s) to apply"));
  EXPECT_TRUE(Contains(r.err, "Done: 0 change(s) to apply in 2 file(s)"));
}

TEST(ScanCli, FilesFoldersAndNoRecurseFormTheFileList) {
  TempDir dir;
  dir.Write("a.htm", "x");
  dir.Write("sub/b.htm", "x");
  const auto recursive = RunCli({"scan", "--no-internet", dir.path()});
  EXPECT_TRUE(Contains(recursive.err, "2 file(s) found")) << recursive.err;
  const auto flat = RunCli({"scan", "--no-internet", "--no-recurse", dir.path()});
  EXPECT_TRUE(Contains(flat.err, "1 file(s) found")) << flat.err;
  const auto single = RunCli({"scan", "--no-internet", dir / "sub/b.htm", dir / "sub/b.htm"});
  EXPECT_TRUE(Contains(single.err, "1 file(s) found")) << single.err;
  const auto quiet = RunCli({"scan", "-q", "--no-internet", dir.path()});
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.exitCode, 0);
}

TEST(ScanCli, EmptyFolderIsAnError) {
  TempDir dir;
  dir.MakeDir("nothing");
  const auto r = RunCli({"scan", dir / "nothing"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Contains(r.err, "hold no files")) << r.err;
}

}  // namespace
}  // namespace urlsmith
