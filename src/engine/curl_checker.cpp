#include "engine/curl_checker.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <unordered_map>

#include "engine/curl_library.h"
#include "engine/verdict_store.h"

#include "text/url_ops.h"

namespace urlsmith {

// How a check runs on libcurl.
//
// libcurl is loaded when the first address of a run with an open session is to be asked (see
// curl_library.h), so that the checker costs nothing to a run that asks no address. When it
// cannot be loaded the run log says why, once per run, and every address is skipped.
//
// The session is one multi handle; every transfer gets its own request handle. libcurl keeps
// the live connections (and resolved names) in the multi handle, so requests to a host already
// asked go over a connection left open by one before; closing the session closes them all.
//
// libcurl has no connect step of its own, so a "connection" here is the first contact with a
// host text: the first URL of a host that is not in the ConnectionCache makes a connect-only
// transfer to it (name resolution and TCP connect on the URL's port, or the scheme's default
// port 80/443/21/70; for ftp the anonymous login as well; for https the plain TCP connect, so
// that a certificate fault is told apart from an unreachable host). Its outcome is stored
// under the host text, whatever the scheme, and every later URL of that host text either goes
// on to its request or, when the host could not be reached, is skipped without any traffic.
// The live connections themselves stay libcurl's: it closes idle ones as it sees fit, and a
// ConnectionCache entry that leaves the ring closes nothing.
//
// Requests run on the calling thread (RunJobs): between short waits on the multi handle the run
// view is polled, and a request is given up by taking its handle out of the multi handle. One
// address asked by the search runs alone; addresses checked ahead run side by side within the
// limits, a host's probe first and alone. Both go through the same steps, so a verdict does not
// depend on how many ran at once.
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
  Curl()->easy_reset(h);
  Curl()->easy_setopt(h, CURLOPT_URL, url.c_str());
  Curl()->easy_setopt(h, CURLOPT_USERAGENT, kAgent);
  Curl()->easy_setopt(h, CURLOPT_PROXY, "");  // direct access, whatever the environment says
  Curl()->easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  Curl()->easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, s.connectMs);
  Curl()->easy_setopt(h, CURLOPT_TIMEOUT_MS, s.requestMs);
  Curl()->easy_setopt(h, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  Curl()->easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, kRedirectProtocols);
  Curl()->easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardBody);
  if (!s.caFile.empty()) Curl()->easy_setopt(h, CURLOPT_CAINFO, s.caFile.c_str());
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
  CURLU* u = Curl()->url();
  if (u == nullptr) return result;
  const std::string https = "https://" + std::string(host) + "/";
  char* port = nullptr;
  if (Curl()->url_set(u, CURLUPART_URL, https.c_str(), 0) == CURLUE_OK &&
      Curl()->url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK &&
      Curl()->url_set(u, CURLUPART_SCHEME, "http", 0) == CURLUE_OK &&
      Curl()->url_set(u, CURLUPART_PORT, port, 0) == CURLUE_OK) {
    char* text = nullptr;
    if (Curl()->url_get(u, CURLUPART_URL, &text, 0) == CURLUE_OK) result = text;
    Curl()->free(text);
  }
  Curl()->free(port);
  Curl()->url_cleanup(u);
  return result;
}

// A Gopher server answers a selector it cannot serve with an error item: a first line that
// starts with item type '3' and has tab-separated fields.
bool IsGopherError(std::string_view head) {
  const std::string_view line = head.substr(0, head.find('\n'));
  return !line.empty() && line.front() == '3' && line.find('\t') != std::string_view::npos;
}

// What one answer's headers said: the status of every response of a redirect chain, and
// whether the last one asked to come back later.
struct HeaderNotes {
  std::vector<long> statuses;
  bool retryAfter = false;
};

std::size_t NoteHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* notes = static_cast<HeaderNotes*>(user);
  const std::size_t bytes = size * count;
  const std::string_view line(data, bytes);
  if (StartsWithIgnoreCase(line, "HTTP/")) {
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos) {
      const long status = std::strtol(std::string(line.substr(space + 1, 3)).c_str(), nullptr, 10);
      if (status >= 200) notes->statuses.push_back(status);  // 1xx are no answers
      notes->retryAfter = false;
    }
  } else if (StartsWithIgnoreCase(line, "Retry-After:")) {
    notes->retryAfter = true;
  }
  return bytes;
}

