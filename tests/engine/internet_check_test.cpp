// The Internet check against real HTTP, HTTPS, FTP and Gopher servers on 127.0.0.1, started
// for this test from tests/engine/servers/check_servers.py.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/curl_checker.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"
#include "engine/verdict_store.h"
#include "support/test_servers.h"
#include "support/test_support.h"

extern char** environ;

namespace urlsmith {
namespace {

using testing::RecordingRunView;
using testing::ServerProcess;
using testing::TempDir;
using namespace std::chrono_literals;

constexpr char kChecking[] =
    "Press ESC to stop\nIf checking freezes for a long time, press F10 to skip the URL";
constexpr char kIdle[] = "Press ESC to stop";

std::string LogLine(const std::string& url, const std::string& verdict) {
  return "Checking \"" + url + "\" in the Internet ... " + verdict;
}

// A port on 127.0.0.1 where nobody listens.
int ClosedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// The servers shared by every test of the suite, with their files.
struct Servers {
  TempDir dir;
  std::string cert;
  std::unique_ptr<ServerProcess> http, https, ftp, gopher, silent;

  Servers() {
    cert = dir / "cert.pem";
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
    http = std::make_unique<ServerProcess>(std::vector<std::string>{"http"});
    https = std::make_unique<ServerProcess>(std::vector<std::string>{"https", cert, key});
    ftp = std::make_unique<ServerProcess>(std::vector<std::string>{"ftp", dir / "ftp"});
    gopher = std::make_unique<ServerProcess>(std::vector<std::string>{"gopher"});
    silent = std::make_unique<ServerProcess>(std::vector<std::string>{"silent"});
  }
};

class InternetCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new Servers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(servers_->http->port(), 0);
    ASSERT_NE(servers_->https->port(), 0);
    ASSERT_NE(servers_->ftp->port(), 0);
    ASSERT_NE(servers_->gopher->port(), 0);
    ASSERT_NE(servers_->silent->port(), 0);
    ASSERT_FALSE(servers_->cert.empty());
    checker_.OpenSession();
  }

  static std::string Http(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(servers_->http->port()) + path;
  }
  static std::string Https(const std::string& path) {
    return "https://127.0.0.1:" + std::to_string(servers_->https->port()) + path;
  }
  static std::string Ftp(const std::string& path) {
    return "ftp://127.0.0.1:" + std::to_string(servers_->ftp->port()) + path;
  }
  static std::string Gopher(const std::string& path) {
    return "gopher://127.0.0.1:" + std::to_string(servers_->gopher->port()) + path;
  }

  struct Row {
    std::string url;
    UrlVerdict result;
    std::string verdict;
  };
  // Checks each URL once with a fresh view: the result, one log line with the verdict, and
  // the status texts while and after checking.
  void ExpectChecks(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      RecordingRunView view;
      EXPECT_EQ(checker_.CheckInternetUrl(row.url, view), row.result) << row.url;
      EXPECT_EQ(view.log, std::vector<std::string>{LogLine(row.url, row.verdict)});
      EXPECT_EQ(view.statuses, (std::vector<std::string>{kChecking, kIdle})) << row.url;
    }
  }

  static Servers* servers_;
  CurlInternetChecker checker_;
};

Servers* InternetCheckTest::servers_ = nullptr;

TEST(RingCacheTest, FindsKeysIgnoringAsciiCaseOnly) {
  RingCache<bool> cache;
  cache.Remember("http://Example.com/Page.htm", false);
  ASSERT_NE(cache.Find("HTTP://EXAMPLE.COM/PAGE.HTM"), nullptr);
  EXPECT_FALSE(*cache.Find("http://example.com/page.htm"));
  EXPECT_EQ(cache.Find("http://example.com/page.htm/"), nullptr);
  cache.Remember("http://x/\xC3\x84", true);  // non-ASCII letters are not folded
  EXPECT_NE(cache.Find("http://x/\xC3\x84"), nullptr);
  EXPECT_EQ(cache.Find("http://x/\xC3\xA4"), nullptr);
}

