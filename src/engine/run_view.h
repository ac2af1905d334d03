// What a run (search or apply) shows and asks: the step's log, progress bars and status line,
// the keyboard poll, and message boxes. The wizard, the command line and the tests each
// implement it.
#pragma once

#include <string_view>

namespace urlsmith {

// The status lines that name the keys of a run. The core says which one it means; each front
// words it with its own keys (the wizard's ESC and F10, the command line's Ctrl-C and Ctrl-\).
enum class StatusKey {
  PressEscToStop,    // the run can be stopped
  CheckingPressF10,  // an Internet address is being checked: it can be stopped or skipped
};

// The answer of the keyboard poll.
enum class Poll { Go = 0, Stop = 1, Skip = 2 };

class RunView {
 public:
  virtual ~RunView() = default;

  // Empties the run log (a new run starts).
  virtual void ClearLog() = 0;
  // Adds `text` as a new last line of the run log, or (continueLast) appends it to the last line.
  virtual void AppendLogLine(std::string_view text, bool continueLast) = 0;
  // The overall progress bar: range 0..range, position pos.
  virtual void SetOverallProgress(int pos, int range) = 0;
  // The per-file progress bar: range 0..range, position pos.
  virtual void SetFileProgress(int pos, int range) = 0;
  // The status line under the log: a text of the run (a summary, "Stopped").
  virtual void SetStatus(std::string_view text) = 0;
  // The status line under the log: the hint that names the run's keys.
  virtual void SetKeyStatus(StatusKey key) = 0;
  // Called by every long loop: Stop for ESC (stop the run), Skip for F10 (skip the URL being
  // checked), else Go. A key is reported once per press.
  virtual Poll StopPoll() = 0;
  // An error message box (caption "Urlsmith", stop icon).
  virtual void ShowError(std::string_view message) = 0;
  // A Yes/No question; false is "No", which keeps the current state.
  virtual bool AskYesNo(std::string_view question) = 0;
};

// A view that shows nothing, never stops and answers No.
class NullRunView : public RunView {
 public:
  void ClearLog() override {}
  void AppendLogLine(std::string_view, bool) override {}
  void SetOverallProgress(int, int) override {}
  void SetFileProgress(int, int) override {}
  void SetStatus(std::string_view) override {}
  void SetKeyStatus(StatusKey) override {}
  Poll StopPoll() override { return Poll::Go; }
  void ShowError(std::string_view) override {}
  bool AskYesNo(std::string_view) override { return false; }
};

}  // namespace urlsmith