// A chain of redirects that were all permanent, ending at a page that is there.
bool MovedPermanently(const std::vector<long>& statuses) {
  if (statuses.size() < 2 || statuses.back() != 200) return false;
  return std::all_of(statuses.begin(), statuses.end() - 1,
                     [](long s) { return s == 301 || s == 308; });
}

struct Parts {
  Scheme scheme = Scheme::Http;
  std::string host;  // text after "scheme://" up to the first '/'
  std::string path;  // text after that '/'
  std::string requestUrl;
};

// A URL of another scheme cannot be asked for.
std::optional<Parts> SplitUrl(std::string_view url) {
  static constexpr std::pair<std::string_view, Scheme> kSchemes[] = {{"http://", Scheme::Http},
                                                                     {"https://", Scheme::Https},
                                                                     {"ftp://", Scheme::Ftp},
                                                                     {"gopher://", Scheme::Gopher}};
  for (const auto& [prefix, scheme] : kSchemes) {
    if (!StartsWithIgnoreCase(url, prefix)) continue;
    const std::string_view rest = url.substr(prefix.size());
    const std::size_t slash = rest.find('/');
    Parts p;
    p.scheme = scheme;
    p.host = rest.substr(0, slash);
    p.path = slash == std::string_view::npos ? std::string() : std::string(rest.substr(slash + 1));
    p.requestUrl = RequestUrl(url, prefix.size() + p.host.size());
    return p;
  }
  return std::nullopt;
}

}  // namespace

struct CurlInternetChecker::Session {
  CURLM* multi = nullptr;

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (multi != nullptr) Curl()->multi_cleanup(multi);
  }

  static std::unique_ptr<Session> Open(int connections) {
    auto s = std::make_unique<Session>();
    s->multi = Curl()->multi_init();
    if (s->multi == nullptr) return nullptr;
    // Idle connections kept for reuse: enough for every transfer that may run at once.
    Curl()->multi_setopt(s->multi, CURLMOPT_MAXCONNECTS,
                         static_cast<long>(std::max(16, connections)));
    return s;
  }
};

// One address on its way through its requests. The first contact with a host text is the
// connect-only probe (see above); then the scheme's requests follow one another.
struct CurlInternetChecker::Job {
  enum class Step { Probe, Head, Get, FtpFile, FtpFolder, Gopher };
  std::string url;
  Parts parts;
  Step step = Step::Head;
  std::size_t host = 0;  // index of the job's host in the batch
  CURL* easy = nullptr;
  bool finished = false;
  bool retried = false;   // a time-out or a lost connection was given its second chance
  int politeRetries = 0;  // answers of 429 or 503 with Retry-After obeyed
  std::chrono::steady_clock::time_point notBefore{};
  BodyProbe probe;
  HeaderNotes notes;
  char error[CURL_ERROR_SIZE] = {};
  Answer answer;

  Step FirstRequest() const {
    switch (parts.scheme) {
      case Scheme::Http:
      case Scheme::Https:
        return Step::Head;
      case Scheme::Ftp:
        return Step::FtpFile;
      case Scheme::Gopher:
        return Step::Gopher;
    }
    return Step::Head;
  }

