#include <gtest/gtest.h>

#include "app/entry.h"
#include "app/shell_integration.h"

namespace urlsmith::app {
namespace {

TEST(Entry, TailSwitchesAndStartPath) {
  const char* argv[] = {"urlsmith", "/home/u/my", "site", ""};
  EXPECT_EQ(CommandTail(1, argv), "");
  EXPECT_EQ(CommandTail(4, argv), "/home/u/my site ");  // joined by single blanks
  // Switches match only as the whole tail, in any case; a leading quote takes the last
  // character with it, closing quote or not.
  const std::tuple<const char*, Job, const char*> cases[] = {
      // clang-format off
      {"-UnInstall", Job::Uninstall, "-UnInstall"}, {"-shell ", Job::Wizard, "-shell "},
      {" -shell", Job::Wizard, " -shell"}, {"-shellx", Job::Wizard, "-shellx"},
      {"", Job::Wizard, ""}, {"/web/site", Job::Wizard, "/web/site"},
      {"\"/web/my site\"", Job::Wizard, "/web/my site"}, {"\"/web/site", Job::Wizard, "/web/sit"},
      {"\"", Job::Wizard, ""}, {"/web/\"a\"", Job::Wizard, "/web/\"a\""},
      // clang-format on
  };
  for (const auto& [tail, job, path] : cases)
    EXPECT_EQ(std::pair(JobOfTail(tail), StartPathOfTail(tail)), std::pair(job, std::string(path)))
        << '"' << tail << '"';
  EXPECT_EQ(ProgramFolder("/usr/bin/urlsmith"), "/usr/bin/");
  EXPECT_EQ(ProgramFolder("/urlsmith"), "/");
  EXPECT_EQ(ProgramFolder("urlsmith"), "./");
  EXPECT_EQ(DesktopExec("/a\"b$c`d\\e%f"), "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f\" %f");
}

}  // namespace
}  // namespace urlsmith::app
