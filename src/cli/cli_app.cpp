#include "cli/cli_app.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>

#include "apply/apply_run.h"
#include "cli/cli_run_view.h"
#include "engine/curl_checker.h"
#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
#include "engine/verdict_store.h"
#include "results/deletion_options.h"
#include "results/plan_json.h"
#include "results/reports.h"
#include "results/result_list.h"

namespace urlsmith::cli {

namespace {

constexpr int kExitClean = 0;
constexpr int kExitChanges = 1;
constexpr int kExitError = 2;

constexpr const char* kUsage =
    R"(Usage: urlsmith-cli scan [options] PATH...
       urlsmith-cli fix [options] PATH...
       urlsmith-cli --help | --version

Finds the broken links of a local web site: pages (.htm, .html, .shtml), style sheets (.css)
and scripts (.js), and every file they point to.

Each PATH is a file or a folder; folders are added with all their subfolders. The files given
form the file list: a link to a file that is not in the list counts as broken. The run log goes
to stderr; the planned changes go to stdout, one line per group of equal changes, followed by
an ORPHAN line for every listed file that no link refers to.

scan only reports. fix searches, shows the plan, asks for confirmation (unless --yes) and then
rewrites the pages, style sheets and scripts in place, keeping each old file as FILE.bak (see
unspool to restore them). When it completed forgotten protocol names it searches and fixes the
pages once more, without further backups.

Exit status of scan: 0 when nothing needs changing, 1 when changes are planned, 2 on an error
or when the run was stopped. Exit status of fix: 0 when everything planned was applied (or
nothing needed changing), 2 on an error, a file that could not be written, or a stop.
Ctrl-C stops the run; Ctrl-\ skips the Internet address being checked.

Search options:
  --no-internet             do not check Internet addresses (http, https, ftp, gopher), and
                            leave them as they are (they are still escaped, completed with a
                            forgotten protocol name or pointed to a saved local copy); so are
                            addresses that could not be checked for want of a connection
  --exclude REGEX           leave the Internet addresses that match REGEX (ECMAScript syntax,
                            anywhere in the address) unchecked and unchanged; repeatable
  --max-concurrency N       check at most N Internet addresses at a time (default 32); 1 checks
                            them one after the other as the search meets them
  --host-concurrency N      at most N of them on the same host (default 4)
  --cache                   remember valid Internet verdicts between runs, in
                            $XDG_CACHE_HOME/urlsmith/ (default ~/.cache/urlsmith/); broken
                            addresses are always asked again
  --cache-age AGE           how long a remembered verdict holds (default 1d); AGE is a number
                            of seconds, or a number followed by s, m, h or d
  --fix-redirects           replace an address that moved permanently (301, 308) by its final
                            address, keeping the link's fragment; temporary moves stay
  --strict-tls              an https address whose certificate cannot be verified counts as
                            broken (default: skipped, with the certificate error in the log)
  --rid-internet-links      do not check Internet addresses, and replace each of them by a
                            same-named file of the site or plan its deletion: the way to clean
                            pages downloaded from the web of their links
  --no-file-names           do not suggest a same-named file for broken Internet links
  --no-saved-from           do not use the "saved from url" comments of saved pages
  --base-url URL            the address the site is published at; links to it count as local
  --no-event-handlers       do not look for addresses in event handlers (onclick ...)
  --no-script-protocols     do not take script strings that begin with a protocol as links
  --script-tags             take tags written inside scripts as real tags
  --jobs N                  read and prepare files on N threads (default: one per processor);
                            the results are the same with any number
  --no-html5                do not look at the places of addresses that came with HTML5 and
                            later pages: srcset lists, SOURCE, TRACK, AUDIO and VIDEO sources,
                            VIDEO posters, OBJECT data, META refresh, SVG IMAGE and USE
                            references, LINK imagesrcset, form actions, cite attributes and
                            @import "x.css" in style sheets (a page's <base href> is always
                            honoured)
  --check-anchors           report local links whose fragment (page.htm#part) names no element
                            of the page (no id, no A name) on ANCHOR lines; when one element
                            matches ignoring letter case, plan that spelling

Processing options:
  --absolute                make found local links absolute (default: relative)
  --no-base-as-root         with --absolute and --base-url, do not build links from the base URL
  --no-add-protocols        do not add forgotten protocol names (http://, mailto:, file:///)
  --no-add-slashes          do not add a forgotten "//" after a protocol name
  --no-canonicalize         do not escape unsafe characters in links
  --delete-script-links     plan javascript:, vbscript: and about: links for deletion
  --delete-unknown-protocols  plan links with an unknown protocol for deletion
  --target-adder MODE       set the target of qualifying links; MODE is external, images or mask
  --target-mask MASK        the mask of --target-adder mask (default "*.jpg")
  --target NAME             the target to set (default "_blank")
  --no-modify-targets       with --target-adder, only change existing targets, add none
  --case-sensitive          the site is served by a server that tells letter case apart: a
                            local link whose letter case differs from its file is broken, and
                            gets the file's own spelling

File list:
  --no-recurse              folders add only their own files, not their subfolders

Review (the plan on stdout):
  --sort none|url|action    order of the plan (default none: as found)
  --hide-delete             leave out DELETE lines (only with --allow-deletion)
  --hide-replace            leave out REPLACE lines
  --hide-target             leave out TARGET lines
  --hide-orphan             leave out ORPHAN lines
  --allow-deletion          plan deletions of broken links that have no replacement; without
                            it, such links are left as they are
  --format FORMAT           the plan as lines (text, the default), as JSON (json), or as a
                            report: junit (JUnit XML, a test case per file and a failure per
                            change), markdown (a table per file) or sarif (SARIF 2.1.0, a result
                            per change with its line and column); the reports name the broken
                            links that are left because deletion is not allowed too, and are
                            written even when nothing is to be changed
  --output FILE             write the plan to FILE instead of stdout

Applying (fix only):
  --no-backups              do not keep the old files as FILE.bak
  --text-links text|empty   a deleted text link becomes plain text (default) or an empty "#" link
  --image-url URL           deleted pictures point at URL instead of nothing
  --image-url-absolute      write --image-url as given, not relative to each page
  --background-url URL      deleted backgrounds point at URL instead of nothing
  --background-url-absolute write --background-url as given, not relative to each page
  -y, --yes                 apply without asking

Other:
  -q, --quiet               write no run log
  -h, --help                show this help
  --version                 show the version
)";

struct Options {
  SearchOptions search;
  ProcessingOptions processing;
  ResultOptions review;
  DeletionOptions deletion;
  std::string format = "text";
  std::string output;  // empty: stdout
  // --no-backups: what the plan reports as "makeBackups" and what the apply run does.
  bool backups = true;
  bool yes = false;
  bool ridInternetLinks = false;
  int maxConcurrency = CurlInternetChecker::kDefaultMaxConcurrency;
  int hostConcurrency = CurlInternetChecker::kDefaultHostConcurrency;
  bool cache = false;
  std::chrono::seconds cacheAge{86400};
  bool strictTls = false;
  bool recurse = true;
  bool quiet = false;
  std::vector<std::string> paths;
};

// A count of at least 1.
std::optional<std::string> ParseCount(const char* name, const std::string& v, int& out) {
  char* end = nullptr;
  const long n = std::strtol(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || n < 1 || n > 1024) {
    return std::string(name) + " takes a number from 1 to 1024, not \"" + v + "\"";
  }
  out = static_cast<int>(n);
  return std::nullopt;
}

// "3600", "3600s", "30m", "2h", "1d".
std::optional<std::chrono::seconds> ParseAge(const std::string& v) {
  char* end = nullptr;
  const long long n = std::strtoll(v.c_str(), &end, 10);
  if (v.empty() || end == v.c_str() || n < 0) return std::nullopt;
  const std::string unit(end);
  static const std::map<std::string, long long> kUnits = {
      {"", 1}, {"s", 1}, {"m", 60}, {"h", 3600}, {"d", 86400}};
  const auto it = kUnits.find(unit);
  if (it == kUnits.end()) return std::nullopt;
  return std::chrono::seconds(n * it->second);
}

// Parses the scan options; returns an error text or nothing.
std::optional<std::string> ParseScanOptions(const std::vector<std::string>& args, std::size_t i,
                                            Options& o, bool fix) {
  using Flag = std::function<void()>;
  const std::map<std::string, Flag> flags = {
      {"--no-internet", [&] { o.search.CheckInternetUrls = false; }},
      {"--rid-internet-links",
       [&] {
         o.search.CheckInternetUrls = false;
         o.ridInternetLinks = true;
       }},
      {"--cache", [&] { o.cache = true; }},
      {"--fix-redirects", [&] { o.search.FixRedirects = true; }},
      {"--strict-tls", [&] { o.strictTls = true; }},
      {"--no-file-names", [&] { o.search.SearchByFileNames = false; }},
      {"--no-saved-from", [&] { o.search.UseSavedFromUrl = false; }},
      {"--no-event-handlers", [&] { o.search.ScanEventHandlers = false; }},
      {"--no-script-protocols", [&] { o.search.ScanScriptsByProtocol = false; }},
      {"--no-html5", [&] { o.search.SearchHtml5 = false; }},
      {"--check-anchors", [&] { o.search.CheckAnchors = true; }},
      {"--case-sensitive", [&] { o.search.CaseSensitive = true; }},
      {"--script-tags", [&] { o.search.ScanScriptsByTag = true; }},
      {"--absolute", [&] { o.processing.UrlForm = UrlFormKind::Absolute; }},
      {"--no-base-as-root", [&] { o.processing.UseBaseUrlAsRoot = false; }},
      {"--no-add-protocols", [&] { o.processing.AddProtocolNames = false; }},
      {"--no-add-slashes", [&] { o.processing.AddProtocolSlashes = false; }},
      {"--no-canonicalize", [&] { o.processing.CanonicalizeUrls = false; }},
      {"--delete-script-links", [&] { o.processing.DeleteScriptLinks = true; }},
      {"--delete-unknown-protocols", [&] { o.processing.DeleteUnknownProtocols = true; }},
      {"--no-modify-targets", [&] { o.processing.ModifyExistingTargets = false; }},
      {"--no-recurse", [&] { o.recurse = false; }},
      {"--hide-delete", [&] { o.review.HideDelete = true; }},
      {"--hide-replace", [&] { o.review.HideReplace = true; }},
      {"--hide-target", [&] { o.review.HideTarget = true; }},
      {"--hide-orphan", [&] { o.review.HideOrphan = true; }},
      {"--allow-deletion", [&] { o.review.AllowLinkDeletion = true; }},
      {"--quiet", [&] { o.quiet = true; }},
      {"-q", [&] { o.quiet = true; }},
  };
  using Flags = std::map<std::string, Flag>;
  const Flags fixFlags = {
      {"--no-backups", [&] { o.backups = false; }},
      {"--image-url-absolute", [&] { o.deletion.ImageReplacementRelative = false; }},
      {"--background-url-absolute", [&] { o.deletion.BackgroundReplacementRelative = false; }},
      {"--yes", [&] { o.yes = true; }},
      {"-y", [&] { o.yes = true; }},
  };
  using Valued = std::function<std::optional<std::string>(const std::string&)>;
  const std::map<std::string, Valued> valued = {
      {"--exclude",
       [&](const std::string& v) -> std::optional<std::string> {
         try {
           o.search.ExcludedUrls.emplace_back(v, std::regex::ECMAScript | std::regex::optimize);
         } catch (const std::regex_error& e) {
           return "--exclude: \"" + v + "\" is not a regular expression (" + e.what() + ")";
         }
         return std::nullopt;
       }},
      {"--jobs",
       [&](const std::string& v) -> std::optional<std::string> {
         const int n = std::atoi(v.c_str());
         if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos || n < 1 ||
             n > kMaxScanWorkers) {
           return "--jobs takes a number from 1 to " + std::to_string(kMaxScanWorkers) +
                  ", not \"" + v + "\"";
         }
         o.search.ScanWorkers = n;
         return std::nullopt;
       }},
      {"--max-concurrency",
       [&](const std::string& v) -> std::optional<std::string> {
         return ParseCount("--max-concurrency", v, o.maxConcurrency);
       }},
      {"--host-concurrency",
       [&](const std::string& v) -> std::optional<std::string> {
         return ParseCount("--host-concurrency", v, o.hostConcurrency);
       }},
      {"--cache-age",
       [&](const std::string& v) -> std::optional<std::string> {
         const auto age = ParseAge(v);
         if (!age)
           return "--cache-age takes seconds or a number with s, m, h or d, not \"" + v + "\"";
         o.cacheAge = *age;
         return std::nullopt;
       }},
      {"--base-url",
       [&](const std::string& v) -> std::optional<std::string> {
         o.search.UseBaseUrl = true;
         o.search.BaseUrl = v;
         return std::nullopt;
       }},
      {"--target-adder",
       [&](const std::string& v) -> std::optional<std::string> {
         o.processing.TargetAdderEnabled = true;
         if (v == "external") {
           o.processing.TargetAdderMode = TargetMode::AllExternal;
         } else if (v == "images") {
           o.processing.TargetAdderMode = TargetMode::ImageFiles;
         } else if (v == "mask") {
           o.processing.TargetAdderMode = TargetMode::CustomMask;
         } else {
           return "--target-adder takes external, images or mask, not \"" + v + "\"";
         }
         return std::nullopt;
       }},
      {"--target-mask",
       [&](const std::string& v) -> std::optional<std::string> {
         o.processing.TargetUrlMask = v;
         return std::nullopt;
       }},
      {"--target",
       [&](const std::string& v) -> std::optional<std::string> {
         o.processing.TargetName = v;
         return std::nullopt;
       }},
      {"--sort",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v == "none") {
           o.review.SortMode = SortModeKind::Unsorted;
         } else if (v == "url") {
           o.review.SortMode = SortModeKind::ByUrl;
         } else if (v == "action") {
           o.review.SortMode = SortModeKind::ByAction;
         } else {
           return "--sort takes none, url or action, not \"" + v + "\"";
         }
         return std::nullopt;
       }},
      {"--format",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v != "text" && v != "json" && v != "junit" && v != "markdown" && v != "sarif") {
           return "--format takes text or json, or a report: junit, markdown or sarif; not \"" + v +
                  "\"";
         }
         o.format = v;
         return std::nullopt;
       }},
      {"--output",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v.empty()) return std::string("--output needs a file name");
         o.output = v;
         return std::nullopt;
       }},
  };
  const std::map<std::string, Valued> fixValued = {
      {"--text-links",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v == "text") {
           o.deletion.TextLinkMode = TextLinkModeKind::ConvertToText;
         } else if (v == "empty") {
           o.deletion.TextLinkMode = TextLinkModeKind::MakeEmpty;
         } else {
           return "--text-links takes text or empty, not \"" + v + "\"";
         }
         return std::nullopt;
       }},
      {"--image-url",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v.empty()) return std::string(kEmptyReplacementUrlMessage);
         o.deletion.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
         o.deletion.ImageReplacementUrl = v;
         return std::nullopt;
       }},
      {"--background-url",
       [&](const std::string& v) -> std::optional<std::string> {
         if (v.empty()) return std::string(kEmptyReplacementUrlMessage);
         o.deletion.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
         o.deletion.BackgroundReplacementUrl = v;
         return std::nullopt;
       }},
  };

  bool onlyPaths = false;
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyPaths || a.empty() || a[0] != '-' || a == "-") {
      o.paths.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyPaths = true;
      continue;
    }
    if (auto f = flags.find(a); f != flags.end()) {
      f->second();
      continue;
    }
    if (auto f = fixFlags.find(a); fix && f != fixFlags.end()) {
      f->second();
      continue;
    }
    std::string name = a;
    std::optional<std::string> value;
    if (const auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    const auto v = valued.find(name);
    const auto fv = fixValued.find(name);
    if (v != valued.end() || (fix && fv != fixValued.end())) {
      if (!value) {
        if (i + 1 >= args.size()) return name + " needs a value";
        value = args[++i];
      }
      if (auto error = (v != valued.end() ? v->second : fv->second)(*value)) return error;
      continue;
    }
    return "unknown option \"" + a + "\" (see urlsmith-cli --help)";
  }
  if (o.paths.empty()) return "no file or folder given (see urlsmith-cli --help)";
  return std::nullopt;
}

