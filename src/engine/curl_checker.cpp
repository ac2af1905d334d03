#include "engine/curl_checker.h"

#include <curl/curl.h>

#include <algorithm>
#include <optional>

#include "text/url_ops.h"

namespace urlsmith {

// How a check runs on libcurl.
//
// The session is one multi handle with one reusable request handle. libcurl keeps the live
// connections (and resolved names) in the multi handle, so requests to a host already asked
// go over the connection left open by the one before; closing the session closes them all.
//
// libcurl has no connect step of its own, so a "connection" here is the first contact with a
// host text: the first URL of a host that is not in the ConnectionCache makes a connect-only
// transfer to it (name resolution and TCP connect on the URL's port, or the scheme's default
// port 80/443/21/70; for ftp the anonymous login as well; for https the plain TCP connect, so
// that a certificate fault makes the URL broken rather than skipped). Its outcome is stored
// under the host text, whatever the scheme, and every later URL of that host text either goes
// on to its request or, when the host could not be reached, is skipped without any traffic.
// The live connections themselves stay libcurl's: it closes idle ones as it sees fit, and a
// ConnectionCache entry that leaves the ring closes nothing.
//
// Requests run on the calling thread: between short waits on the multi handle the run view is
// polled, and a request is given up by taking its handle out of the multi handle.
namespace {

constexpr char kAgent[] = "Microsoft Internet Explorer";
constexpr char kAllowedProtocols[] = "http,https,ftp,gopher";
constexpr char kRedirectProtocols[] = "http,https";
constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr int kPollMilliseconds = static_cast<int>(kPollInterval.count());
constexpr long kMaxRedirects = 20;
constexpr std::size_t kGopherProbeBytes = 512;

enum class Scheme { Http, Https, Ftp, Gopher };

struct Settings {
  long connectMs;
  long requestMs;
  const std::string& caFile;
};

Settings SettingsOf(std::chrono::milliseconds connect, std::chrono::milliseconds request,
                    const std::string& caFile) {
  return {static_cast<long>(connect.count()), static_cast<long>(request.count()), caFile};
}

// How a transfer ended: on its own (with libcurl's result), or given up at a key press.
enum class End { Done, Stopped, Skipped };
struct Finished {
  End end = End::Done;
  CURLcode code = CURLE_OK;
};

std::size_t DiscardBody(char*, std::size_t size, std::size_t count, void*) {
  return size * count;
}

// Keeps the first bytes of a body and then ends the transfer (libcurl reports a write error,
// which the caller then takes as a finished probe).
struct BodyProbe {
  std::size_t keep = 0;  // bytes wanted; 0: stop at the first byte
  std::string head;
  bool stopped = false;
};

std::size_t ProbeBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* probe = static_cast<BodyProbe*>(user);
  const std::size_t bytes = size * count;
  if (bytes == 0) return 0;
  probe->head.append(data,
                     std::min(bytes, probe->keep - std::min(probe->keep, probe->head.size())));
  if (probe->head.size() >= probe->keep || probe->head.find('\n') != std::string::npos) {
    probe->stopped = true;
    return 0;
  }
  return bytes;
}

// Whether a request could not be made at all: no name, no connection, nothing sent or
// received, no time left. Nobody can tell from it whether the URL works.
bool NotMade(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return true;
    default:
      return false;
  }
}

// What a request that did not come to its answer counts as: Stopped at ESC; Skipped at F10 or
// when it could not be made (a lost connection, a time-out). Empty for one that ran to its
// end. Outcome is the checker's private enum, hence the parameter.
template <typename Outcome>
std::optional<Outcome> CutShort(const Finished& f) {
  if (f.end == End::Stopped) return Outcome::Stopped;
  if (f.end == End::Skipped || NotMade(f.code)) return Outcome::Skipped;
  return std::nullopt;
}

