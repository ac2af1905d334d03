// The Internet check on libcurl: one light request per URL (HTTP HEAD, an FTP file or folder
// look-up, a Gopher fetch), run by the multi interface on the calling thread while the run
// view is polled for ESC and F10 every 10 ms. Addresses can also be checked ahead, many at a
// time within a total and a per-host limit. Verdicts and host connections are remembered until
// the caches are dropped; valid verdicts optionally in a file between runs as well.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/internet_check.h"
#include "text/text_types.h"

namespace urlsmith {

// A ring of a fixed number of slots, each a text key with a value; keys are compared ignoring
// ASCII letter case. While free slots remain every new key takes the next one; once all are
// taken, a new key overwrites the oldest entry. A hash index beside the ring finds keys.
template <typename Value>
class RingCache {
 public:
  static constexpr std::size_t kSlots = 4096;

  explicit RingCache(std::size_t slotCount = kSlots) : ring_(slotCount == 0 ? 1 : slotCount) {}

  // The value remembered for key, or null.
  const Value* Find(std::string_view key) const {
    const auto it = index_.find(ToLowerAscii(key));
    return it == index_.end() ? nullptr : &ring_[it->second].value;
  }

  // Remembers value for key. A key already present gets the new value in its own slot.
  void Remember(std::string_view key, Value value) {
    std::string folded = ToLowerAscii(key);
    if (const auto it = index_.find(folded); it != index_.end()) {
      ring_[it->second].value = std::move(value);
      return;
    }
    Slot& slot = ring_[next_];
    if (count_ == ring_.size()) {
      index_.erase(slot.folded);  // the oldest entry leaves
    } else {
      ++count_;
    }
    slot.folded = std::move(folded);
    slot.value = std::move(value);
    index_.emplace(slot.folded, next_);
    next_ = (next_ + 1) % ring_.size();
  }

  void Clear() {
    index_.clear();
    for (Slot& slot : ring_)
      slot = Slot{};
    count_ = 0;
    next_ = 0;
  }

  std::size_t count() const { return count_; }
  std::size_t next() const { return next_; }
  std::size_t slotCount() const { return ring_.size(); }

 private:
  struct Slot {
    std::string folded;
    Value value{};
  };
  std::vector<Slot> ring_;
  std::unordered_map<std::string, std::size_t> index_;  // folded key -> slot
  std::size_t count_ = 0;
  std::size_t next_ = 0;
};

// URLs checked since the caches were dropped: true = valid (or skipped), false = broken.
using VerdictCache = RingCache<bool>;
// Host texts (everything between "scheme://" and the first '/', port and user part included)
// connected to: true = the connection could be made, false = it could not (its URLs are
// skipped).
using ConnectionCache = RingCache<bool>;

class VerdictStore;

class CurlInternetChecker : public InternetChecker {
 public:
  static constexpr std::chrono::milliseconds kDefaultConnectTimeout{10'000};
  static constexpr std::chrono::milliseconds kDefaultRequestTimeout{30'000};
  static constexpr int kDefaultMaxConcurrency = 32;
  static constexpr int kDefaultHostConcurrency = 4;
  // Retry-After is obeyed up to this long, and at most this often per address.
  static constexpr std::chrono::seconds kMaxRetryDelay{60};
  static constexpr int kMaxPoliteRetries = 2;

  CurlInternetChecker();
  ~CurlInternetChecker() override;
  CurlInternetChecker(const CurlInternetChecker&) = delete;
  CurlInternetChecker& operator=(const CurlInternetChecker&) = delete;

  // Opens the session unless one is open already (a second pass keeps the live connections).
  // libcurl is loaded, and the session's connections made, only when an address is asked.
  void OpenSession() override;
  // Closes every connection and the session, and forgets all verdicts and hosts.
  void Reset() override;
  // 0: valid, or skipped (F10, no connection, time-out); 1: broken; -1: ESC.
  [[nodiscard]] UrlVerdict CheckInternetUrl(std::string_view url, RunView& view) override;
  int SkippedCount() const override { return skipped_; }
  bool ChecksAhead() const override { return maxConcurrency_ > 1; }
  [[nodiscard]] UrlVerdict CheckAhead(const std::vector<std::string>& urls, RunView& view) override;
  std::optional<std::string> MovedTo(std::string_view url) const override;

  // Trusts the certificates in this PEM file instead of the system's for https (empty: the
  // system's). Takes effect with the next request.
  void SetCaFile(std::string path) { caFile_ = std::move(path); }
  // Longest wait for a connection, and for a whole request (the connection included).
  void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds request) {
    connectTimeout_ = connect;
    requestTimeout_ = request;
  }
  // Transfers at once in all and per host text. A total of 1 checks each address only when
  // it is asked for, one after the other.
  void SetConcurrency(int total, int perHost) {
    maxConcurrency_ = std::max(1, total);
    hostConcurrency_ = std::max(1, perHost);
  }
  // A certificate that cannot be verified makes the address broken instead of skipped.
  void SetStrictTls(bool strict) { strictTls_ = strict; }
  // Keeps valid verdicts in this file between runs for maxAge (empty path: no such cache).
  void SetVerdictFile(std::string path, std::chrono::seconds maxAge);

  const VerdictCache& verdicts() const { return verdicts_; }
  const ConnectionCache& connections() const { return connections_; }

 private:
  struct Session;
  struct Job;
  enum class Outcome { Valid, Broken, Skipped, Stopped };
  struct Answer {
    Outcome outcome = Outcome::Skipped;
    std::string note;     // said after the verdict in the log (a certificate fault)
    std::string movedTo;  // the final address of a permanent move
  };
  enum class BatchEnd { Done, Stopped, Skipped };

  BatchEnd RunJobs(std::vector<Job>& jobs, RunView& view, int total, int perHost,
                   bool showProgress);
  // Ends the log line of url with its verdict and remembers it (in the verdict file too when
  // fresh, that is not taken from there).
  void Record(std::string_view url, const Answer& answer, bool fresh, RunView& view);
  // Whether addresses can be asked: the session is open and libcurl loaded (the first time
  // here, which also makes the session's multi handle). When libcurl cannot be loaded, the log
  // says why, once per session.
  bool SessionReady(RunView& view);
  void SaveVerdicts();
  void TellStoreWarning(RunView& view);

  int skipped_ = 0;             // this run's
  bool sessionOpen_ = false;    // OpenSession was called, and Reset not since
  bool loadFaultTold_ = false;  // the log said why libcurl is not there
  std::unique_ptr<Session> session_;
  VerdictCache verdicts_;
  ConnectionCache connections_;
  std::unordered_map<std::string, Answer> ahead_;       // folded URL -> answer found ahead
  std::unordered_map<std::string, std::string> moved_;  // folded URL -> final address
  std::unique_ptr<VerdictStore> store_;
  std::string storeWarning_;  // said in the log of the next check
  std::string caFile_;
  std::chrono::milliseconds connectTimeout_ = kDefaultConnectTimeout;
  std::chrono::milliseconds requestTimeout_ = kDefaultRequestTimeout;
  int maxConcurrency_ = kDefaultMaxConcurrency;
  int hostConcurrency_ = kDefaultHostConcurrency;
  bool strictTls_ = false;
};

}  // namespace urlsmith
