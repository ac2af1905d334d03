// The Internet check against real HTTP, HTTPS, FTP and Gopher servers on loopback addresses,
// started for this test from tests/engine/servers/check_servers.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/curl_checker.h"
#include "engine/search_run.h"
#include "engine/verdict_store.h"
#include "support/engine_fixtures.h"

namespace urlsmith {
namespace {

using testing::ClosedPort;
using testing::RecordingRunView;
using testing::ServerProcess;
using testing::TempDir;
using namespace std::chrono_literals;
using Log = std::vector<std::string>;

constexpr char kChecking[] =
    "Press ESC to stop\nIf checking freezes for a long time, press F10 to skip the URL";
constexpr char kIdle[] = "Press ESC to stop";

std::string LogLine(const std::string& url, const std::string& verdict) {
  return "Checking \"" + url + "\" in the Internet ... " + verdict;
}
class InternetCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new testing::CheckServers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(servers_->Ready());
    checker_.OpenSession();
  }

  std::string Http(const std::string& p) { return "http://" + HostOf(*servers_->http) + p; }
  std::string Https(const std::string& p) { return "https://" + HostOf(*servers_->https) + p; }
  std::string Ftp(const std::string& p) { return "ftp://" + HostOf(*servers_->ftp) + p; }
  std::string Gopher(const std::string& p) { return "gopher://" + HostOf(*servers_->gopher) + p; }
  std::string Silent(const std::string& scheme) { return scheme + HostOf(*servers_->silent); }

  // Checks each URL once with a fresh view: the result, one log line with the verdict ("valid. ",
  // "broken. " or "skipped. "), and the status texts while and after checking. The last view.
  RecordingRunView ExpectChecks(const std::string& verdict, const std::vector<std::string>& urls) {
    RecordingRunView view;
    for (const std::string& url : urls) {
      view = RecordingRunView();
      EXPECT_EQ(checker_.CheckInternetUrl(url, view),
                verdict == "broken. " ? UrlVerdict::Broken : UrlVerdict::Valid)
          << url;
      EXPECT_EQ(view.log, Log{LogLine(url, verdict)});
      EXPECT_EQ(view.statuses, (Log{kChecking, kIdle})) << url;
    }
    return view;
  }
  // Checks with a fresh view whose polls answer `key` (F10 or ESC) from the nth on: the URL is
  // skipped as valid, or the run stops with no verdict logged. The view.
  RecordingRunView CheckWithKey(const std::string& url, int nth, Poll key) {
    RecordingRunView view;
    view.onPoll = [nth, key](int n) { return n >= nth ? key : Poll::Go; };
    const bool skip = key == Poll::Skip;
    EXPECT_EQ(checker_.CheckInternetUrl(url, view), skip ? UrlVerdict::Valid : UrlVerdict::Stopped);
    EXPECT_EQ(view.log, Log{LogLine(url, skip ? "skipped. " : "")}) << url;
    return view;
  }

  static testing::CheckServers* servers_;
  CurlInternetChecker checker_;
};

testing::CheckServers* InternetCheckTest::servers_ = nullptr;

TEST(InternetCheckRingCache, FindsKeysIgnoringAsciiCaseAndForgetsTheOldest) {
  RingCache<int> cache(3);
  cache.Remember("http://Example.com/Page.htm", 1);
  ASSERT_NE(cache.Find("HTTP://EXAMPLE.COM/PAGE.HTM"), nullptr);
  EXPECT_EQ(cache.Find("http://example.com/page.htm/"), nullptr);
  cache.Remember("http://x/\xC3\x84", 2);  // non-ASCII letters are not folded
  EXPECT_EQ(cache.Find("http://x/\xC3\xA4"), nullptr);
  cache.Remember("HTTP://EXAMPLE.COM/page.htm", 3);  // a key already held changes in place
  EXPECT_EQ(*cache.Find("http://example.com/page.htm"), 3);
  EXPECT_EQ(cache.count(), 2u);
  for (int i = 0; i < 10; ++i)
    cache.Remember("k" + std::to_string(i), i);
  EXPECT_EQ(cache.count(), 3u);
  EXPECT_EQ(cache.next(), 0u);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(cache.Find("K" + std::to_string(i)) != nullptr, i >= 7) << i;
  EXPECT_EQ(*cache.Find("k8"), 8);
  cache.Clear();
  EXPECT_EQ(cache.count(), 0u);
  EXPECT_EQ(cache.next(), 0u);
  EXPECT_EQ(cache.Find("k9"), nullptr);
}