bool ProbeEnded(const Finished& f, const BodyProbe& probe) {
  return f.code == CURLE_OK || (f.code == CURLE_WRITE_ERROR && probe.stopped);
}

// The URL as libcurl gets it: the path part percent-escapes spaces, control characters,
// non-ASCII bytes and a '%' that starts no escape, since the URL given is in decoded form.
std::string RequestUrl(std::string_view url, std::size_t pathStart) {
  std::string out(url.substr(0, pathStart));
  for (std::size_t i = pathStart; i < url.size(); ++i) {
    const auto c = static_cast<unsigned char>(url[i]);
    if (c <= 0x20 || c >= 0x7F || (c == '%' && !IsPercentEscape(url, i))) {
      AppendPercentEscape(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void Prepare(CURL* h, const std::string& url, const Settings& s) {
  curl_easy_reset(h);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(h, CURLOPT_PROXY, "");  // direct access, whatever the environment says
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, s.connectMs);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, s.requestMs);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, kRedirectProtocols);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardBody);
  if (!s.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, s.caFile.c_str());
}

long ResponseCode(CURL* h) {
  long code = 0;
  if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK) return 0;
  return code;
}

// The URL of the connect-only transfer that stands for connecting to the host; empty when the
// host text makes no URL.
std::string ConnectionUrl(Scheme scheme, std::string_view host) {
  switch (scheme) {
    case Scheme::Http:
      return "http://" + std::string(host) + "/";
    case Scheme::Ftp:
      return "ftp://" + std::string(host) + "/";
    case Scheme::Gopher:
      return "gopher://" + std::string(host) + "/";
    case Scheme::Https:
      break;
  }
  // https: the same host and port (443 unless the host text names one), spoken to as http so
  // that only the TCP connection is made.
  std::string result;
  CURLU* u = curl_url();
  if (u == nullptr) return result;
  const std::string https = "https://" + std::string(host) + "/";
  char* port = nullptr;
  if (curl_url_set(u, CURLUPART_URL, https.c_str(), 0) == CURLUE_OK &&
      curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK &&
      curl_url_set(u, CURLUPART_SCHEME, "http", 0) == CURLUE_OK &&
      curl_url_set(u, CURLUPART_PORT, port, 0) == CURLUE_OK) {
    char* text = nullptr;
    if (curl_url_get(u, CURLUPART_URL, &text, 0) == CURLUE_OK) result = text;
    curl_free(text);
  }
  curl_free(port);
  curl_url_cleanup(u);
  return result;
}

// A Gopher server answers a selector it cannot serve with an error item: a first line that
// starts with item type '3' and has tab-separated fields.
bool IsGopherError(std::string_view head) {
  const std::string_view line = head.substr(0, head.find('\n'));
  return !line.empty() && line.front() == '3' && line.find('\t') != std::string_view::npos;
}

}  // namespace

struct CurlInternetChecker::Session {
  CURLM* multi = nullptr;
  CURL* easy = nullptr;  // the request handle, reset for every request

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
  }

  static std::unique_ptr<Session> Open() {
    auto s = std::make_unique<Session>();
    s->multi = curl_multi_init();
    s->easy = curl_easy_init();
    if (s->multi == nullptr || s->easy == nullptr) return nullptr;
    curl_multi_setopt(s->multi, CURLMOPT_MAXCONNECTS, 16L);
    return s;
  }

  // Runs handle to its end on this thread. While it runs, the view is polled every 10 ms:
  // ESC or F10 take the handle out of the multi handle, which drops its connection.
  Finished Run(CURL* handle, RunView& view) {
    Finished result;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
      result.code = CURLE_FAILED_INIT;
      return result;
    }
    auto lastPoll = std::chrono::steady_clock::now();
    for (;;) {
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        result.code = CURLE_FAILED_INIT;
        break;
      }
      bool done = false;
      int queued = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == handle) {
          result.code = msg->data.result;
          done = true;
        }
      }
      if (done) break;
      const auto now = std::chrono::steady_clock::now();
      if (now - lastPoll >= kPollInterval) {
        lastPoll = now;
        const Poll poll = view.StopPoll();
        if (poll == Poll::Stop) {
          result.end = End::Stopped;
          break;
        }
        if (poll == Poll::Skip) {
          result.end = End::Skipped;
          break;
        }
      }
      if (curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK) {
        result.code = CURLE_FAILED_INIT;
        break;
      }
    }
    curl_multi_remove_handle(multi, handle);
    return result;
  }
};

