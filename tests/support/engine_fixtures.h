// Helpers of the engine tests: an Internet check that answers from a script, and the set of
// test servers the real Internet check is tried against.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/internet_check.h"
#include "engine/search_model.h"
#include "support/test_support.h"

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

// The session's rows, one line each: "FILE TAG VALUE SPAN QUOTE URL -> REPLACEMENT", FILE the
// page's path after `folder` and a separator (the whole path when it does not start there).
std::vector<std::string> RowLines(const SearchSession& session, std::string_view folder = "");

// One server of each kind of tests/engine/servers/check_servers.py on 127.0.0.1, with the files
// the FTP server serves (docs/readme.txt, empty.txt, "with space.txt", the folder pub) and the
// certificate (for 127.0.0.1) the HTTPS server shows.
struct CheckServers {
  CheckServers();
  // Whether every server runs and the certificate was made.
  bool Ready() const;

  TempDir dir;
  std::string cert;
  std::unique_ptr<ServerProcess> http, https, ftp, gopher, silent;
};

// "127.0.0.N:PORT" of a server.
std::string HostOf(const ServerProcess& server, int address = 1);
// A port on 127.0.0.1 where nobody listens.
int ClosedPort();

}  // namespace urlsmith::testing
