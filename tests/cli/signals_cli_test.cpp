// Ctrl-C and Ctrl-\ reach the command line's run: a hanging Internet check is skipped or the
// run is stopped, while the program keeps its exit-status promise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/test_servers.h"
#include "support/test_support.h"

namespace urlsmith {
namespace {

using testing::TempDir;
using Clock = std::chrono::steady_clock;

struct Running {
  pid_t pid = -1;
  int err = -1;  // the program's stderr
  std::string errText;

  // Reads stderr until `text` appears or the time is up.
  bool WaitFor(const std::string& text, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (errText.find(text) == std::string::npos) {
      if (Clock::now() > end) return false;
      pollfd p{err, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(err, buf, sizeof buf);
      if (n <= 0) return errText.find(text) != std::string::npos;
      errText.append(buf, static_cast<std::size_t>(n));
    }
    return true;
  }

  int Wait() {
    char buf[4096];
    ssize_t n;
    while ((n = ::read(err, buf, sizeof buf)) > 0)
      errText.append(buf, static_cast<std::size_t>(n));
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
};

Running StartCli(const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  Running r;
  r.pid = ::fork();
  if (r.pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    std::vector<char*> argv{const_cast<char*>(URLSMITH_CLI_PATH)};
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  r.err = fds[0];
  return r;
}

class SignalsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server_.port() == 0) GTEST_SKIP() << "no local test server";
    const std::string url = "http://127.0.0.1:" + std::to_string(server_.port()) + "/hang";
    dir_.Write("index.htm", "<a href=\"" + url + "\">away</a> <a href=\"gone.htm\">gone</a>");
  }
  testing::ServerProcess server_{{"silent"}};
  TempDir dir_;
};

TEST_F(SignalsCli, CtrlBackslashSkipsTheHangingUrl) {
  Running run = StartCli({"scan", dir_.path()});
  // The addresses are checked ahead of the link search, which logs them afterwards.
  ASSERT_TRUE(run.WaitFor(">> Finding Unicode files", std::chrono::seconds(20))) << run.errText;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ::kill(run.pid, SIGQUIT);
  const auto started = Clock::now();
  EXPECT_EQ(run.Wait(), 1) << run.errText;  // the broken local link is still planned
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
  EXPECT_NE(run.errText.find("/hang\" in the Internet ... skipped. "), std::string::npos)
      << run.errText;
}

TEST_F(SignalsCli, CtrlCStopsTheRun) {
  Running run = StartCli({"scan", dir_.path()});
  ASSERT_TRUE(run.WaitFor(">> Finding Unicode files", std::chrono::seconds(20))) << run.errText;
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ::kill(run.pid, SIGINT);
  const auto started = Clock::now();
  EXPECT_EQ(run.Wait(), 2) << run.errText;
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
  EXPECT_NE(run.errText.find("Stopped"), std::string::npos) << run.errText;
}

}  // namespace
}  // namespace urlsmith
