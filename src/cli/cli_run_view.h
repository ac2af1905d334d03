// The run view of the command line: the run log goes to stderr, on a terminal line by line
// under a one-line progress display, into a file or a pipe a few times a second. Ctrl-C acts as ESC
// (stop), Ctrl-\ as F10 (skip the URL being checked).
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/run_view.h"

namespace urlsmith::cli {

class CliRunView : public RunView {
 public:
  // `err` receives the log; `interactive` turns on the progress display and the questions.
  CliRunView(std::FILE* err, bool interactive, bool quiet = false);
  ~CliRunView() override;

  void ClearLog() override;
  void AppendLogLine(std::string_view text, bool continueLast) override;
  void SetOverallProgress(int pos, int range) override;
  void SetFileProgress(int pos, int range) override;
  void SetStatus(std::string_view text) override;
  void SetKeyStatus(StatusKey key) override;
  Poll StopPoll() override;
  void ShowError(std::string_view message) override;
  bool AskYesNo(std::string_view question) override;

  // Writes the last log line and clears the progress display.
  void Finish();

  // The last status text, with line breaks made blanks; key hints name the command line's keys.
  const std::string& status() const { return status_; }

  // Answers every question with Yes (--yes).
  void SetAssumeYes(bool on) { assumeYes_ = on; }

  // Installs the Ctrl-C / Ctrl-\ handlers for the life of the process.
  static void InstallSignalHandlers();

 private:
  void FlushPending();
  // Without a terminal: writes the log text not written yet, when `now` or when the last write
  // is kWriteInterval ago.
  void WriteUnwritten(bool now);
  static constexpr std::chrono::milliseconds kWriteInterval{200};
  static constexpr unsigned kPollsPerClockRead = 16;
  void ClearProgress();
  void DrawProgress(bool force);

  std::FILE* err_;
  bool interactive_;
  bool quiet_;
  bool assumeYes_ = false;
  bool hasPending_ = false;
  std::string pending_;
  std::string status_;
  int overallPos_ = 0, overallRange_ = 0;
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string unwritten_;
  std::chrono::steady_clock::time_point lastWrite_{};
  unsigned polls_ = 0;
};

}  // namespace urlsmith::cli