TEST(RingCacheTest, ForgetsTheOldestKeyOnceEverySlotIsTaken) {
  RingCache<bool> cache;
  ASSERT_EQ(cache.slotCount(), 4096u);
  for (int i = 0; i < 4096; ++i)
    cache.Remember("k" + std::to_string(i), i % 2 == 0);
  EXPECT_EQ(cache.count(), 4096u);
  EXPECT_EQ(cache.next(), 0u);
  EXPECT_NE(cache.Find("k0"), nullptr);
  EXPECT_NE(cache.Find("K4095"), nullptr);

  cache.Remember("k4096", true);
  EXPECT_EQ(cache.count(), 4096u);
  EXPECT_EQ(cache.next(), 1u);
  EXPECT_EQ(cache.Find("k0"), nullptr);
  ASSERT_NE(cache.Find("k1"), nullptr);
  EXPECT_FALSE(*cache.Find("k1"));
  EXPECT_NE(cache.Find("k4096"), nullptr);

  // A key already held changes its value in place and takes no new slot.
  cache.Remember("K1", true);
  EXPECT_TRUE(*cache.Find("k1"));
  EXPECT_EQ(cache.next(), 1u);
  cache.Remember("k4097", true);
  EXPECT_EQ(cache.Find("k1"), nullptr);

  cache.Clear();
  EXPECT_EQ(cache.count(), 0u);
  EXPECT_EQ(cache.next(), 0u);
  EXPECT_EQ(cache.Find("k4096"), nullptr);
}

TEST(RingCacheTest, SmallRingWrapsAgainAndAgain) {
  RingCache<int> cache(3);
  for (int i = 0; i < 10; ++i)
    cache.Remember("k" + std::to_string(i), i);
  EXPECT_EQ(cache.count(), 3u);
  EXPECT_EQ(cache.next(), 1u);
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(cache.Find("k" + std::to_string(i)), nullptr) << i;
  for (int i = 7; i < 10; ++i)
    EXPECT_EQ(*cache.Find("k" + std::to_string(i)), i);
}

TEST_F(InternetCheckTest, HttpStatusDecidesTheVerdict) {
  ExpectChecks({
      {Http("/ok"), UrlVerdict::Valid, "valid. "},
      {Http("/moved"), UrlVerdict::Valid, "valid. "},
      {Http("/moved-to-missing"), UrlVerdict::Broken, "broken. "},
      {Http("/auth"), UrlVerdict::Valid, "valid. "},
      {Http("/forbidden"), UrlVerdict::Broken, "broken. "},
      {Http("/missing"), UrlVerdict::Broken, "broken. "},
      {Http("/error"), UrlVerdict::Broken, "broken. "},
      {Http(""), UrlVerdict::Broken, "broken. "},  // the server has no page at "/"
      // Servers that refuse HEAD are asked once more with GET.
      {Http("/no-head"), UrlVerdict::Valid, "valid. "},
      {Http("/no-head-501"), UrlVerdict::Valid, "valid. "},
      {Http("/no-head-moved"), UrlVerdict::Valid, "valid. "},
      {Http("/no-head-missing"), UrlVerdict::Broken, "broken. "},
      // A request torn down before its answer tells nothing: skipped, not broken.
      {Http("/reset"), UrlVerdict::Valid, "skipped. "},
      // The URL comes decoded: its spaces and other bytes are escaped on the way out.
      {Http("/ok?q=two words&x=\xC3\xA9%"), UrlVerdict::Valid, "valid. "},
      {"HTTP://127.0.0.1:" + std::to_string(servers_->http->port()) + "/ok?upper",
       UrlVerdict::Valid, "valid. "},
  });
}

TEST_F(InternetCheckTest, EachUrlIsAskedOncePerRunWhateverItsLetterCase) {
  ExpectChecks({{Http("/ok"), UrlVerdict::Valid, "valid. "},
                {Http("/missing"), UrlVerdict::Broken, "broken. "}});
  RecordingRunView view;
  // "/OK" would be a missing page on the server: the remembered verdict answers instead.
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/OK"), view), UrlVerdict::Valid);
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/missing"), view), UrlVerdict::Broken);
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/MISSING"), view), UrlVerdict::Broken);
  EXPECT_TRUE(view.log.empty());
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_EQ(view.pollCount, 0);

  // A new run (second pass) keeps the session and what it learnt.
  checker_.OpenSession();
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok"), view), UrlVerdict::Valid);
  EXPECT_TRUE(view.log.empty());
  EXPECT_EQ(checker_.verdicts().count(), 2u);
  EXPECT_EQ(checker_.connections().count(), 1u);
}