// A path as the file list holds it: absolute, without "." steps or a trailing separator.
std::string ListPath(const std::string& arg) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(arg, ec);
  if (ec) p = arg;
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

// Writes the review lines, or the plan as JSON, after sorting the table as asked. Returns false
// when Ctrl-C was pressed meanwhile: the plan is still written in full, but nothing may follow.
bool PrintPlan(SearchSession& session, const Options& o, RunView& view, std::FILE* out) {
  VectorResultList list;
  ResultHooks hooks;
  bool stopped = false;
  hooks.StopPoll = [&view, &stopped] {
    const Poll poll = view.StopPoll();
    if (poll == Poll::Stop) stopped = true;
    return poll;
  };
  ResultStep step(session, list, std::move(hooks));
  step.Options = o.review;
  step.Options.MakeBackups = o.backups;
  ShowResults(step);
  if (o.format != "text") {
    const std::string report = o.format == "json"    ? PlanJson(step)
                               : o.format == "junit" ? JunitReport(step)
                               : o.format == "sarif" ? SarifReport(step, URLSMITH_VERSION)
                                                     : MarkdownReport(step);
    std::fwrite(report.data(), 1, report.size(), out);
    if (report.empty() || report.back() != '\n') std::fputc('\n', out);
  } else {
    for (int k = 0; k < list.Count(); ++k) {
      const std::string line = list.Text(k);
      std::fwrite(line.data(), 1, line.size(), out);
      std::fputc('\n', out);
    }
  }
  std::fflush(out);
  return !stopped;
}

