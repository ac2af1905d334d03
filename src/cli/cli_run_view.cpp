#include "cli/cli_run_view.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <iostream>

namespace urlsmith::cli {

namespace {

// Set by the signal handlers, taken by StopPoll. A second Ctrl-C before the first was seen
// ends the program the ordinary way.
std::atomic<int> gStopRequests{0};
std::atomic<int> gSkipRequests{0};

void OnInterrupt(int) {
  if (gStopRequests.fetch_add(1) > 0) {
    ::signal(SIGINT, SIG_DFL);
    ::raise(SIGINT);
  }
}

void OnQuit(int) {
  gSkipRequests.fetch_add(1);
}

int TerminalWidth(std::FILE* f) {
  winsize ws{};
  if (::ioctl(::fileno(f), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 10) return ws.ws_col;
  return 80;
}

}  // namespace

void CliRunView::InstallSignalHandlers() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  sa.sa_handler = OnQuit;
  ::sigaction(SIGQUIT, &sa, nullptr);
}

CliRunView::CliRunView(std::FILE* err, bool interactive, bool quiet)
    : err_(err), interactive_(interactive), quiet_(quiet) {}

CliRunView::~CliRunView() {
  Finish();
}

void CliRunView::ClearLog() {
  FlushPending();
}

void CliRunView::ClearProgress() {
  if (progressShown_) {
    std::fputs("\r\033[K", err_);
    progressShown_ = false;
  }
}

void CliRunView::FlushPending() {
  if (!hasPending_) return;
  ClearProgress();
  if (!quiet_) {
    if (interactive_) {
      std::fwrite(pending_.data(), 1, pending_.size(), err_);
      std::fputc('\n', err_);
      std::fflush(err_);
    } else {
      // Without a terminal the line's text is already on its way (see AppendLogLine): only
      // end it.
      unwritten_ += '\n';
      WriteUnwritten(false);
    }
  }
  pending_.clear();
  hasPending_ = false;
}

void CliRunView::WriteUnwritten(bool now) {
  if (unwritten_.empty()) return;
  const auto time = std::chrono::steady_clock::now();
  if (!now && time - lastWrite_ < kWriteInterval) return;
  std::fwrite(unwritten_.data(), 1, unwritten_.size(), err_);
  std::fflush(err_);
  unwritten_.clear();
  lastWrite_ = time;
}

void CliRunView::AppendLogLine(std::string_view text, bool continueLast) {
  if (!continueLast || !hasPending_) FlushPending();
  pending_ += text;
  hasPending_ = true;
  if (!interactive_ && !quiet_) {
    // Into a file or a pipe the log goes out every few tenths of a second, and at once before
    // an Internet check (SetKeyStatus), so a reader sees which address is being checked while
    // the check hangs.
    unwritten_ += text;
    WriteUnwritten(false);
  }
  DrawProgress(false);
}

void CliRunView::SetOverallProgress(int pos, int range) {
  overallPos_ = pos;
  overallRange_ = range;
  DrawProgress(false);
}

void CliRunView::SetFileProgress(int, int) {}

void CliRunView::SetStatus(std::string_view text) {
  status_.assign(text);
  for (char& c : status_) {
    if (c == '\n') c = ' ';
  }
  DrawProgress(true);
}

void CliRunView::SetKeyStatus(StatusKey key) {
  WriteUnwritten(true);
  // On the command line Ctrl-C stops and Ctrl-\ skips.
  switch (key) {
    case StatusKey::PressEscToStop:
      SetStatus("Press Ctrl-C to stop");
      return;
    case StatusKey::CheckingPressF10:
      SetStatus(
          "Press Ctrl-C to stop If checking freezes for a long time, press Ctrl-\\ to skip the "
          "URL");
      return;
  }
}

void CliRunView::DrawProgress(bool force) {
  if (!interactive_ || quiet_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  std::string line;
  if (overallRange_ > 0) {
    line = "[" + std::to_string(overallPos_) + "/" + std::to_string(overallRange_) + "] ";
  }
  line += hasPending_ ? pending_ : status_;
  const auto width = static_cast<std::size_t>(TerminalWidth(err_) - 1);
  if (line.size() > width) line = "..." + line.substr(line.size() - (width - 3));
  std::fputs("\r\033[K", err_);
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fflush(err_);
  progressShown_ = true;
}

Poll CliRunView::StopPoll() {
  if (gStopRequests.load() > 0) {
    gStopRequests.store(0);
    return Poll::Stop;
  }
  if (gSkipRequests.load() > 0) {
    gSkipRequests.store(0);
    return Poll::Skip;
  }
  // The search polls after every address, an Internet check every hundredth of a second: the
  // clock is read at every few polls only.
  if (++polls_ % kPollsPerClockRead == 0) {
    WriteUnwritten(false);
    DrawProgress(false);
  }
  return Poll::Go;
}

void CliRunView::ShowError(std::string_view message) {
  FlushPending();
  WriteUnwritten(true);
  ClearProgress();
  std::string text(message);
  std::fprintf(err_, "urlsmith-cli: %s\n", text.c_str());
  std::fflush(err_);
}

bool CliRunView::AskYesNo(std::string_view question) {
  FlushPending();
  WriteUnwritten(true);
  ClearProgress();
  if (assumeYes_) return true;
  if (!interactive_ || !::isatty(STDIN_FILENO)) return false;
  std::string text(question);
  std::fprintf(err_, "%s [y/N] ", text.c_str());
  std::fflush(err_);
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void CliRunView::Finish() {
  FlushPending();
  WriteUnwritten(true);
  ClearProgress();
}

}  // namespace urlsmith::cli
