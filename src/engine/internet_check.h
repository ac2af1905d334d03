// The Internet check of http, https, ftp and gopher URLs, with the caches of a run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_view.h"

namespace urlsmith {

// The verdict on one Internet URL.
enum class UrlVerdict {
  Valid,    // valid, or skipped (not reached, F10, time-out): the link stays as it is
  Broken,   // the server says it is not there
  Stopped,  // the user stopped the run
};

class InternetChecker {
 public:
  virtual ~InternetChecker() = default;
  // Opens the Internet session at the start of a search run.
  virtual void OpenSession() = 0;
  // Drops the caches and closes the session (when the processing options are shown again).
  virtual void Reset() = 0;
  [[nodiscard]] virtual UrlVerdict CheckInternetUrl(std::string_view url, RunView& view) = 0;
  // The addresses of this run that could not be checked (no connection, no name, time-out, F10):
  // they count as valid, and the run's summary says how many there were.
  virtual int SkippedCount() const { return 0; }

  // Whether the checker wants the run's addresses before the link search, to check them all
  // at once (CheckAhead). Checkers that check one address at a time say no.
  virtual bool ChecksAhead() const { return false; }
  // Checks these addresses ahead of the link search, many at a time; CheckInternetUrl then
  // answers them from what was found (and logs them as it always does). Nothing is logged here.
  // Stopped when the user stopped the run; F10 gives up on the addresses not yet answered, which
  // then count as skipped.
  [[nodiscard]] virtual UrlVerdict CheckAhead(const std::vector<std::string>& urls, RunView& view) {
    (void)urls;
    (void)view;
    return UrlVerdict::Valid;
  }
  // The final address of a URL found valid that answered with permanent redirects (301, 308)
  // only; empty when it did not move or the checker does not follow such moves.
  virtual std::optional<std::string> MovedTo(std::string_view url) const {
    (void)url;
    return std::nullopt;
  }
};

}  // namespace urlsmith