// The end of a run that Ctrl-C stopped after its search.
int StoppedAfterSearch(bool fix, std::FILE* err) {
  std::fprintf(err,
               fix ? "urlsmith-cli: stopped; nothing was changed\n" : "urlsmith-cli: stopped\n");
  return kExitError;
}

// Builds the file list from the paths given; false (after the message) when it cannot.
bool BuildFileList(SearchSession& session, const Options& o, CliRunView& view, std::FILE* err) {
  for (const auto& arg : o.paths) {
    const std::string path = ListPath(arg);
    if (session.fs().IsDirectory(path)) {
      const AddResult r = FolderAdd(session.FileList, session.fs(), view, o.recurse, path);
      if (r.Stopped) {
        view.Finish();
        std::fprintf(err, "urlsmith-cli: stopped while adding files\n");
        return false;
      }
      if (r.Unlisted > 0) {
        view.Finish();
        std::fprintf(err, "urlsmith-cli: cannot read the folder \"%s\"\n", arg.c_str());
        return false;
      }
    } else if (session.fs().Exists(path)) {
      SelectionAdd(session.FileList, view, {path});
    } else {
      view.Finish();
      std::fprintf(err, "urlsmith-cli: cannot find \"%s\"\n", arg.c_str());
      return false;
    }
  }
  if (session.FileList.empty()) {
    view.Finish();
    std::fprintf(err, "urlsmith-cli: the folders given hold no files\n");
    return false;
  }
  return true;
}