TEST_F(InternetCheckTest, TheServersAnswerDecidesTheVerdict) {
  checker_.SetCaFile(servers_->cert);  // HTTPS with the certificate of the test's own authority
  // Servers that refuse HEAD are asked once more with GET; the URL comes decoded, so its spaces
  // and other bytes are escaped on the way out; FTP looks for files and folders; Gopher fetches
  // the selector.
  // clang-format off
  ExpectChecks("valid. ", {Http("/ok"), Http("/moved"), Http("/auth"), Http("/no-head"),
                           Http("/no-head-501"), Http("/no-head-moved"), Http("/perm"),
                           Http("/temp"), Http("/temp307"), Http("/perm-then-temp"),
                           Http("/ok?q=two words&x=\xC3\xA9%"),
                           "HTTP://" + HostOf(*servers_->http) + "/ok?upper", Https("/ok"),
                           Ftp(""), Ftp("/"), Ftp("/docs/readme.txt"), Ftp("/empty.txt"),
                           Ftp("/with space.txt"), Ftp("/docs"), Ftp("/docs/"), Ftp("/pub"),
                           Gopher(""), Gopher("/1/"), Gopher("/0/hello.txt"), Gopher("/1/docs")});
  // clang-format on
  // Http(""): the server has no page at "/".
  ExpectChecks("broken. ", {Http("/moved-to-missing"), Http("/forbidden"), Http("/missing"),
                            Http("/error"), Http(""), Http("/no-head-missing"),
                            Http("/perm-missing"), Https("/missing"), Ftp("/missing.txt"),
                            Ftp("/nodir/"), Ftp("/nodir/readme.txt"), Gopher("/0/missing.txt")});
  // A request torn down before its answer tells nothing: skipped, not broken.
  ExpectChecks("skipped. ", {Http("/reset")});
  EXPECT_EQ(checker_.connections().count(), 4u);  // one per server
  EXPECT_EQ(checker_.SkippedCount(), 1);
  // Only moves that are all permanent (301, 308) give a final address.
  const std::pair<std::string, std::string> moves[] = {{"/perm", Http("/ok?moved")},
                                                       {"/moved", Http("/ok")},
                                                       {"/temp", ""},
                                                       {"/temp307", ""},
                                                       {"/perm-then-temp", ""},
                                                       {"/ok", ""}};
  for (const auto& [path, movedTo] : moves)
    EXPECT_EQ(checker_.MovedTo(Http(path)).value_or(""), movedTo) << path;
}

// Without the test's own authority the certificate is not trusted: the address is skipped with
// the certificate error in the log, or broken when certificates are taken strictly.
TEST_F(InternetCheckTest, AnUntrustedCertificateSkipsOrBreaks) {
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

TEST_F(InternetCheckTest, EachUrlIsAskedOncePerRunWhateverItsLetterCaseUntilReset) {
  ExpectChecks("valid. ", {Http("/ok")});
  ExpectChecks("broken. ", {Http("/missing")});
  RecordingRunView view;
  // "/OK" would be a missing page on the server: the remembered verdict answers instead.
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/OK"), view), UrlVerdict::Valid);
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/MISSING"), view), UrlVerdict::Broken);
  // A new run (second pass) keeps the session and what it learnt.
  checker_.OpenSession();
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok"), view), UrlVerdict::Valid);
  EXPECT_TRUE(view.log.empty());
  EXPECT_TRUE(view.statuses.empty());
  EXPECT_EQ(view.pollCount, 0);
  EXPECT_EQ(checker_.verdicts().count(), 2u);
  EXPECT_EQ(checker_.connections().count(), 1u);
  // Reset forgets verdicts and hosts and closes the session: then every URL is skipped.
  checker_.Reset();
  EXPECT_EQ(checker_.verdicts().count(), 0u);
  ExpectChecks("skipped. ", {Http("/missing?no-session")});
  EXPECT_EQ(checker_.connections().count(), 0u);
  checker_.OpenSession();
  ExpectChecks("broken. ", {Http("/missing")});
}

// A request that hangs: F10 skips it (and remembers it as valid), ESC stops with nothing logged
// or remembered, and the request time-out skips it while the keyboard is polled all along.
TEST_F(InternetCheckTest, AHangingRequestIsSkippedStoppedOrTimedOut) {
  RecordingRunView skip = CheckWithKey(Http("/hang"), 3, Poll::Skip);
  EXPECT_EQ(skip.pollCount, 3);
  EXPECT_EQ(skip.statuses, (Log{kChecking, kIdle}));
  RecordingRunView again;
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/HANG"), again), UrlVerdict::Valid);
  EXPECT_TRUE(again.log.empty());
  // The cancelled request leaves the host usable.
  ExpectChecks("valid. ", {Http("/ok")});

  EXPECT_EQ(CheckWithKey(Http("/hang?esc"), 2, Poll::Stop).statuses, Log{kChecking});
  EXPECT_EQ(checker_.verdicts().Find(Http("/hang?esc")), nullptr);
  // Not remembered: the next run asks again.
  CheckWithKey(Http("/hang?esc"), 1, Poll::Skip);

  checker_.SetTimeouts(2000ms, 500ms);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_GE(ExpectChecks("skipped. ", {Http("/hang?timeout")}).pollCount, 10);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);  // the time-out set, not the default
}