struct CurlInternetChecker::Target {
  Scheme scheme = Scheme::Http;
  std::string_view host;  // text after "scheme://" up to the first '/'
  std::string_view path;  // text after that '/'
  std::string requestUrl;
};

CurlInternetChecker::CurlInternetChecker()
    : globalReady_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}

CurlInternetChecker::~CurlInternetChecker() {
  session_.reset();
  if (globalReady_) curl_global_cleanup();
}

void CurlInternetChecker::OpenSession() {
  skipped_ = 0;
  if (session_ == nullptr && globalReady_) session_ = Session::Open();
}

void CurlInternetChecker::Reset() {
  session_.reset();
  verdicts_.Clear();
  connections_.Clear();
}

UrlVerdict CurlInternetChecker::CheckInternetUrl(std::string_view url, RunView& view) {
  if (const bool* known = verdicts_.Find(url))
    return *known ? UrlVerdict::Valid : UrlVerdict::Broken;

  view.SetKeyStatus(StatusKey::CheckingPressF10);
  view.AppendLogLine("Checking \"" + std::string(url) + "\" in the Internet ... ", false);

  std::optional<Target> target;
  static constexpr std::pair<std::string_view, Scheme> kSchemes[] = {{"http://", Scheme::Http},
                                                                     {"https://", Scheme::Https},
                                                                     {"ftp://", Scheme::Ftp},
                                                                     {"gopher://", Scheme::Gopher}};
  for (const auto& [prefix, scheme] : kSchemes) {
    if (!StartsWithIgnoreCase(url, prefix)) continue;
    const std::string_view rest = url.substr(prefix.size());
    const std::size_t slash = rest.find('/');
    target.emplace();
    target->scheme = scheme;
    target->host = rest.substr(0, slash);
    target->path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    target->requestUrl = RequestUrl(url, prefix.size() + target->host.size());
    break;
  }

  // A URL of another scheme cannot be asked for: it is skipped like an unreachable host.
  const Outcome outcome = target ? Check(*target, view) : Outcome::Skipped;
  if (outcome == Outcome::Stopped) return UrlVerdict::Stopped;
  if (outcome == Outcome::Skipped) ++skipped_;
  const bool valid = outcome != Outcome::Broken;
  view.AppendLogLine(outcome == Outcome::Valid    ? "valid. "
                     : outcome == Outcome::Broken ? "broken. "
                                                  : "skipped. ",
                     true);
  verdicts_.Remember(url, valid);
  view.SetKeyStatus(StatusKey::PressEscToStop);
  return valid ? UrlVerdict::Valid : UrlVerdict::Broken;
}

CurlInternetChecker::Outcome CurlInternetChecker::Check(const Target& target, RunView& view) {
  if (session_ == nullptr) return Outcome::Skipped;
  bool connected = false;
  if (const bool* known = connections_.Find(target.host)) {
    connected = *known;
  } else {
    const Reach reach = Connect(target, view);
    if (reach == Reach::Stopped) return Outcome::Stopped;
    // F10 while connecting leaves the host unknown: its next URL tries again.
    if (reach == Reach::Skipped) return Outcome::Skipped;
    connected = reach == Reach::Connected;
    connections_.Remember(target.host, connected);
  }
  if (!connected) return Outcome::Skipped;
  switch (target.scheme) {
    case Scheme::Http:
    case Scheme::Https:
      return CheckHttp(target, view);
    case Scheme::Ftp:
      return CheckFtp(target, view);
    case Scheme::Gopher:
      return CheckGopher(target, view);
  }
  return Outcome::Broken;
}

