// Helpers of the engine tests: an Internet check that answers from a script.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/internet_check.h"

namespace urlsmith::testing {

// Answers each URL with its verdict in `verdicts`, else with `fallback`; records what it was
// asked.
class ScriptedChecker : public InternetChecker {
 public:
  explicit ScriptedChecker(UrlVerdict otherwise = UrlVerdict::Valid) : fallback(otherwise) {}
  void OpenSession() override {}
  void Reset() override {}
  UrlVerdict CheckInternetUrl(std::string_view url, RunView&) override {
    asked.emplace_back(url);
    const auto it = verdicts.find(std::string(url));
    return it == verdicts.end() ? fallback : it->second;
  }

  std::map<std::string, UrlVerdict> verdicts;
  UrlVerdict fallback;
  std::vector<std::string> asked;
};

}  // namespace urlsmith::testing
