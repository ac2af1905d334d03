// The backup utility, run as the real program on real folders (and, for the question on a
// terminal, through its library entry with a scripted answer).
#include "unspool/unspool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "apply/apply_run.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::ProcessResult;
using testing::ReadFileBytes;
using testing::TempDir;

ProcessResult Unspool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{URLSMITH_UNSPOOL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return testing::RunProcess(argv);
}

bool Exists(const std::string& path) {
  return std::filesystem::exists(path);
}

// A site after a run with backups: two changed files with their backups, and files whose names
// end in ".bak" that are no backups of ours.
struct Site {
  TempDir dir;
  std::string a, b;
  Site() {
    a = dir.Write("a.htm", "new a");
    dir.Write("a.htm.bak", "old a");
    b = dir.Write("sub/deeper/b.css", "new b");
    dir.Write("sub/deeper/b.css.bak", "old b");
    dir.Write("notes.txt.bak", "not ours");
    dir.Write("config.bak", "not ours");
    dir.MakeDir("x.htm.bak");
  }
  void ExpectOthersUntouched() const {
    EXPECT_EQ(ReadFileBytes(dir / "notes.txt.bak"), "not ours");
    EXPECT_EQ(ReadFileBytes(dir / "config.bak"), "not ours");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "x.htm.bak"));
  }
};

TEST(Unspool, ListsTheBackupsOfPagesStyleSheetsAndScripts) {
  Site site;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{site.dir.path()}, {"--list", site.dir.path()}}) {
    const ProcessResult r = Unspool(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, site.a + ".bak\n" + site.b + ".bak\n2 backup(s) found\n");
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(ReadFileBytes(site.a), "new a");
  EXPECT_TRUE(Exists(site.a + ".bak"));
}

TEST(Unspool, RestoresWithYes) {
  Site site;
  const ProcessResult r = Unspool({"--restore", "--yes", site.dir.path() + "/"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "restored " + site.a + "\nrestored " + site.b + "\n2 backup(s) restored\n");
  EXPECT_EQ(ReadFileBytes(site.a), "old a");
  EXPECT_EQ(ReadFileBytes(site.b), "old b");
  EXPECT_FALSE(Exists(site.a + ".bak"));
  EXPECT_FALSE(Exists(site.b + ".bak"));
  site.ExpectOthersUntouched();
}

TEST(Unspool, DeletesWithYes) {
  Site site;
  const ProcessResult r = Unspool({"-y", "--delete", site.dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "deleted " + site.a + ".bak\ndeleted " + site.b + ".bak\n2 backup(s) deleted\n");
  EXPECT_EQ(ReadFileBytes(site.a), "new a");
  EXPECT_EQ(ReadFileBytes(site.b), "new b");
  EXPECT_FALSE(Exists(site.a + ".bak"));
  EXPECT_FALSE(Exists(site.b + ".bak"));
  site.ExpectOthersUntouched();
}

TEST(Unspool, RefusesToActWithoutATerminalToAskOn) {
  for (const char* action : {"--restore", "--delete"}) {
    SCOPED_TRACE(action);
    Site site;
    const ProcessResult r = Unspool({action, site.dir.path()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("no terminal to ask on"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(site.a), "new a");
    EXPECT_EQ(ReadFileBytes(site.a + ".bak"), "old a");
  }
}

TEST(Unspool, UsageAndErrors) {
  TempDir empty;
  const std::string file = empty.Write("f.htm", "x");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string outHas;
    std::string errHas;
  };
  const std::vector<Case> cases = {
      {{"--help"}, 0, "Usage: unspool", ""},
      {{}, 2, "", "no folder given"},
      {{"--frobnicate", empty.path()}, 2, "", "unknown option --frobnicate"},
      {{"--restore", "--delete", empty.path()}, 2, "", "cannot be used together"},
      {{"--list", "--delete", empty.path()}, 2, "", "--list cannot be used with"},
      {{empty.path(), empty.path()}, 2, "", "one folder only"},
      {{empty / "missing"}, 2, "", "is not a folder"},
      {{file}, 2, "", "is not a folder"},
      // Nothing to do needs no question, so no terminal is needed either.
      {{"--restore", empty.path()}, 0, "No backups found under " + empty.path(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front());
    const ProcessResult r = Unspool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.out.find(c.outHas), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
  }
}

TEST(Unspool, ABackupThatCannotBeRestoredIsReported) {
  TempDir dir;
  dir.Write("d.htm.bak", "old");
  dir.MakeDir("d.htm/inner");  // a folder now stands where the file was
  dir.Write("e.htm.bak", "old e");
  const ProcessResult r = Unspool({"--restore", "--yes", dir.path()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("cannot restore " + (dir / "d.htm.bak")), std::string::npos) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "d.htm.bak"), "old");
  EXPECT_EQ(ReadFileBytes(dir / "e.htm"), "old e");  // the others are still restored
  EXPECT_NE(r.out.find("1 backup(s) restored"), std::string::npos);
}

// On a terminal the program lists the backups and asks; only a yes acts.
TEST(Unspool, AsksOnATerminal) {
  struct Case {
    std::string answer;
    bool acts;
  };
  for (const Case& c : {Case{"y\n", true}, Case{"YES\n", true}, Case{"n\n", false},
                        Case{"\n", false}, Case{"", false}}) {
    SCOPED_TRACE(c.answer);
    Site site;
    std::string answer = c.answer;
    std::FILE* in = answer.empty() ? std::tmpfile() : ::fmemopen(answer.data(), answer.size(), "r");
    ASSERT_NE(in, nullptr);
    char* outText = nullptr;
    std::size_t outSize = 0;
    std::FILE* out = ::open_memstream(&outText, &outSize);
    std::FILE* err = std::tmpfile();
    PosixFileSystem fs;
    const int code = unspool::RunUnspool({"--restore", site.dir.path()}, fs, in, true, out, err);
    std::fclose(out);
    const std::string printed(outText, outSize);
    std::free(outText);
    std::fclose(in);
    std::fclose(err);
    EXPECT_EQ(code, 0);
    EXPECT_NE(printed.find(site.a + ".bak\n" + site.b + ".bak\n" +
                           "Restore these 2 backup(s) over their files? [y/N] "),
              std::string::npos)
        << printed;
    EXPECT_EQ(ReadFileBytes(site.a), c.acts ? "old a" : "new a");
    EXPECT_EQ(printed.find("Nothing was changed.") == std::string::npos, c.acts);
  }
}

// What the apply run backs up, the utility puts back byte for byte.
TEST(Unspool, RestoresWhatTheApplyRunChanged) {
  TempDir dir;
  const std::string page = "<a href=\"old.htm\">x</a>\r\n\xE9";
  const std::string path = dir.Write("site/p.htm", page);
  SearchSession session;
  session.FileList.Append(path);
  session.ProcessableCount = 1;
  LinkEntry row;
  row.TagPos = 0;
  row.ValuePos = 8;
  row.SpanLength = 9;
  row.QuoteLength = 1;
  row.Url = "old.htm";
  row.Replacement = "new.htm";
  session.LinkTable.push_back(row);
  NullRunView view;
  ASSERT_EQ(ApplyRun(session, ApplyOptions{}, view).FilesWritten, 1);
  ASSERT_EQ(ReadFileBytes(path), "<a href=\"new.htm\">x</a>\r\n\xE9");
  const ProcessResult r = Unspool({"--restore", "--yes", dir.path()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(path), page);
  EXPECT_FALSE(Exists(path + ".bak"));
}

}  // namespace
}  // namespace urlsmith