TEST_F(InternetCheckTest, F10SkipsAHangingRequestAndRemembersItAsValid) {
  RecordingRunView view;
  view.onPoll = [](int n) { return n >= 3 ? Poll::Skip : Poll::Go; };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/hang"), view), UrlVerdict::Valid);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(view.pollCount, 3);
  EXPECT_EQ(view.log, std::vector<std::string>{LogLine(Http("/hang"), "skipped. ")});
  EXPECT_EQ(view.statuses, (std::vector<std::string>{kChecking, kIdle}));

  RecordingRunView again;
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/HANG"), again), UrlVerdict::Valid);
  EXPECT_TRUE(again.log.empty());
  // The cancelled request leaves the host usable.
  ExpectChecks({{Http("/ok"), UrlVerdict::Valid, "valid. "}});
}

TEST_F(InternetCheckTest, EscStopsWithNothingLoggedOrRemembered) {
  RecordingRunView view;
  view.onPoll = [](int n) { return n >= 2 ? Poll::Stop : Poll::Go; };
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/hang?esc"), view), UrlVerdict::Stopped);
  EXPECT_EQ(view.log, std::vector<std::string>{LogLine(Http("/hang?esc"), "")});
  EXPECT_EQ(view.statuses, std::vector<std::string>{kChecking});
  EXPECT_EQ(checker_.verdicts().Find(Http("/hang?esc")), nullptr);

  // Not remembered: the next run asks again.
  RecordingRunView next;
  next.onPoll = [](int) { return Poll::Skip; };
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/hang?esc"), next), UrlVerdict::Valid);
  EXPECT_EQ(next.log, std::vector<std::string>{LogLine(Http("/hang?esc"), "skipped. ")});
}

TEST_F(InternetCheckTest, ARequestThatRunsOutOfTimeIsSkipped) {
  checker_.SetTimeouts(2000ms, 500ms);
  RecordingRunView view;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/hang?timeout"), view), UrlVerdict::Valid);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 400ms);
  EXPECT_LT(took, 3s);
  EXPECT_GE(view.pollCount, 10);  // the keyboard was polled all along
  EXPECT_EQ(view.log, std::vector<std::string>{LogLine(Http("/hang?timeout"), "skipped. ")});
  EXPECT_EQ(view.statuses, (std::vector<std::string>{kChecking, kIdle}));
}

TEST_F(InternetCheckTest, AHostThatCannotBeReachedIsSkippedForEveryScheme) {
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  ExpectChecks({
      {"http://" + closed + "/a.htm", UrlVerdict::Valid, "skipped. "},
      {"http://" + closed + "/b.htm", UrlVerdict::Valid, "skipped. "},
      // The host text is the key, whatever the scheme.
      {"ftp://" + closed + "/file.txt", UrlVerdict::Valid, "skipped. "},
      // The explicit port is the server's: the same address on the port of a server works.
      {Http("/ok"), UrlVerdict::Valid, "valid. "},
      {"http://nonexistent.invalid/page.htm", UrlVerdict::Valid, "skipped. "},
      {"ftp://" + std::to_string(ClosedPort()) + ".invalid:21", UrlVerdict::Valid, "skipped. "},
  });
  ASSERT_NE(checker_.connections().Find(closed), nullptr);
  EXPECT_FALSE(*checker_.connections().Find(closed));
  ASSERT_NE(checker_.connections().Find("127.0.0.1:" + std::to_string(servers_->http->port())),
            nullptr);
  EXPECT_TRUE(*checker_.connections().Find("127.0.0.1:" + std::to_string(servers_->http->port())));
  EXPECT_EQ(checker_.connections().count(), 4u);
}