  // Makes the transfer of the current step; false when it cannot be made.
  bool Start(const Settings& s) {
    easy = Curl()->easy_init();
    if (easy == nullptr) return false;
    probe = BodyProbe{};
    notes = HeaderNotes{};
    error[0] = '\0';
    auto http = [&](bool head) {
      Prepare(easy, parts.requestUrl, s);
      Curl()->easy_setopt(easy, head ? CURLOPT_NOBODY : CURLOPT_HTTPGET, 1L);
      Curl()->easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
      Curl()->easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
      Curl()->easy_setopt(easy, CURLOPT_HEADERFUNCTION, NoteHeader);
      Curl()->easy_setopt(easy, CURLOPT_HEADERDATA, &notes);
      if (!head) {
        // Some servers refuse HEAD. They get one GET, ended at the first byte of the body.
        Curl()->easy_setopt(easy, CURLOPT_WRITEFUNCTION, ProbeBody);
        Curl()->easy_setopt(easy, CURLOPT_WRITEDATA, &probe);
      }
    };
    switch (step) {
      case Step::Probe: {
        const std::string target = ConnectionUrl(parts.scheme, parts.host);
        if (target.empty()) return false;
        Prepare(easy, target, s);
        Curl()->easy_setopt(easy, CURLOPT_CONNECT_ONLY, 1L);
        break;
      }
      case Step::Head:
        http(true);
        break;
      case Step::Get:
        http(false);
        break;
      case Step::FtpFile:
        // The path is looked up as a file first (size and date, no data), then as a folder.
        Prepare(easy, parts.requestUrl, s);
        Curl()->easy_setopt(easy, CURLOPT_NOBODY, 1L);
        Curl()->easy_setopt(easy, CURLOPT_FILETIME, 1L);
        break;
      case Step::FtpFolder:
        Prepare(easy, parts.requestUrl + "/", s);
        Curl()->easy_setopt(easy, CURLOPT_NOBODY, 1L);
        break;
      case Step::Gopher:
        // The selector is fetched; its first line tells a served item from an error item.
        probe.keep = kGopherProbeBytes;
        Prepare(easy, parts.requestUrl, s);
        Curl()->easy_setopt(easy, CURLOPT_WRITEFUNCTION, ProbeBody);
        Curl()->easy_setopt(easy, CURLOPT_WRITEDATA, &probe);
        break;
    }
    Curl()->easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
    Curl()->easy_setopt(easy, CURLOPT_PRIVATE, this);
    return true;
  }

  void Drop(CURLM* multi) {
    if (easy == nullptr) return;
    Curl()->multi_remove_handle(multi, easy);
    Curl()->easy_cleanup(easy);  // a connect-only connection is never reused: this closes it
    easy = nullptr;
  }
};

CurlInternetChecker::CurlInternetChecker() = default;

CurlInternetChecker::~CurlInternetChecker() {
  SaveVerdicts();
  session_.reset();
}

void CurlInternetChecker::OpenSession() {
  skipped_ = 0;
  sessionOpen_ = true;
  loadFaultTold_ = false;
}

bool CurlInternetChecker::SessionReady(RunView& view) {
  if (session_ != nullptr) return true;
  if (!sessionOpen_) return false;
  if (Curl() == nullptr) {
    if (!loadFaultTold_) {
      view.AppendLogLine("Internet addresses cannot be checked: libcurl could not be loaded (" +
                             std::string(CurlLoadError()) + ")",
                         false);
      loadFaultTold_ = true;
    }
    return false;
  }
  session_ = Session::Open(maxConcurrency_);
  return session_ != nullptr;
}

void CurlInternetChecker::Reset() {
  SaveVerdicts();
  session_.reset();
  sessionOpen_ = false;
  verdicts_.Clear();
  connections_.Clear();
  ahead_.clear();
  moved_.clear();
}

void CurlInternetChecker::SetVerdictFile(std::string path, std::chrono::seconds maxAge) {
  store_.reset();
  storeWarning_.clear();
  if (path.empty()) return;
  store_ = std::make_unique<VerdictStore>(std::move(path), maxAge);
  if (auto warning = store_->Load()) storeWarning_ = *warning;
}

void CurlInternetChecker::SaveVerdicts() {
  if (store_ != nullptr && store_->dirty()) (void)store_->Save();
}

void CurlInternetChecker::TellStoreWarning(RunView& view) {
  if (storeWarning_.empty()) return;
  view.AppendLogLine(storeWarning_, false);
  storeWarning_.clear();
}

std::optional<std::string> CurlInternetChecker::MovedTo(std::string_view url) const {
  const auto it = moved_.find(ToLowerAscii(url));
  if (it == moved_.end()) return std::nullopt;
  return it->second;
}

