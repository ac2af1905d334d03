// Helpers shared by the tests: temporary folders with real files, sessions over them, programs
// and test servers run as processes, and a run view that records what a run shows and answers
// keyboard polls from a script.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_view.h"
#include "engine/search_model.h"
#include "text/file_system.h"
#include "text/text_types.h"

namespace urlsmith::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's absolute path, without a trailing '/'.
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string operator/(std::string_view relative) const;
  // Writes a file (creating its folders) and returns its absolute path.
  std::string Write(std::string_view relative, std::string_view bytes) const;
  std::string WriteBytes(std::string_view relative, const std::vector<std::uint8_t>& bytes) const;
  // Creates a folder (and its parents) and returns its absolute path.
  std::string MakeDir(std::string_view relative) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);

// Every file under `folder` with its bytes, by its '/'-separated name relative to `folder`;
// with FilesAndFolders every folder too, as "<folder>".
enum class TreeOf { Files, FilesAndFolders };
std::map<std::string, std::string> Tree(const std::string& folder, TreeOf what = TreeOf::Files);

// A session over everything in `folder` (through `fileSystem` if given), Internet checks off.
std::unique_ptr<SearchSession> SessionOver(const std::string& folder,
                                           std::shared_ptr<FileSystem> fileSystem = nullptr);

// A link-table row for hand-made tables: the value is quoted, so its span is the URL and two
// quotes.
LinkEntry Row(std::string url, std::string replacement, std::int32_t tagPos = 10,
              std::int32_t valuePos = 15, std::int32_t fileIndex = 0);

bool Contains(std::string_view text, std::string_view part);
bool Contains(const std::vector<std::string>& lines, std::string_view line);

// A program started with its stdout and stderr going to files and stdin empty, or with
// `holdStdin` a pipe that stays open while the object lives; killed (if it still runs) and
// waited for when the object goes.
class Process {
 public:
  explicit Process(const std::vector<std::string>& argv, bool holdStdin = false);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  pid_t pid() const { return pid_; }
  // Its exit status, or 128 + the signal that ended it.
  int Wait();
  // What it has printed so far.
  std::string Out() const { return ReadFileBytes(io_ / "out"); }
  std::string Err() const { return ReadFileBytes(io_ / "err"); }

 private:
  TempDir io_;
  pid_t pid_ = -1;
  int exitCode_ = -1;
  int stdin_ = -1;
};

// A test server of tests/engine/servers/check_servers.py on 127.0.0.1 (HTTP, HTTPS, FTP, Gopher,
// or one that accepts connections and never answers), started with the script's arguments; its
// port is the first line it prints. It also ends by itself when its stdin closes.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& args);
  // 0 when the server did not start.
  int port() const { return port_; }

 private:
  Process process_;
  int port_ = 0;
};

// Runs a program to its end with stdin empty; returns its exit status and what it printed.
struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
ProcessResult RunProcess(const std::vector<std::string>& argv);
#ifdef URLSMITH_CLI_PATH
// The command-line program with these arguments (in the test programs that run it).
inline ProcessResult RunCli(const std::vector<std::string>& args) {
  std::vector<std::string> argv{URLSMITH_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv);
}
#endif

// Text as UTF-16 with a byte-order mark: little-endian (FF FE) or big-endian (FE FF).
std::vector<std::uint8_t> Utf16Bytes(std::string_view utf8, bool bigEndian, bool withBom = true);

// A TextView over a string (single-byte text).
TextView AnsiView(std::string_view text, CodePage cp = CodePage::Utf8);
inline TextView Utf16View(const std::vector<std::uint8_t>& units) {
  return TextView{units.data(), static_cast<Pos>(units.size()), FileEncoding::Utf16Le,
                  CodePage::Utf8};
}

// Records everything a run shows; key hints are recorded as the wizard words them. StopPoll answers
// come from `polls` (front first), then Go; `onPoll` (if set) is called on every poll before that.
class RecordingRunView : public RunView {
 public:
  void ClearLog() override { log.clear(); }
  void AppendLogLine(std::string_view text, bool continueLast) override;
  void SetOverallProgress(int pos, int range) override { overall.emplace_back(pos, range); }
  void SetFileProgress(int pos, int range) override { file.emplace_back(pos, range); }
  void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
  void SetKeyStatus(StatusKey key) override;
  Poll StopPoll() override;
  void ShowError(std::string_view message) override { errors.emplace_back(message); }
  bool AskYesNo(std::string_view question) override;

  std::vector<std::string> log;
  std::vector<std::string> statuses;
  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::vector<std::pair<int, int>> overall;  // (pos, range)
  std::vector<std::pair<int, int>> file;     // (pos, range)
  std::deque<Poll> polls;
  std::function<Poll(int pollNumber)> onPoll;  // when set, decides every answer
  std::deque<bool> answers;                    // AskYesNo answers, then false
  int pollCount = 0;

  std::string status() const { return statuses.empty() ? std::string() : statuses.back(); }
  std::string LogText() const;  // every line, '\n' after each
};

}  // namespace urlsmith::testing