// An FTP server that accepts the connection but never sends its greeting: the connection
// (the login) hangs.
TEST_F(InternetCheckTest, AHangingConnectionCanBeSkippedStoppedOrTimedOut) {
  const std::string host = "127.0.0.1:" + std::to_string(servers_->silent->port());
  RecordingRunView skip;
  skip.onPoll = [](int n) { return n >= 3 ? Poll::Skip : Poll::Go; };
  EXPECT_EQ(checker_.CheckInternetUrl("ftp://" + host + "/a.txt", skip), UrlVerdict::Valid);
  EXPECT_EQ(skip.log, std::vector<std::string>{LogLine("ftp://" + host + "/a.txt", "skipped. ")});
  EXPECT_EQ(skip.pollCount, 3);
  // F10 tells nothing about the host: its next URL tries to connect again.
  EXPECT_EQ(checker_.connections().Find(host), nullptr);

  RecordingRunView stop;
  stop.onPoll = [](int n) { return n >= 2 ? Poll::Stop : Poll::Go; };
  EXPECT_EQ(checker_.CheckInternetUrl("ftp://" + host + "/b.txt", stop), UrlVerdict::Stopped);
  EXPECT_EQ(stop.log, std::vector<std::string>{LogLine("ftp://" + host + "/b.txt", "")});
  EXPECT_EQ(checker_.connections().Find(host), nullptr);

  checker_.SetTimeouts(500ms, 500ms);
  ExpectChecks({{"ftp://" + host + "/c.txt", UrlVerdict::Valid, "skipped. "}});
  ASSERT_NE(checker_.connections().Find(host), nullptr);
  EXPECT_FALSE(*checker_.connections().Find(host));
  // The host is known to be out of reach: its other URLs are skipped without waiting.
  RecordingRunView quick;
  EXPECT_EQ(checker_.CheckInternetUrl("http://" + host + "/d.htm", quick), UrlVerdict::Valid);
  EXPECT_EQ(quick.log, std::vector<std::string>{LogLine("http://" + host + "/d.htm", "skipped. ")});
  EXPECT_EQ(quick.pollCount, 0);
}

TEST_F(InternetCheckTest, ResetForgetsVerdictsAndHostsAndClosesTheSession) {
  ExpectChecks({{Http("/ok"), UrlVerdict::Valid, "valid. "}});
  checker_.Reset();
  EXPECT_EQ(checker_.verdicts().count(), 0u);
  EXPECT_EQ(checker_.connections().count(), 0u);
  // Without a session every URL is skipped.
  ExpectChecks({{Http("/missing?no-session"), UrlVerdict::Valid, "skipped. "}});
  EXPECT_EQ(checker_.connections().count(), 0u);

  checker_.OpenSession();
  ExpectChecks({{Http("/ok"), UrlVerdict::Valid, "valid. "},
                {Http("/missing"), UrlVerdict::Broken, "broken. "}});
}

TEST_F(InternetCheckTest, WithoutASessionEveryUrlIsSkipped) {
  CurlInternetChecker unopened;
  RecordingRunView view;
  EXPECT_EQ(unopened.CheckInternetUrl(Http("/missing"), view), UrlVerdict::Valid);
  EXPECT_EQ(view.log, std::vector<std::string>{LogLine(Http("/missing"), "skipped. ")});
}

TEST_F(InternetCheckTest, HttpsVerifiesTheServerCertificate) {
  checker_.SetCaFile(servers_->cert);
  ExpectChecks({
      {Https("/ok"), UrlVerdict::Valid, "valid. "},
      {Https("/moved"), UrlVerdict::Valid, "valid. "},
      {Https("/auth"), UrlVerdict::Valid, "valid. "},
      {Https("/missing"), UrlVerdict::Broken, "broken. "},
      {Https("/no-head"), UrlVerdict::Valid, "valid. "},
  });
  // Without the test's own authority the certificate is not trusted: the address is skipped
  // with the certificate error in the log, or broken when certificates are taken strictly.
  for (const bool strict : {false, true}) {
    CurlInternetChecker untrusting;
    untrusting.SetStrictTls(strict);
    untrusting.OpenSession();
    RecordingRunView view;
    EXPECT_EQ(untrusting.CheckInternetUrl(Https("/ok"), view),
              strict ? UrlVerdict::Broken : UrlVerdict::Valid);
    ASSERT_EQ(view.log.size(), 1u);
    EXPECT_TRUE(view.log[0].starts_with(LogLine(
        Https("/ok"), strict ? "broken (certificate error: " : "skipped (certificate error: ")))
        << view.log[0];
    EXPECT_EQ(untrusting.SkippedCount(), strict ? 0 : 1);
  }
}