UrlVerdict CurlInternetChecker::CheckInternetUrl(std::string_view url, RunView& view) {
  if (const bool* known = verdicts_.Find(url))
    return *known ? UrlVerdict::Valid : UrlVerdict::Broken;

  TellStoreWarning(view);
  Answer answer;
  bool fresh = true;           // asked now, not taken from the verdict file
  std::optional<Parts> parts;  // to be asked
  const std::string folded = ToLowerAscii(url);
  if (const auto ahead = ahead_.find(folded); ahead != ahead_.end()) {
    answer = std::move(ahead->second);
    ahead_.erase(ahead);
  } else if (const auto kept = store_ ? store_->FindValid(url) : std::nullopt) {
    answer = Answer{Outcome::Valid, {}, *kept};
    fresh = false;
  } else {
    parts = SplitUrl(url);
    if (parts && !SessionReady(view)) parts.reset();
  }
  view.SetKeyStatus(StatusKey::CheckingPressF10);
  view.AppendLogLine("Checking \"" + std::string(url) + "\" in the Internet ... ", false);
  if (parts) {
    std::vector<Job> jobs(1);
    jobs[0].url = std::string(url);
    jobs[0].parts = std::move(*parts);
    const BatchEnd end = RunJobs(jobs, view, 1, 1, false);
    if (end == BatchEnd::Stopped) return UrlVerdict::Stopped;
    answer = end == BatchEnd::Skipped ? Answer{} : jobs[0].answer;
  }
  Record(url, answer, fresh, view);
  view.SetKeyStatus(StatusKey::PressEscToStop);
  return answer.outcome == Outcome::Broken ? UrlVerdict::Broken : UrlVerdict::Valid;
}

void CurlInternetChecker::Record(std::string_view url, const Answer& answer, bool fresh,
                                 RunView& view) {
  if (answer.outcome == Outcome::Skipped) ++skipped_;
  const bool valid = answer.outcome != Outcome::Broken;
  std::string said = answer.outcome == Outcome::Valid    ? "valid"
                     : answer.outcome == Outcome::Broken ? "broken"
                                                         : "skipped";
  if (!answer.note.empty()) said += " (" + answer.note + ")";
  view.AppendLogLine(said + ". ", true);
  verdicts_.Remember(url, valid);
  if (!answer.movedTo.empty()) moved_[ToLowerAscii(url)] = answer.movedTo;
  if (store_ != nullptr && fresh) {
    if (answer.outcome == Outcome::Valid) store_->RememberValid(url, answer.movedTo);
    if (answer.outcome == Outcome::Broken) store_->Forget(url);
  }
}

UrlVerdict CurlInternetChecker::CheckAhead(const std::vector<std::string>& urls, RunView& view) {
  TellStoreWarning(view);
  std::vector<Job> jobs;
  std::unordered_map<std::string, bool> seen;
  for (const std::string& url : urls) {
    std::string folded = ToLowerAscii(url);
    if (verdicts_.Find(folded) != nullptr || ahead_.count(folded) > 0) continue;
    if (!seen.emplace(folded, true).second) continue;
    if (store_ != nullptr) {
      if (auto kept = store_->FindValid(url)) continue;  // CheckInternetUrl answers from the file
    }
    auto parts = SplitUrl(url);
    if (!parts) continue;
    Job& job = jobs.emplace_back();
    job.url = url;
    job.parts = std::move(*parts);
  }
  if (jobs.empty() || !SessionReady(view)) return UrlVerdict::Valid;
  view.SetKeyStatus(StatusKey::CheckingPressF10);
  const BatchEnd end = RunJobs(jobs, view, maxConcurrency_, hostConcurrency_, true);
  if (end == BatchEnd::Stopped) return UrlVerdict::Stopped;
  for (Job& job : jobs)
    ahead_[ToLowerAscii(job.url)] = job.finished ? std::move(job.answer) : Answer{};
  SaveVerdicts();
  view.SetKeyStatus(StatusKey::PressEscToStop);
  return UrlVerdict::Valid;
}

