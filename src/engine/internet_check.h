// The Internet check of http, https, ftp and gopher URLs, with the caches of a run.
#pragma once

#include <string_view>

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
};

}  // namespace urlsmith