TEST_F(InternetCheckTest, FtpFindsFilesAndFolders) {
  ExpectChecks({
      {Ftp(""), UrlVerdict::Valid, "valid. "},
      {Ftp("/"), UrlVerdict::Valid, "valid. "},
      {Ftp("/docs/readme.txt"), UrlVerdict::Valid, "valid. "},
      {Ftp("/empty.txt"), UrlVerdict::Valid, "valid. "},
      {Ftp("/with space.txt"), UrlVerdict::Valid, "valid. "},
      {Ftp("/docs"), UrlVerdict::Valid, "valid. "},
      {Ftp("/docs/"), UrlVerdict::Valid, "valid. "},
      {Ftp("/pub"), UrlVerdict::Valid, "valid. "},
      {Ftp("/missing.txt"), UrlVerdict::Broken, "broken. "},
      {Ftp("/docs/missing.txt"), UrlVerdict::Broken, "broken. "},
      {Ftp("/nodir/"), UrlVerdict::Broken, "broken. "},
      {Ftp("/nodir/readme.txt"), UrlVerdict::Broken, "broken. "},
  });
  EXPECT_EQ(checker_.connections().count(), 1u);
}

TEST_F(InternetCheckTest, GopherFetchesTheSelector) {
  ExpectChecks({
      {Gopher(""), UrlVerdict::Valid, "valid. "},
      {Gopher("/1/"), UrlVerdict::Valid, "valid. "},
      {Gopher("/0/hello.txt"), UrlVerdict::Valid, "valid. "},
      {Gopher("/1/docs"), UrlVerdict::Valid, "valid. "},
      {Gopher("/0/missing.txt"), UrlVerdict::Broken, "broken. "},
  });
}

TEST_F(InternetCheckTest, TheOldestVerdictIsForgottenAfter4096Urls) {
  RecordingRunView view;
  for (int i = 0; i <= 4096; ++i) {
    ASSERT_EQ(checker_.CheckInternetUrl(Http("/ok?n=" + std::to_string(i)), view),
              UrlVerdict::Valid)
        << i;
  }
  EXPECT_EQ(view.log.size(), 4097u);
  EXPECT_EQ(checker_.verdicts().count(), 4096u);
  EXPECT_EQ(checker_.connections().count(), 1u);

  RecordingRunView again;
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok?n=4096"), again), UrlVerdict::Valid);
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok?n=1"), again), UrlVerdict::Valid);
  EXPECT_TRUE(again.log.empty());
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok?n=0"), again), UrlVerdict::Valid);
  EXPECT_EQ(again.log, std::vector<std::string>{LogLine(Http("/ok?n=0"), "valid. ")});
}

TEST_F(InternetCheckTest, PermanentMovesOnlyGiveAFinalAddress) {
  const struct {
    std::string path;
    std::string verdict;
    std::string movedTo;  // empty: none
  } cases[] = {
      {"/perm", "valid. ", Http("/ok?moved")},   // 301 then 308
      {"/perm2", "valid. ", Http("/ok?moved")},  // 308
      {"/temp", "valid. ", ""},                  // 302
      {"/see-other", "valid. ", ""},             // 303
      {"/temp307", "valid. ", ""},               // 307
      {"/perm-then-temp", "valid. ", ""},        // 301 then 302
      {"/perm-missing", "broken. ", ""},         // 308 to a missing page
      {"/ok", "valid. ", ""},
  };
  for (const auto& c : cases) {
    RecordingRunView view;
    (void)checker_.CheckInternetUrl(Http(c.path), view);
    EXPECT_EQ(view.log, std::vector<std::string>{LogLine(Http(c.path), c.verdict)});
    EXPECT_EQ(checker_.MovedTo(Http(c.path)).value_or(""), c.movedTo) << c.path;
  }
}

