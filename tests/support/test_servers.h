// The test servers on 127.0.0.1 (HTTP, HTTPS, FTP, Gopher, and one that accepts connections and
// never answers), each a process of tests/engine/servers/check_servers.py.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace urlsmith::testing {

// One server process: started with the script's arguments, its port read from its first line
// of output, killed when the object goes. It also ends by itself when its stdin closes.
class ServerProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& args);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // 0 when the server did not start.
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int port_ = 0;
};

}  // namespace urlsmith::testing
