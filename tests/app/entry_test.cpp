// The command line: tail, switches, the start-path quote rule; the folder action's Exec line.
#include <gtest/gtest.h>

#include "app/entry.h"
#include "app/shell_integration.h"

namespace urlsmith::app {
namespace {

TEST(Entry, TailIsTheArgumentsJoinedBySingleBlanks) {
  const char* argv[] = {"urlsmith", "/home/u/my", "site", ""};
  EXPECT_EQ(CommandTail(1, argv), "");
  EXPECT_EQ(CommandTail(3, argv), "/home/u/my site");
  EXPECT_EQ(CommandTail(4, argv), "/home/u/my site ");
}

TEST(Entry, SwitchesMatchOnlyAsTheWholeTailInAnyCase) {
  const struct {
    const char* tail;
    Job job;
  } cases[] = {
      {"-uninstall", Job::Uninstall}, {"-UnInstall", Job::Uninstall},
      {"-shell", Job::Shell},         {"-SHELL", Job::Shell},
      {"-shell ", Job::Wizard},       {" -shell", Job::Wizard},
      {"-shellx", Job::Wizard},       {"", Job::Wizard},
      {"/site", Job::Wizard},
  };
  for (const auto& c : cases)
    EXPECT_EQ(JobOfTail(c.tail), c.job) << '"' << c.tail << '"';
}

TEST(Entry, LeadingQuoteGoesWithTheLastCharacter) {
  const struct {
    const char* tail;
    const char* path;
  } cases[] = {
      {"", ""},
      {"/web/site", "/web/site"},
      {"\"/web/my site\"", "/web/my site"},
      {"\"/web/site", "/web/sit"},  // no closing quote: the last character goes anyway
      {"\"", ""},
      {"/web/\"a\"", "/web/\"a\""},
      {"-shell ", "-shell "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StartPathOfTail(c.tail), c.path) << c.tail;
}

TEST(Entry, ProgramFolderEndsInASlash) {
  EXPECT_EQ(ProgramFolder("/usr/bin/urlsmith"), "/usr/bin/");
  EXPECT_EQ(ProgramFolder("/urlsmith"), "/");
  EXPECT_EQ(ProgramFolder("urlsmith"), "./");
}

TEST(Entry, ExecQuotesTheProgramAndEscapesWhatTheEntryNeeds) {
  EXPECT_EQ(DesktopExec("/opt/Url smith/urlsmith"), "\"/opt/Url smith/urlsmith\" %f");
  EXPECT_EQ(DesktopExec("/a\"b$c`d\\e%f"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\" %f");
}

}  // namespace
}  // namespace urlsmith::app
