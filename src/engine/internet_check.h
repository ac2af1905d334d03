// The Internet check of http, https, ftp and gopher URLs, with the caches of a run.
#pragma once

#include <string_view>

#include "engine/run_view.h"

namespace urlsmith {

class InternetChecker {
 public:
  virtual ~InternetChecker() = default;
  // Opens the Internet session at the start of a search run.
  virtual void OpenSession() = 0;
  // Drops the caches and closes the session (when the processing options are shown again).
  virtual void Reset() = 0;
  // 0: valid, or skipped; 1: broken; -1: the user stopped the run.
  virtual int CheckInternetUrl(std::string_view url, RunView& view) = 0;
};

}  // namespace urlsmith
