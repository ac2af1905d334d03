#include "support/test_support.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "app/run_texts.h"
#include "engine/file_adds.h"

namespace urlsmith::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "urlsmith-test-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission first so read-only test folders can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(path_, ec);
}

std::string TempDir::operator/(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

std::string TempDir::Write(std::string_view relative, std::string_view bytes) const {
  const std::string full = *this / relative;
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + full);
  return full;
}

std::string TempDir::WriteBytes(std::string_view relative,
                                const std::vector<std::uint8_t>& bytes) const {
  return Write(relative,
               std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string TempDir::MakeDir(std::string_view relative) const {
  const std::string full = *this / relative;
  fs::create_directories(full);
  return full;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::map<std::string, std::string> Tree(const std::string& folder, TreeOf what) {
  std::map<std::string, std::string> entries;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(e.path(), folder).generic_string();
    if (e.is_regular_file()) {
      entries[name] = ReadFileBytes(e.path().string());
    } else if (what == TreeOf::FilesAndFolders && e.is_directory()) {
      entries[name] = "<folder>";
    }
  }
  return entries;
}

std::unique_ptr<SearchSession> SessionOver(const std::string& folder,
                                           std::shared_ptr<FileSystem> fileSystem) {
  auto session = std::make_unique<SearchSession>(PathStyle::Posix, std::move(fileSystem));
  RecordingRunView quiet;
  FolderAdd(session->FileList, session->fs(), quiet, true, folder);
  session->Search.CheckInternetUrls = false;
  session->CacheReset();
  return session;
}

LinkEntry Row(std::string url, std::string replacement, std::int32_t tagPos, std::int32_t valuePos,
              std::int32_t fileIndex) {
  LinkEntry row;
  row.FileIndex = fileIndex;
  row.TagPos = tagPos;
  row.ValuePos = valuePos;
  row.SpanLength = static_cast<std::int32_t>(url.size()) + 2;
  row.QuoteLength = 1;
  row.Url = std::move(url);
  row.Replacement = std::move(replacement);
  return row;
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool Contains(const std::vector<std::string>& lines, std::string_view line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

Process::Process(const std::vector<std::string>& argv, bool holdStdin) {
  const std::string out = io_ / "out", err = io_ / "err";
  std::vector<char*> args;  // made before the fork: the child only calls what is safe there
  for (const auto& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int in[2] = {-1, -1};
  if (holdStdin && ::pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    ::dup2(holdStdin ? in[0] : ::open("/dev/null", O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (holdStdin) ::close(in[0]);
  stdin_ = in[1];
}

Process::~Process() {
  if (exitCode_ < 0) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
  if (stdin_ >= 0) ::close(stdin_);
}

int Process::Wait() {
  int status = 0;
  while (exitCode_ < 0) {
    if (::waitpid(pid_, &status, 0) == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    } else if (errno != EINTR) {
      break;
    }
  }
  return exitCode_;
}

namespace {
std::vector<std::string> ServerCommand(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/usr/bin/python3",
                                URLSMITH_SOURCE_DIR "/tests/engine/servers/check_servers.py"};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}
}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& args)
    : process_(ServerCommand(args), true) {
  std::string out;
  for (int i = 0; i < 400 && (out = process_.Out()).find('\n') == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  port_ = std::atoi(out.c_str());
}

ProcessResult RunProcess(const std::vector<std::string>& argv) {
  Process p(argv);
  const int code = p.Wait();
  return {code, p.Out(), p.Err()};
}

std::vector<std::uint8_t> Utf16Bytes(std::string_view utf8, bool bigEndian, bool withBom) {
  std::vector<std::uint16_t> units;
  if (withBom) units.push_back(0xFEFF);
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    if (cp >= 0x10000) {  // a surrogate pair
      units.push_back(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      cp = 0xDC00 + (cp & 0x3FF);
    }
    units.push_back(static_cast<std::uint16_t>(cp));
  }
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(bigEndian ? u >> 8 : u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(bigEndian ? u & 0xFF : u >> 8));
  }
  return bytes;
}

TextView AnsiView(std::string_view text, CodePage cp) {
  return TextView{reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<Pos>(text.size()),
                  FileEncoding::Ansi, cp};
}

void RecordingRunView::AppendLogLine(std::string_view text, bool continueLast) {
  if (continueLast && !log.empty()) {
    log.back() += text;
  } else {
    log.emplace_back(text);
  }
}

void RecordingRunView::SetKeyStatus(StatusKey key) {
  statuses.emplace_back(app::StatusKeyText(key));
}

Poll RecordingRunView::StopPoll() {
  ++pollCount;
  if (onPoll) return onPoll(pollCount);
  if (polls.empty()) return Poll::Go;
  const Poll p = polls.front();
  polls.pop_front();
  return p;
}

bool RecordingRunView::AskYesNo(std::string_view question) {
  questions.emplace_back(question);
  if (answers.empty()) return false;
  const bool a = answers.front();
  answers.pop_front();
  return a;
}

std::string RecordingRunView::LogText() const {
  std::string out;
  for (const auto& l : log)
    out += l + "\n";
  return out;
}

}  // namespace urlsmith::testing
