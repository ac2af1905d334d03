// The per-user cache of Internet verdicts kept between runs: addresses found valid, with the
// time they were checked and, for a permanent move, the final address. Broken and skipped
// addresses are never kept, so they are always asked again.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace urlsmith {

class VerdictStore {
 public:
  VerdictStore(std::string path, std::chrono::seconds maxAge);

  // The cache file of this user: $XDG_CACHE_HOME/urlsmith/verdicts.tsv, or ~/.cache/... when
  // XDG_CACHE_HOME is not set; empty when neither is known.
  static std::string DefaultPath();

  // Reads the file (a missing one is an empty cache). A file that cannot be understood is
  // ignored: the warning says so, and the next save replaces it.
  std::optional<std::string> Load();
  // Writes the verdicts to a new file that then takes the old one's place. False on failure.
  bool Save() const;

  // The answer kept for url when younger than the age limit: the final address of a permanent
  // move, or an empty text for a plain valid verdict.
  std::optional<std::string> FindValid(std::string_view url) const;
  void RememberValid(std::string_view url, std::string movedTo);
  void Forget(std::string_view url);

  const std::string& path() const { return path_; }
  bool dirty() const { return dirty_; }

 private:
  struct Entry {
    std::int64_t checkedAt = 0;  // seconds since the epoch
    std::string url;             // as first checked
    std::string movedTo;
  };
  std::string path_;
  std::chrono::seconds maxAge_;
  std::unordered_map<std::string, Entry> entries_;  // folded URL -> entry
  bool dirty_ = false;
};

}  // namespace urlsmith
