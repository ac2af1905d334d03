#include "support/engine_fixtures.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace urlsmith::testing {

std::vector<std::string> RowLines(const SearchSession& session, std::string_view folder) {
  std::vector<std::string> lines;
  for (const LinkEntry& r : session.LinkTable) {
    std::string file = session.FileList.path(r.FileIndex);
    if (!folder.empty() && file.starts_with(folder)) file.erase(0, folder.size() + 1);
    lines.push_back(file + " " + std::to_string(r.TagPos) + " " + std::to_string(r.ValuePos) + " " +
                    std::to_string(r.SpanLength) + " " + std::to_string(r.QuoteLength) + " " +
                    r.Url + " -> " + r.Replacement);
  }
  return lines;
}

CheckServers::CheckServers() : cert(dir / "cert.pem") {
  const std::string key = dir / "key.pem";
  const std::string command =
      "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
      " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
      key + "' -out '" + cert + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) cert.clear();
  dir.Write("ftp/docs/readme.txt", "Read me.\n");
  dir.Write("ftp/empty.txt", "");
  dir.Write("ftp/with space.txt", "spaced\n");
  dir.MakeDir("ftp/pub");
  using Args = std::vector<std::string>;
  http = std::make_unique<ServerProcess>(Args{"http"});
  https = std::make_unique<ServerProcess>(Args{"https", cert, key});
  ftp = std::make_unique<ServerProcess>(Args{"ftp", dir / "ftp"});
  gopher = std::make_unique<ServerProcess>(Args{"gopher"});
  silent = std::make_unique<ServerProcess>(Args{"silent"});
}

bool CheckServers::Ready() const {
  return !cert.empty() && http->port() != 0 && https->port() != 0 && ftp->port() != 0 &&
         gopher->port() != 0 && silent->port() != 0;
}

std::string HostOf(const ServerProcess& server, int address) {
  return "127.0.0." + std::to_string(address) + ":" + std::to_string(server.port());
}

int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

}  // namespace urlsmith::testing
