#include "unspool/unspool.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support/test_support.h"

namespace urlsmith::testing {
namespace {

namespace fs = std::filesystem;

ProcessResult Unspool(std::vector<std::string> args) {
  args.insert(args.begin(), URLSMITH_UNSPOOL_PATH);
  return RunProcess(args);
}

// Two backups, ".bak" files not ours, and the temporary files of a killed and a running run.
struct Site {
  TempDir dir;
  std::string a = dir.Write("a.htm", "new a"), b = dir.Write("sub/deeper/b.css", "new b");
  std::string dead = dir.Write(".urlsmith-999999999-AbC123", "half");
  std::string alive = dir.Write(".urlsmith-" + std::to_string(::getpid()) + "-XyZ789", "x");
  Site() {
    dir.Write("a.htm.bak", "old a");
    dir.Write("sub/deeper/b.css.bak", "old b");
    dir.Write("notes.txt.bak", "not ours");
    dir.Write("config.bak", "not ours");
    dir.MakeDir("x.htm.bak");
  }
};

// The leftovers of the killed run are listed and removed with the backups, not the running one's.
TEST(Unspool, ListsThenRestoresOrDeletesOnlyWithYes) {
  // clang-format off
  const struct { const char *action, *yes, *done, *suffix, *a, *b; } actions[] = {
      {"--restore", "--yes", "restored", "", "old a", "old b"},
      {"--delete", "-y", "deleted", ".bak", "new a", "new b"}};
  // clang-format on
  for (const auto& act : actions) {
    SCOPED_TRACE(act.action);
    Site site;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{site.dir.path()}, {"--list", site.dir.path()}}) {
      const ProcessResult r = Unspool(args);
      EXPECT_EQ(r.exitCode, 0);
      EXPECT_EQ(r.out, site.dead + " (left behind by an interrupted run)\n" + site.a + ".bak\n" +
                           site.b + ".bak\n2 backup(s) found\n");
      EXPECT_EQ(r.err, "");
    }
    const ProcessResult refused = Unspool({act.action, site.dir.path()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(Contains(refused.err, "no terminal to ask on; nothing was changed. Add --yes"))
        << refused.err;
    EXPECT_EQ(ReadFileBytes(site.a + ".bak"), "old a");

    const ProcessResult r = Unspool({act.yes, act.action, site.dir.path() + "/"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "removed " + site.dead + " (left behind by an interrupted run)\n" + act.done +
                         " " + site.a + act.suffix + "\n" + act.done + " " + site.b + act.suffix +
                         "\n2 backup(s) " + act.done + "\n");
    EXPECT_EQ(ReadFileBytes(site.a) + ReadFileBytes(site.b), std::string(act.a) + act.b);
    EXPECT_FALSE(fs::exists(site.a + ".bak") || fs::exists(site.b + ".bak"));
    EXPECT_EQ(ReadFileBytes(site.dir / "notes.txt.bak") + ReadFileBytes(site.dir / "config.bak"),
              "not oursnot ours");
    EXPECT_TRUE(fs::is_directory(site.dir / "x.htm.bak"));
    EXPECT_TRUE(!fs::exists(site.dead) && fs::exists(site.alive));
  }
}

TEST(Unspool, UsageAndErrors) {
  TempDir empty;
  const std::string file = empty.Write("f.htm", "x");
  // clang-format off
  const struct { std::vector<std::string> args; int exitCode; std::string inOut, inErr; } cases[]{
      {{"--help"}, 0, "Usage: unspool", ""}, {{}, 2, "", "no folder given"},
      {{"--frobnicate", empty.path()}, 2, "", "unknown option --frobnicate"},
      {{"--restore", "--delete", empty.path()}, 2, "", "cannot be used together"},
      {{"--list", "--delete", empty.path()}, 2, "", "--list cannot be used with"},
      {{empty.path(), empty.path()}, 2, "", "one folder only"},
      {{empty / "missing"}, 2, "", "is not a folder"}, {{file}, 2, "", "is not a folder"},
      // Nothing to do needs no question, so no terminal is needed either.
      {{"--restore", empty.path()}, 0, "No backups found under " + empty.path(), ""}};
  // clang-format on
  for (const auto& c : cases) {
    const ProcessResult r = Unspool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << ::testing::PrintToString(c.args);
    EXPECT_TRUE(Contains(r.out, c.inOut)) << r.out;
    EXPECT_TRUE(Contains(r.err, c.inErr)) << r.err;
  }

  // A backup that cannot be restored is reported; the others are restored all the same.
  TempDir dir;
  dir.Write("d.htm.bak", "old");
  dir.MakeDir("d.htm/inner");  // a folder now stands where the file was
  dir.Write("e.htm.bak", "old e");
  const ProcessResult r = Unspool({"--restore", "--yes", dir.path()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(Contains(r.err, "cannot restore " + (dir / "d.htm.bak"))) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "d.htm.bak"), "old");
  EXPECT_EQ(ReadFileBytes(dir / "e.htm"), "old e");
  EXPECT_TRUE(Contains(r.out, "1 backup(s) restored"));
}

TEST(Unspool, AsksOnATerminal) {
  for (const auto& [answer, acts] : std::vector<std::pair<std::string, bool>>{
           {"y\n", true}, {"YES\n", true}, {"n\n", false}, {"\n", false}, {"", false}}) {
    SCOPED_TRACE(answer);
    Site site;
    std::FILE* in = std::fopen(site.dir.Write("in", answer).c_str(), "r");
    std::FILE* out = std::fopen((site.dir / "out").c_str(), "w");
    PosixFileSystem fs;
    EXPECT_EQ(unspool::RunUnspool({"--restore", site.dir.path()}, fs, in, true, out, stderr), 0);
    std::fclose(in);
    std::fclose(out);
    const std::string printed = ReadFileBytes(site.dir / "out");
    EXPECT_TRUE(Contains(printed, site.a + ".bak\n" + site.b + ".bak\n" +
                                      "Restore these 2 backup(s) over their files? [y/N] "))
        << printed;
    EXPECT_EQ(ReadFileBytes(site.a), acts ? "old a" : "new a");
    EXPECT_EQ(Contains(printed, "Nothing was changed."), !acts);
  }
}

}  // namespace
}  // namespace urlsmith::testing