// Runs one search and writes its final status; returns its outcome.
SearchOutcome Search(SearchSession& session, const Options& o, CliRunView& view, std::FILE* err) {
  const SearchResult result = RunSearch(session, view);
  view.Finish();
  if (!o.quiet && result.Outcome != SearchOutcome::Refused) {
    std::fprintf(err, "%s\n", view.status().c_str());
  }
  return result.Outcome;
}

// The most passes fix makes: each pass after the first only follows automatic protocol fixes.
constexpr int kMaxPasses = 5;

// The reports are written when nothing is to be changed too: a CI server wants to see the
// files that passed.
bool IsReport(const Options& o) {
  return o.format == "junit" || o.format == "markdown" || o.format == "sarif";
}

int Run(const std::vector<std::string>& args, bool fix, std::FILE* out, std::FILE* err) {
  Options o;
  if (auto error = ParseScanOptions(args, 1, o, fix)) {
    std::fprintf(err, "urlsmith-cli: %s\n", error->c_str());
    return kExitError;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> outputFile(nullptr, &std::fclose);
  if (!o.output.empty()) {
    outputFile.reset(std::fopen(o.output.c_str(), "wb"));
    if (!outputFile) {
      std::fprintf(err, "urlsmith-cli: cannot write \"%s\": %s\n", o.output.c_str(),
                   std::strerror(errno));
      return kExitError;
    }
    out = outputFile.get();
  }
  const bool interactive = ::isatty(::fileno(err)) != 0;
  CliRunView view(err, interactive, o.quiet);
  view.SetAssumeYes(o.yes);

  SearchSession session(PathStyle::Posix);
  // The network library (and its TLS start-up) only when addresses are checked.
  if (o.search.CheckInternetUrls) {
    auto checker = std::make_unique<CurlInternetChecker>();
    checker->SetConcurrency(o.maxConcurrency, o.hostConcurrency);
    checker->SetStrictTls(o.strictTls);
    if (o.cache) checker->SetVerdictFile(VerdictStore::DefaultPath(), o.cacheAge);
    session.SetInternetChecker(std::move(checker));
  }
  session.Search = o.search;
  // The command line leaves what it did not check alone, unless asked to rid the pages of it.
  session.Search.KeepUncheckedInternetUrls = !o.ridInternetLinks;
  session.Processing = o.processing;
  if (!BuildFileList(session, o, view, err)) return kExitError;

  // As when the processing options are shown: the root and the caches are computed anew.
  session.CacheReset();

  switch (Search(session, o, view, err)) {
    case SearchOutcome::Refused:
    case SearchOutcome::Stopped:
      return kExitError;
    case SearchOutcome::NothingFound:
      if (IsReport(o) && !PrintPlan(session, o, view, out)) return StoppedAfterSearch(fix, err);
      return kExitClean;
    case SearchOutcome::Found:
      break;
  }
  if (!PrintPlan(session, o, view, out)) return StoppedAfterSearch(fix, err);
  if (!fix) return kExitChanges;

  if (!o.yes) {
    if (!interactive || ::isatty(STDIN_FILENO) == 0) {
      std::fprintf(err, "urlsmith-cli: not applied: confirm with --yes when not on a terminal\n");
      return kExitError;
    }
    if (!view.AskYesNo("Apply these changes to the files?")) {
      std::fprintf(err, "urlsmith-cli: nothing was changed\n");
      return kExitError;
    }
  }

  ResultOptions review = o.review;
  review.MakeBackups = o.backups;
  ApplyOptions apply =
      MakeApplyOptions(review, o.deletion, o.processing.CanonicalizeUrls, session.pathStyle());
  ApplyResult r = ApplyStep(session, apply, view);
  view.Finish();
  if (!o.quiet) std::fprintf(err, "%s\n", view.status().c_str());
  // A further pass follows the automatic protocol fixes, as the wizard's "Next pass" does. It
  // makes no backups: the first pass's backups hold the originals. It runs only when every file
  // of the pass before was written, so no file is ever rewritten without its backup.
  for (int pass = 1;
       pass < kMaxPasses && !r.Stopped && r.FilesFailed == 0 && r.Next == AfterApply::NextPass;
       ++pass) {
    const SearchOutcome again = Search(session, o, view, err);
    if (again == SearchOutcome::Stopped || again == SearchOutcome::Refused) return kExitError;
    if (again == SearchOutcome::NothingFound) break;
    if (!PrintPlan(session, o, view, out)) return StoppedAfterSearch(false, err);
    apply.MakeBackupsEnabled = false;
    r = ApplyStep(session, apply, view);
    view.Finish();
    if (!o.quiet) std::fprintf(err, "%s\n", view.status().c_str());
  }
  if (r.Stopped || r.FilesFailed > 0) return kExitError;
  return kExitClean;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  if (args.empty()) {
    std::fputs(kUsage, err);
    return kExitError;
  }
  const std::string& command = args[0];
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, out);
    return kExitClean;
  }
  if (command == "--version") {
    std::fputs("urlsmith-cli " URLSMITH_VERSION "\n", out);
    return kExitClean;
  }
  if (command == "scan" || command == "fix") {
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--") break;
      if (args[i] == "-h" || args[i] == "--help") {
        std::fputs(kUsage, out);
        return kExitClean;
      }
    }
    return Run(args, command == "fix", out, err);
  }
  std::fprintf(err, "urlsmith-cli: unknown command \"%s\" (see urlsmith-cli --help)\n",
               command.c_str());
  return kExitError;
}

}  // namespace urlsmith::cli