TEST_F(InternetCheckTest, AHostThatCannotBeReachedIsSkippedForEveryScheme) {
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  // The host text is the key, whatever the scheme; the explicit port is the server's: the same
  // address on the port of a server works.
  ExpectChecks("skipped. ", {"http://" + closed + "/a.htm", "http://" + closed + "/b.htm",
                             "ftp://" + closed + "/file.txt"});
  ExpectChecks("valid. ", {Http("/ok")});
  ExpectChecks("skipped. ", {"http://nonexistent.invalid/page.htm",
                             "ftp://" + std::to_string(ClosedPort()) + ".invalid:21"});
  ASSERT_NE(checker_.connections().Find(closed), nullptr);
  EXPECT_FALSE(*checker_.connections().Find(closed));
  ASSERT_NE(checker_.connections().Find(HostOf(*servers_->http)), nullptr);
  EXPECT_TRUE(*checker_.connections().Find(HostOf(*servers_->http)));
  EXPECT_EQ(checker_.connections().count(), 4u);
}

// An FTP server that accepts the connection but never sends its greeting: the connection (the
// login) hangs.
TEST_F(InternetCheckTest, AHangingConnectionCanBeSkippedStoppedOrTimedOut) {
  const std::string host = HostOf(*servers_->silent);
  CheckWithKey(Silent("ftp://") + "/a.txt", 3, Poll::Skip);
  // F10 tells nothing about the host: its next URL tries to connect again.
  EXPECT_EQ(checker_.connections().Find(host), nullptr);
  CheckWithKey(Silent("ftp://") + "/b.txt", 2, Poll::Stop);
  EXPECT_EQ(checker_.connections().Find(host), nullptr);

  checker_.SetTimeouts(500ms, 500ms);
  ExpectChecks("skipped. ", {Silent("ftp://") + "/c.txt"});
  ASSERT_NE(checker_.connections().Find(host), nullptr);
  EXPECT_FALSE(*checker_.connections().Find(host));
  // The host is known to be out of reach: its other URLs are skipped without waiting.
  EXPECT_EQ(ExpectChecks("skipped. ", {Silent("http://") + "/d.htm"}).pollCount, 0);
}

TEST_F(InternetCheckTest, BusyServersAreAskedAgainAfterTheirRetryAfter) {
  checker_.SetConcurrency(8, 4);
  const std::vector<std::string> urls = {Http("/busy?n=2"), Http("/busy?n=3"), Http("/busy503")};
  RecordingRunView view;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(checker_.CheckAhead(urls, view), UrlVerdict::Valid);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 1900ms);  // two waits of a second
  EXPECT_TRUE(view.log.empty());
  // Two retries bring the first through; the others cannot be checked.
  ExpectChecks("valid. ", {urls[0]});
  ExpectChecks("skipped. ", {urls[1], urls[2]});
  EXPECT_EQ(checker_.SkippedCount(), 2);
}

TEST_F(InternetCheckTest, EscAndF10StopOrSkipTheChecksAhead) {
  const std::vector<std::string> urls = {Silent("http://") + "/a", Silent("http://") + "/b",
                                         Http("/ok?ahead")};
  checker_.SetTimeouts(30s, 30s);
  RecordingRunView esc;
  esc.onPoll = [](int n) { return n >= 30 ? Poll::Stop : Poll::Go; };
  EXPECT_EQ(checker_.CheckAhead(urls, esc), UrlVerdict::Stopped);
  EXPECT_EQ(checker_.verdicts().count(), 0u);
  // F10 gives up on what has no answer yet; the quick address has its answer by then.
  RecordingRunView skip;
  skip.onPoll = [](int n) { return n >= 30 ? Poll::Skip : Poll::Go; };
  EXPECT_EQ(checker_.CheckAhead(urls, skip), UrlVerdict::Valid);
  ExpectChecks("skipped. ", {urls[0], urls[1]});
  ExpectChecks("valid. ", {urls[2]});
}