CurlInternetChecker::BatchEnd CurlInternetChecker::RunJobs(std::vector<Job>& jobs, RunView& view,
                                                           int total, int perHost,
                                                           bool showProgress) {
  using Clock = std::chrono::steady_clock;
  using Step = Job::Step;
  enum class HostState { Unknown, Probing, Connected, Unreachable };
  struct Host {
    std::string text;
    HostState state = HostState::Unknown;
    int active = 0;
    std::deque<std::size_t> waiting;  // job indices, in the order asked
  };
  std::vector<Host> hosts;
  std::unordered_map<std::string, std::size_t> hostIndex;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    Job& job = jobs[i];
    const std::string folded = ToLowerAscii(job.parts.host);
    auto [it, added] = hostIndex.emplace(folded, hosts.size());
    if (added) {
      Host& h = hosts.emplace_back();
      h.text = job.parts.host;
      if (const bool* known = connections_.Find(folded))
        h.state = *known ? HostState::Connected : HostState::Unreachable;
    }
    job.host = it->second;
    job.step = job.FirstRequest();
    hosts[job.host].waiting.push_back(i);
  }

  const Settings settings = SettingsOf(connectTimeout_, requestTimeout_, caFile_);
  CURLM* multi = session_->multi;
  std::size_t remaining = jobs.size();
  int running = 0;
  auto finish = [&](Job& job, Outcome outcome, std::string note = {}) {
    job.answer.outcome = outcome;
    job.answer.note = std::move(note);
    job.finished = true;
    --remaining;
  };
  auto again = [&](Job& job, Step step) {
    job.step = step;
    hosts[job.host].waiting.push_front(static_cast<std::size_t>(&job - jobs.data()));
  };
  auto dropAll = [&]() {
    for (Job& job : jobs)
      job.Drop(multi);
  };

  // What a finished transfer means for its address.
  auto settle = [&](Job& job, CURLcode code) {
    Host& host = hosts[job.host];
    --host.active;
    --running;
    if (job.step == Step::Probe) {
      const bool ok = code == CURLE_OK;
      job.Drop(multi);
      connections_.Remember(host.text, ok);
      host.state = ok ? HostState::Connected : HostState::Unreachable;
      if (!ok) {
        finish(job, Outcome::Skipped);
      } else if (job.parts.scheme == Scheme::Ftp && job.parts.path.empty()) {
        finish(job, Outcome::Valid);  // the server's own folder, reached by the connection
      } else {
        again(job, job.FirstRequest());
      }
      return;
    }
    long status = 0;
    Curl()->easy_getinfo(job.easy, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t retryAfter = 0;
    Curl()->easy_getinfo(job.easy, CURLINFO_RETRY_AFTER, &retryAfter);
    char* effective = nullptr;
    Curl()->easy_getinfo(job.easy, CURLINFO_EFFECTIVE_URL, &effective);
    const std::string finalUrl = effective == nullptr ? std::string() : effective;
    const std::string error = job.error;
    const bool probeEnded = code == CURLE_OK || (code == CURLE_WRITE_ERROR && job.probe.stopped);
    job.Drop(multi);

    if (NotMade(code)) {
      // A time-out or a lost connection is asked once more; then it tells nothing.
      if (!job.retried) {
        job.retried = true;
        again(job, job.step);
      } else {
        finish(job, Outcome::Skipped);
      }
      return;
    }
    if (code == CURLE_PEER_FAILED_VERIFICATION) {
      finish(job, strictTls_ ? Outcome::Broken : Outcome::Skipped,
             "certificate error: " +
                 (error.empty() ? std::string(Curl()->easy_strerror(code)) : error));
      return;
    }
    switch (job.step) {
      case Step::Probe:
        return;
      case Step::Head:
      case Step::Get: {
        if (job.step == Step::Get ? !probeEnded : code != CURLE_OK) {
          finish(job, Outcome::Broken);
          return;
        }
        if ((status == 429 || status == 503) && job.notes.retryAfter) {
          if (job.politeRetries < kMaxPoliteRetries) {
            ++job.politeRetries;
            const auto delay = std::min<std::chrono::seconds>(
                std::chrono::seconds(std::max<curl_off_t>(retryAfter, 0)), kMaxRetryDelay);
            job.notBefore = Clock::now() + delay;
            again(job, job.step);
          } else {
            finish(job, Outcome::Skipped);
          }
          return;
        }
        if (status == 429) {  // too many requests: nothing is known of the address
          finish(job, Outcome::Skipped);
          return;
        }
        if (job.step == Step::Head && (status == 405 || status == 501)) {
          again(job, Step::Get);
          return;
        }
        if (status == 200 || status == 401) {
          if (MovedPermanently(job.notes.statuses)) job.answer.movedTo = finalUrl;
          finish(job, Outcome::Valid);
        } else {
          finish(job, Outcome::Broken);
        }
        return;
      }
      case Step::FtpFile:
        if (code == CURLE_OK) {
          finish(job, Outcome::Valid);
        } else if (job.parts.path.back() == '/') {
          finish(job, Outcome::Broken);  // looked up as a folder already
        } else {
          again(job, Step::FtpFolder);
        }
        return;
      case Step::FtpFolder:
        finish(job, code == CURLE_OK ? Outcome::Valid : Outcome::Broken);
        return;
      case Step::Gopher:
        finish(job,
               probeEnded && !IsGopherError(job.probe.head) ? Outcome::Valid : Outcome::Broken);
        return;
    }
  };

  auto lastPoll = Clock::now();
  auto lastProgress = Clock::time_point{};
  BatchEnd end = BatchEnd::Done;
  while (remaining > 0) {
    // Start what the limits allow, host by host in the order they were first asked.
    const auto now = Clock::now();
    for (Host& host : hosts) {
      while (!host.waiting.empty() && running < total) {
        Job& job = jobs[host.waiting.front()];
        if (host.state == HostState::Unreachable) {
          host.waiting.pop_front();
          finish(job, Outcome::Skipped);
          continue;
        }
        if (host.state == HostState::Probing || host.active >= perHost || job.notBefore > now)
          break;
        if (host.state == HostState::Unknown) {
          host.state = HostState::Probing;
          job.step = Step::Probe;
        }
        host.waiting.pop_front();
        ++host.active;
        ++running;
        if (!job.Start(settings) || Curl()->multi_add_handle(multi, job.easy) != CURLM_OK) {
          settle(job, CURLE_FAILED_INIT);
        }
      }
    }
    if (remaining == 0) break;

    int stillRunning = 0;
    if (Curl()->multi_perform(multi, &stillRunning) != CURLM_OK) {
      end = BatchEnd::Skipped;
      break;
    }
    int queued = 0;
    while (CURLMsg* msg = Curl()->multi_info_read(multi, &queued)) {
      if (msg->msg != CURLMSG_DONE) continue;
      Job* job = nullptr;
      Curl()->easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &job);
      if (job != nullptr) settle(*job, msg->data.result);
    }
    if (remaining == 0) break;

    const auto after = Clock::now();
    if (after - lastPoll >= kPollInterval) {
      lastPoll = after;
      const Poll poll = view.StopPoll();
      if (poll == Poll::Stop) {
        end = BatchEnd::Stopped;
        break;
      }
      if (poll == Poll::Skip) {
        end = BatchEnd::Skipped;
        break;
      }
    }
    if (showProgress && after - lastProgress >= std::chrono::milliseconds(200)) {
      lastProgress = after;
      // The status line keeps naming the keys; the bar shows how far the checks are.
      view.SetOverallProgress(static_cast<int>(jobs.size() - remaining),
                              static_cast<int>(jobs.size()));
    }
    if (Curl()->multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr) != CURLM_OK) {
      end = BatchEnd::Skipped;
      break;
    }
  }
  dropAll();
  if (end == BatchEnd::Skipped) {
    // F10 (or a failing multi handle): what has no answer yet is skipped.
    for (Job& job : jobs) {
      if (!job.finished) finish(job, Outcome::Skipped);
    }
  }
  return end;
}

}  // namespace urlsmith