TEST_F(InternetCheckTest, BusyServersAreAskedAgainAfterTheirRetryAfter) {
  checker_.SetConcurrency(8, 4);
  const std::vector<std::string> urls = {Http("/busy?n=2"), Http("/busy?n=3"), Http("/busy503")};
  RecordingRunView view;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(checker_.CheckAhead(urls, view), UrlVerdict::Valid);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 1900ms);  // two waits of a second
  EXPECT_LT(took, 5s);      // never a third
  EXPECT_TRUE(view.log.empty());
  // Two retries bring the first through; the others cannot be checked.
  ExpectChecks({{urls[0], UrlVerdict::Valid, "valid. "},
                {urls[1], UrlVerdict::Valid, "skipped. "},
                {urls[2], UrlVerdict::Valid, "skipped. "}});
  EXPECT_EQ(checker_.SkippedCount(), 2);
}

TEST_F(InternetCheckTest, EscAndF10StopOrSkipTheChecksAhead) {
  const std::string silent = "http://127.0.0.1:" + std::to_string(servers_->silent->port());
  const std::vector<std::string> urls = {silent + "/a", silent + "/b", Http("/ok?ahead")};
  checker_.SetTimeouts(30s, 30s);
  RecordingRunView esc;
  esc.onPoll = [](int n) { return n >= 30 ? Poll::Stop : Poll::Go; };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(checker_.CheckAhead(urls, esc), UrlVerdict::Stopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(checker_.verdicts().count(), 0u);

  // F10 gives up on what has no answer yet; the quick address has its answer by then.
  RecordingRunView skip;
  skip.onPoll = [](int n) { return n >= 30 ? Poll::Skip : Poll::Go; };
  EXPECT_EQ(checker_.CheckAhead(urls, skip), UrlVerdict::Valid);
  ExpectChecks({{urls[0], UrlVerdict::Valid, "skipped. "},
                {urls[1], UrlVerdict::Valid, "skipped. "},
                {urls[2], UrlVerdict::Valid, "valid. "}});
}

TEST(InternetConcurrencyTest, NoHostGetsMoreRequestsAtOnceThanItsLimit) {
  std::vector<std::unique_ptr<ServerProcess>> hosts;
  std::vector<std::string> urls;
  for (int h = 0; h < 3; ++h) {
    hosts.push_back(std::make_unique<ServerProcess>(std::vector<std::string>{"http"}));
    ASSERT_NE(hosts.back()->port(), 0);
    for (int i = 0; i < 8; ++i)
      urls.push_back("http://127.0.0.1:" + std::to_string(hosts.back()->port()) + "/slow?" +
                     std::to_string(i));
  }
  CurlInternetChecker checker;
  checker.SetConcurrency(32, 2);
  checker.OpenSession();
  RecordingRunView view;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(checker.CheckAhead(urls, view), UrlVerdict::Valid);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2400ms);  // serially 4.8 s
  // Each server saw exactly two at a time: the limit, and never more.
  CurlInternetChecker asker;
  asker.SetConcurrency(1, 1);
  asker.OpenSession();
  for (const auto& host : hosts) {
    EXPECT_EQ(asker.CheckInternetUrl(
                  "http://127.0.0.1:" + std::to_string(host->port()) + "/peak?is=2", view),
              UrlVerdict::Valid);
  }
}

TEST_F(InternetCheckTest, TheVerdictFileAnswersYoungValidVerdictsOnly) {
  TempDir cache;
  const std::string file = cache / "urlsmith/verdicts.tsv";
  {
    CurlInternetChecker first;
    first.SetVerdictFile(file, 3600s);
    first.OpenSession();
    RecordingRunView view;
    EXPECT_EQ(first.CheckInternetUrl(Http("/ok?kept"), view), UrlVerdict::Valid);
    EXPECT_EQ(first.CheckInternetUrl(Http("/missing?kept"), view), UrlVerdict::Broken);
  }  // saved as it goes
  struct Case {
    std::chrono::seconds age;
    std::string ok, missing;  // verdicts said without a session
  };
  for (const Case& c : {Case{3600s, "valid. ", "skipped. "}, Case{0s, "skipped. ", "skipped. "}}) {
    CurlInternetChecker later;  // no session: only the file can answer
    later.SetVerdictFile(file, c.age);
    RecordingRunView view;
    (void)later.CheckInternetUrl(Http("/ok?kept"), view);
    (void)later.CheckInternetUrl(Http("/missing?kept"), view);
    EXPECT_EQ(view.log, (std::vector<std::string>{LogLine(Http("/ok?kept"), c.ok),
                                                  LogLine(Http("/missing?kept"), c.missing)}));
  }
  // A damaged file is ignored with a warning and replaced by a sound one.
  cache.Write("urlsmith/verdicts.tsv", "not a verdict file\n");
  {
    CurlInternetChecker damaged;
    damaged.SetVerdictFile(file, 3600s);
    damaged.OpenSession();
    RecordingRunView view;
    EXPECT_EQ(damaged.CheckInternetUrl(Http("/ok?kept"), view), UrlVerdict::Valid);
    EXPECT_EQ(view.log, (std::vector<std::string>{"The cache of Internet verdicts " + file +
                                                      " cannot be read and is ignored",
                                                  LogLine(Http("/ok?kept"), "valid. ")}));
  }
  VerdictStore reread(file, 3600s);
  EXPECT_FALSE(reread.Load().has_value());
  EXPECT_TRUE(reread.FindValid(Http("/OK?kept")).has_value());
}

