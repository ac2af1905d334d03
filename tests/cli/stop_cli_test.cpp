// Ctrl-C while fix shows its plan: the run ends there and no file is touched.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "cli/cli_app.h"
#include "cli/cli_run_view.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

// A stream that collects what is written to it and presses Ctrl-C once when a text shows up.
struct InterruptingStream {
  std::string text;
  std::string trigger;
  bool raised = false;

  static ssize_t Write(void* cookie, const char* data, std::size_t size) {
    auto* self = static_cast<InterruptingStream*>(cookie);
    self->text.append(data, size);
    if (!self->raised && !self->trigger.empty() &&
        self->text.find(self->trigger) != std::string::npos) {
      self->raised = true;
      ::raise(SIGINT);
    }
    return static_cast<ssize_t>(size);
  }
  std::FILE* Open() {
    cookie_io_functions_t io{};
    io.write = &InterruptingStream::Write;
    std::FILE* f = ::fopencookie(this, "w", io);
    std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
  }
};

TEST(StopCli, CtrlCAfterTheSearchStopsFixBeforeAnyFileIsWritten) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"unsorted", {}},
      {"sorted by URL", {"--sort", "url"}},
  };
  cli::CliRunView::InstallSignalHandlers();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string page = dir.Write("a.htm", "<a href=\"www.example.com\">x</a>");
    std::vector<std::string> args = {"fix", "--no-internet", "--yes"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir.path());

    InterruptingStream out;
    InterruptingStream err;
    // The search's summary is the last thing written before the plan is built.
    err.trigger = "change(s) to apply in";
    std::FILE* outFile = out.Open();
    std::FILE* errFile = err.Open();
    const int code = cli::RunCli(args, outFile, errFile);
    std::fclose(outFile);
    std::fclose(errFile);

    EXPECT_TRUE(err.raised);
    EXPECT_EQ(code, 2) << err.text;
    EXPECT_EQ(ReadFileBytes(page), "<a href=\"www.example.com\">x</a>");
    EXPECT_FALSE(std::filesystem::exists(page + ".bak"));
  }
  ::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace urlsmith
