#include "engine/verdict_store.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "text/text_types.h"

namespace urlsmith {

// The file: a first line naming the format, then one line per address:
// seconds-since-epoch TAB url TAB moved-to-address (empty when it did not move).
namespace {

constexpr std::string_view kHeader = "urlsmith-verdicts 1";

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

VerdictStore::VerdictStore(std::string path, std::chrono::seconds maxAge)
    : path_(std::move(path)), maxAge_(maxAge) {}

std::string VerdictStore::DefaultPath() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && *xdg == '/') return std::string(xdg) + "/urlsmith/verdicts.tsv";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.cache/urlsmith/verdicts.tsv";
  return {};
}

std::optional<std::string> VerdictStore::Load() {
  entries_.clear();
  dirty_ = false;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  auto corrupt = [this]() -> std::optional<std::string> {
    entries_.clear();
    dirty_ = true;  // the next save writes a sound file in its place
    return "The cache of Internet verdicts " + path_ + " cannot be read and is ignored";
  };
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return corrupt();
  while (std::getline(in, line)) {
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || tab1 == 0) return corrupt();
    Entry e;
    const std::string stamp = line.substr(0, tab1);
    char* end = nullptr;
    e.checkedAt = std::strtoll(stamp.c_str(), &end, 10);
    if (end == nullptr || *end != '\0') return corrupt();
    e.url = line.substr(tab1 + 1, tab2 - tab1 - 1);
    e.movedTo = line.substr(tab2 + 1);
    if (e.url.empty()) return corrupt();
    entries_[ToLowerAscii(e.url)] = std::move(e);
  }
  return std::nullopt;
}

bool VerdictStore::Save() const {
  namespace fs = std::filesystem;
  if (path_.empty()) return false;
  std::error_code ec;
  const fs::path target(path_);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  const std::string temp = path_ + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << kHeader << '\n';
    for (const auto& [key, e] : entries_)
      out << e.checkedAt << '\t' << e.url << '\t' << e.movedTo << '\n';
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

std::optional<std::string> VerdictStore::FindValid(std::string_view url) const {
  const auto it = entries_.find(ToLowerAscii(url));
  if (it == entries_.end()) return std::nullopt;
  const std::int64_t age = Now() - it->second.checkedAt;
  if (age < 0 || age >= maxAge_.count()) return std::nullopt;
  return it->second.movedTo;
}

void VerdictStore::RememberValid(std::string_view url, std::string movedTo) {
  entries_[ToLowerAscii(url)] = Entry{Now(), std::string(url), std::move(movedTo)};
  dirty_ = true;
}

void VerdictStore::Forget(std::string_view url) {
  if (entries_.erase(ToLowerAscii(url)) > 0) dirty_ = true;
}

}  // namespace urlsmith