// A site whose pages link to the test servers: the search with addresses checked ahead, many
// at a time, plans the same rows and writes the same log as one that checks them one by one.
TEST_F(InternetCheckTest, CheckingAheadChangesNothingTheSearchFinds) {
  TempDir site;
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort());
  std::string links;
  const std::vector<std::string> urls = {
      Http("/ok"),       Http("/missing"),  Http("/perm#part"),    Http("/temp"),
      Http("/no-head"),  Http("/OK"),       Http("/auth"),         Http("/reset"),
      Http("/error"),    Ftp("/docs"),      Ftp("/none.txt"),      Gopher("/0/hello.txt"),
      closed + "/a.htm", closed + "/b.htm", Http("/perm-missing"), Http("/ok?x=a b")};
  for (int page = 0; page < 3; ++page) {
    std::string text = "<a href=\"local" + std::to_string(page) + ".htm\">l</a>\n";
    for (std::size_t i = page; i < urls.size(); i += 2)
      text +=
          "<a href=\"" + urls[i] + "\">x</a> <img src=\"" + urls[(i * 5) % urls.size()] + "\">\n";
    site.Write("p" + std::to_string(page) + ".htm", text);
  }
  site.Write("local0.htm", "");
  struct Outcome {
    std::vector<std::string> rows;
    std::vector<std::string> log;
    std::string status;
  };
  auto search = [&](int concurrency) {
    SearchSession session;
    auto checker = std::make_unique<CurlInternetChecker>();
    checker->SetConcurrency(concurrency, 4);
    session.SetInternetChecker(std::move(checker));
    session.Search.FixRedirects = true;
    RecordingRunView view;
    FolderAdd(session.FileList, session.fs(), view, true, site.path());
    session.CacheReset();
    const SearchResult result = RunSearch(session, view);
    EXPECT_EQ(result.Outcome, SearchOutcome::Found);
    Outcome out;
    for (const LinkEntry& row : session.LinkTable) {
      out.rows.push_back(std::to_string(row.FileIndex) + ":" + std::to_string(row.ValuePos) + " " +
                         row.Url + " -> " + row.Replacement);
    }
    for (int i = 0; i < session.FileList.size(); ++i)
      out.rows.push_back(session.FileList.referenced(i) ? "referenced" : "orphan");
    out.log = view.log;
    out.status = view.status();
    return out;
  };
  const Outcome serial = search(1);
  const Outcome ahead = search(32);
  EXPECT_EQ(ahead.rows, serial.rows);
  EXPECT_EQ(ahead.log, serial.log);
  EXPECT_EQ(ahead.status, serial.status);
  // The permanent move is planned with the link's fragment.
  const std::string moved = Http("/perm#part") + " -> " + Http("/ok?moved#part");
  EXPECT_EQ(std::count_if(serial.rows.begin(), serial.rows.end(),
                          [&](const std::string& r) { return r.ends_with(moved); }),
            4);  // two anchors and two pictures
  EXPECT_NE(serial.status.find("could not be checked"), std::string::npos) << serial.status;
}

}  // namespace
}  // namespace urlsmith