// Slow answers from one server on several loopback addresses (hosts), which counts the requests
// it serves at once: in all, and at each address. Both limits are reached and never exceeded.
TEST(InternetCheckConcurrency, NeitherTheTotalNorTheHostLimitIsExceeded) {
  const struct {
    int total, perHost, hosts, urlsPerHost;
    std::string peaks;  // the most the server served at once, at each address or in all
  } cases[] = {
      {32, 2, 3, 8, "each=2"},
      {3, 4, 4, 4, "total=3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.peaks);
    ServerProcess server({"http", std::to_string(c.hosts)});
    ASSERT_NE(server.port(), 0);
    std::vector<std::string> urls;
    for (int i = 0; i < c.hosts * c.urlsPerHost; ++i)
      urls.push_back("http://" + HostOf(server, 1 + i % c.hosts) + "/slow?" + std::to_string(i));
    CurlInternetChecker checker;
    checker.SetConcurrency(c.total, c.perHost);
    checker.OpenSession();
    RecordingRunView view;
    ASSERT_EQ(checker.CheckAhead(urls, view), UrlVerdict::Valid);
    for (const std::string& url : urls)
      EXPECT_EQ(checker.CheckInternetUrl(url, view), UrlVerdict::Valid);
    EXPECT_EQ(view.log.size(), urls.size());
    EXPECT_EQ(checker.SkippedCount(), 0);
    EXPECT_EQ(checker.CheckInternetUrl("http://" + HostOf(server) + "/peak?" + c.peaks, view),
              UrlVerdict::Valid);
  }
}

TEST_F(InternetCheckTest, TheVerdictFileAnswersYoungValidVerdictsOnly) {
  TempDir cache;
  const std::string file = cache / "urlsmith/verdicts.tsv";
  checker_.SetVerdictFile(file, 3600s);
  ExpectChecks("valid. ", {Http("/ok?kept")});
  ExpectChecks("broken. ", {Http("/missing?kept")});
  checker_.Reset();  // saves the file
  // Without a session only the file can answer, and only while its verdicts are young enough.
  for (const auto& [age, ok] : {std::pair{3600s, "valid. "}, std::pair{0s, "skipped. "}}) {
    CurlInternetChecker later;
    later.SetVerdictFile(file, age);
    RecordingRunView view;
    (void)later.CheckInternetUrl(Http("/ok?kept"), view);
    (void)later.CheckInternetUrl(Http("/missing?kept"), view);
    EXPECT_EQ(view.log,
              (Log{LogLine(Http("/ok?kept"), ok), LogLine(Http("/missing?kept"), "skipped. ")}));
  }
  // A damaged file is ignored with a warning and replaced by a sound one.
  cache.Write("urlsmith/verdicts.tsv", "not a verdict file\n");
  checker_.SetVerdictFile(file, 3600s);
  checker_.OpenSession();
  RecordingRunView view;
  EXPECT_EQ(checker_.CheckInternetUrl(Http("/ok?kept"), view), UrlVerdict::Valid);
  EXPECT_EQ(view.log,
            (Log{"The cache of Internet verdicts " + file + " cannot be read and is ignored",
                 LogLine(Http("/ok?kept"), "valid. ")}));
  checker_.Reset();
  VerdictStore reread(file, 3600s);
  EXPECT_FALSE(reread.Load().has_value());
  EXPECT_TRUE(reread.FindValid(Http("/OK?kept")).has_value());
}

// A site whose pages link to the test servers: the search with addresses checked ahead, many
// at a time, plans the same rows and writes the same log as one that checks them one by one.
TEST_F(InternetCheckTest, CheckingAheadChangesNothingTheSearchFinds) {
  TempDir site;
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort());
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
  auto search = [&](int concurrency) {
    auto session = testing::SessionOver(site.path());
    auto checker = std::make_unique<CurlInternetChecker>();
    checker->SetConcurrency(concurrency, 4);
    session->SetInternetChecker(std::move(checker));
    session->Search.FixRedirects = session->Search.CheckInternetUrls = true;
    session->CacheReset();
    RecordingRunView view;
    EXPECT_EQ(RunSearch(*session, view).Outcome, SearchOutcome::Found);
    Log out = view.log;
    out.push_back(view.status());
    for (const std::string& row : testing::RowLines(*session))
      out.push_back(row);
    for (int i = 0; i < session->FileList.size(); ++i)
      out.push_back(session->FileList.referenced(i) ? "referenced" : "orphan");
    return out;
  };
  const Log serial = search(1);
  EXPECT_EQ(search(32), serial);
  // The permanent move is planned with the link's fragment: two anchors and two pictures.
  const std::string moved = Http("/perm#part") + " -> " + Http("/ok?moved#part");
  EXPECT_EQ(std::count_if(serial.begin(), serial.end(),
                          [&](const std::string& r) { return r.ends_with(moved); }),
            4);
  EXPECT_TRUE(std::any_of(serial.begin(), serial.end(), [](const std::string& r) {
    return testing::Contains(r, "could not be checked");
  }));
}

}  // namespace
}  // namespace urlsmith
