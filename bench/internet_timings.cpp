// The Internet check at site scale, side by side in one run: a site whose pages link to
// distinct addresses on several loopback hosts, each answering every request after a delay,
// searched once with the addresses checked one after the other (--max-concurrency 1) and
// once with the default limits (checked ahead, many at a time).
//
//   urlsmith-netbench [ADDRESSES] [HOSTS] [DELAY-MS]   (default 400 8 200)
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/curl_checker.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"

namespace {

using namespace urlsmith;

// A host: a listening socket on 127.0.0.1 whose connections each get a thread that answers
// every request (keep-alive) with 200 after the delay.
class SlowHost {
 public:
  explicit SlowHost(int delayMs) : delayMs_(delayMs) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::listen(fd_, 128);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    std::thread([this] { Accept(); }).detach();
  }
  int port() const { return port_; }

 private:
  void Accept() {
    for (;;) {
      const int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      std::thread([this, c] { Serve(c); }).detach();
    }
  }
  void Serve(int c) const {
    std::string in;
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(c, buf, sizeof buf);
      if (n <= 0) break;
      in.append(buf, static_cast<std::size_t>(n));
      for (std::size_t end; (end = in.find("\r\n\r\n")) != std::string::npos;) {
        in.erase(0, end + 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
        static constexpr char kAnswer[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
        if (::write(c, kAnswer, sizeof kAnswer - 1) < 0) break;
      }
    }
    ::close(c);
  }
  int fd_ = -1;
  int port_ = 0;
  int delayMs_;
};

double Search(const std::string& root, int concurrency, int& checked) {
  NullRunView view;
  SearchSession session;
  auto checker = std::make_unique<CurlInternetChecker>();
  checker->SetConcurrency(concurrency, CurlInternetChecker::kDefaultHostConcurrency);
  CurlInternetChecker* own = checker.get();
  session.SetInternetChecker(std::move(checker));
  FolderAdd(session.FileList, session.fs(), view, true, root);
  session.CacheReset();
  const auto start = std::chrono::steady_clock::now();
  (void)RunSearch(session, view);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  checked = static_cast<int>(own->verdicts().count());
  return took.count();
}

}  // namespace

int main(int argc, char** argv) {
  const int addresses = argc > 1 ? std::atoi(argv[1]) : 400;
  const int hostCount = argc > 2 ? std::atoi(argv[2]) : 8;
  const int delayMs = argc > 3 ? std::atoi(argv[3]) : 200;
  std::vector<std::unique_ptr<SlowHost>> hosts;
  for (int h = 0; h < hostCount; ++h)
    hosts.push_back(std::make_unique<SlowHost>(delayMs));

  char pattern[] = "/tmp/urlsmith-netbench-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made == nullptr) return 1;
  const std::string root = made;
  constexpr int kLinksPerPage = 20;
  for (int page = 0; page * kLinksPerPage < addresses; ++page) {
    std::ofstream out(root + "/page" + std::to_string(page) + ".htm");
    out << "<html><body>\n";
    for (int i = page * kLinksPerPage; i < std::min(addresses, (page + 1) * kLinksPerPage); ++i) {
      const int port = hosts[static_cast<std::size_t>(i % hostCount)]->port();
      out << "<a href=\"http://127.0.0.1:" << port << "/doc" << i << ".htm\">" << i << "</a>\n";
    }
    out << "</body></html>\n";
  }

  std::printf("%d addresses on %d loopback hosts, each answering after %d ms\n", addresses,
              hostCount, delayMs);
  int checkedSerial = 0;
  int checkedAhead = 0;
  const double serial = Search(root, 1, checkedSerial);
  std::printf("  --max-concurrency 1:  %8.2f s  (%d addresses checked)\n", serial, checkedSerial);
  const double ahead = Search(root, CurlInternetChecker::kDefaultMaxConcurrency, checkedAhead);
  std::printf("  defaults (%d, %d per host): %8.2f s  (%d addresses checked)\n",
              CurlInternetChecker::kDefaultMaxConcurrency,
              CurlInternetChecker::kDefaultHostConcurrency, ahead, checkedAhead);
  std::printf("  faster by %.1fx\n", serial / ahead);
  std::filesystem::remove_all(root);
  return 0;
}