CurlInternetChecker::Reach CurlInternetChecker::Connect(const Target& target, RunView& view) {
  const std::string url = ConnectionUrl(target.scheme, target.host);
  if (url.empty()) return Reach::Unreachable;
  CURL* h = curl_easy_init();
  if (h == nullptr) return Reach::Unreachable;
  Prepare(h, url, SettingsOf(connectTimeout_, requestTimeout_, caFile_));
  curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
  const Finished f = session_->Run(h, view);
  curl_easy_cleanup(h);  // a connect-only connection is never reused: this closes it
  if (f.end == End::Stopped) return Reach::Stopped;
  if (f.end == End::Skipped) return Reach::Skipped;
  return f.code == CURLE_OK ? Reach::Connected : Reach::Unreachable;
}

CurlInternetChecker::Outcome CurlInternetChecker::CheckHttp(const Target& target, RunView& view) {
  CURL* h = session_->easy;
  const Settings settings = SettingsOf(connectTimeout_, requestTimeout_, caFile_);
  Prepare(h, target.requestUrl, settings);
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  Finished f = session_->Run(h, view);
  if (const auto cut = CutShort<Outcome>(f)) return *cut;
  if (f.code != CURLE_OK) return Outcome::Broken;
  long status = ResponseCode(h);

  // Some servers refuse HEAD. They get one GET, ended at the first byte of the body.
  if (status == 405 || status == 501) {
    BodyProbe probe;
    Prepare(h, target.requestUrl, settings);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, ProbeBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &probe);
    f = session_->Run(h, view);
    if (const auto cut = CutShort<Outcome>(f)) return *cut;
    if (!ProbeEnded(f, probe)) return Outcome::Broken;
    status = ResponseCode(h);
  }
  return status == 200 || status == 401 ? Outcome::Valid : Outcome::Broken;
}

// The path is looked up as a file first (size and date, no data), then as a folder (the
// folder change alone). Nothing after the host names the server's own folder, which the
// connection has already reached.
CurlInternetChecker::Outcome CurlInternetChecker::CheckFtp(const Target& target, RunView& view) {
  if (target.path.empty()) return Outcome::Valid;
  CURL* h = session_->easy;
  const Settings settings = SettingsOf(connectTimeout_, requestTimeout_, caFile_);
  Prepare(h, target.requestUrl, settings);
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(h, CURLOPT_FILETIME, 1L);
  Finished f = session_->Run(h, view);
  if (const auto cut = CutShort<Outcome>(f)) return *cut;
  if (f.code == CURLE_OK) return Outcome::Valid;
  // A path ending in '/' was looked up as a folder already.
  if (target.path.back() == '/') return Outcome::Broken;

  Prepare(h, target.requestUrl + "/", settings);
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  f = session_->Run(h, view);
  if (const auto cut = CutShort<Outcome>(f)) return *cut;
  return f.code == CURLE_OK ? Outcome::Valid : Outcome::Broken;
}

// The selector is fetched; its first line tells a served item from the server's error item.
CurlInternetChecker::Outcome CurlInternetChecker::CheckGopher(const Target& target, RunView& view) {
  CURL* h = session_->easy;
  BodyProbe probe;
  probe.keep = kGopherProbeBytes;
  Prepare(h, target.requestUrl, SettingsOf(connectTimeout_, requestTimeout_, caFile_));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, ProbeBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &probe);
  const Finished f = session_->Run(h, view);
  if (const auto cut = CutShort<Outcome>(f)) return *cut;
  if (!ProbeEnded(f, probe)) return Outcome::Broken;
  return IsGopherError(probe.head) ? Outcome::Broken : Outcome::Valid;
}

}  // namespace urlsmith
