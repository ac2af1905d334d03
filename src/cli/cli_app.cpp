#include "cli/cli_app.h"

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "cli/cli_run_view.h"
#include "engine/curl_checker.h"
#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"

namespace urlsmith::cli {

namespace {

constexpr int kExitClean = 0;
constexpr int kExitChanges = 1;
constexpr int kExitError = 2;

constexpr const char* kUsage =
    R"(Usage: urlsmith-cli scan [options] PATH...
       urlsmith-cli --help | --version

Finds the broken links of a local web site: pages (.htm, .html, .shtml), style sheets (.css)
and scripts (.js), and every file they point to.

Each PATH is a file or a folder; folders are added with all their subfolders. The files given
form the file list: a link to a file that is not in the list counts as broken. The run log goes
to stderr; the planned changes go to stdout, one line per change.

Exit status: 0 when nothing needs changing, 1 when changes are planned, 2 on an error or when
the run was stopped. Ctrl-C stops the run; Ctrl-\ skips the Internet address being checked.

Search options:
  --no-internet             do not check Internet addresses (http, https, ftp, gopher)
  --no-file-names           do not suggest a same-named file for broken Internet links
  --no-saved-from           do not use the "saved from url" comments of saved pages
  --base-url URL            the address the site is published at; links to it count as local
  --no-event-handlers       do not look for addresses in event handlers (onclick ...)
  --no-script-protocols     do not take script strings that begin with a protocol as links
  --script-tags             take tags written inside scripts as real tags

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

File list:
  --no-recurse              folders add only their own files, not their subfolders

Other:
  -q, --quiet               write no run log
  -h, --help                show this help
  --version                 show the version
)";

struct Options {
  SearchOptions search;
  ProcessingOptions processing;
  bool recurse = true;
  bool quiet = false;
  std::vector<std::string> paths;
};

// Parses the scan options; returns an error text or nothing.
std::optional<std::string> ParseScanOptions(const std::vector<std::string>& args, std::size_t i,
                                            Options& o) {
  using Flag = std::function<void()>;
  const std::map<std::string, Flag> flags = {
      {"--no-internet", [&] { o.search.CheckInternetUrls = false; }},
      {"--no-file-names", [&] { o.search.SearchByFileNames = false; }},
      {"--no-saved-from", [&] { o.search.UseSavedFromUrl = false; }},
      {"--no-event-handlers", [&] { o.search.ScanEventHandlers = false; }},
      {"--no-script-protocols", [&] { o.search.ScanScriptsByProtocol = false; }},
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
      {"--quiet", [&] { o.quiet = true; }},
      {"-q", [&] { o.quiet = true; }},
  };
  using Valued = std::function<std::optional<std::string>(const std::string&)>;
  const std::map<std::string, Valued> valued = {
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
    std::string name = a;
    std::optional<std::string> value;
    if (const auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    if (auto v = valued.find(name); v != valued.end()) {
      if (!value) {
        if (i + 1 >= args.size()) return name + " needs a value";
        value = args[++i];
      }
      if (auto error = v->second(*value)) return error;
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

void PrintRows(const SearchSession& session, std::FILE* out) {
  for (const LinkEntry& row : session.LinkTable) {
    std::fprintf(out, "%s\t%d\t%d\t%d\t%d\t%s\t%s\n", session.fileList.path(row.FileIndex).c_str(),
                 row.TagPos, row.ValuePos, row.SpanLength, row.QuoteLength, row.Url.c_str(),
                 row.Replacement.c_str());
  }
}

int Scan(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Options o;
  if (auto error = ParseScanOptions(args, 1, o)) {
    std::fprintf(err, "urlsmith-cli: %s\n", error->c_str());
    return kExitError;
  }
  const bool interactive = ::isatty(::fileno(err)) != 0;
  CliRunView view(err, interactive, o.quiet);

  SearchSession session(PathStyle::Posix);
  session.SetInternetChecker(std::make_unique<CurlInternetChecker>());
  session.search = o.search;
  session.processing = o.processing;

  for (const auto& arg : o.paths) {
    const std::string path = ListPath(arg);
    if (session.fs().IsDirectory(path)) {
      const AddResult r = FolderAdd(session.fileList, session.fs(), view, o.recurse, path);
      if (r.stopped) {
        view.Finish();
        std::fprintf(err, "urlsmith-cli: stopped while adding files\n");
        return kExitError;
      }
      if (r.unlisted > 0) {
        view.Finish();
        std::fprintf(err, "urlsmith-cli: cannot read the folder \"%s\"\n", arg.c_str());
        return kExitError;
      }
    } else if (session.fs().Exists(path)) {
      SelectionAdd(session.fileList, view, {path});
    } else {
      view.Finish();
      std::fprintf(err, "urlsmith-cli: cannot find \"%s\"\n", arg.c_str());
      return kExitError;
    }
  }
  if (session.fileList.empty()) {
    view.Finish();
    std::fprintf(err, "urlsmith-cli: the folders given hold no files\n");
    return kExitError;
  }

  // As when the processing options are shown: the root and the caches are computed anew.
  session.CacheReset();
  if (session.internet() == nullptr) session.InternetCheckOff = true;

  const SearchResult result = RunSearch(session, view);
  view.Finish();
  if (!o.quiet && result.outcome != SearchOutcome::Refused) {
    std::fprintf(err, "%s\n", view.status().c_str());
  }
  switch (result.outcome) {
    case SearchOutcome::Refused:
      return kExitError;
    case SearchOutcome::Stopped:
      return kExitError;
    case SearchOutcome::NothingFound:
      return kExitClean;
    case SearchOutcome::Found:
      PrintRows(session, out);
      return kExitChanges;
  }
  return kExitError;
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
    std::fputs("urlsmith-cli 0.1.0\n", out);
    return kExitClean;
  }
  if (command == "scan") {
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--") break;
      if (args[i] == "-h" || args[i] == "--help") {
        std::fputs(kUsage, out);
        return kExitClean;
      }
    }
    return Scan(args, out, err);
  }
  std::fprintf(err, "urlsmith-cli: unknown command \"%s\" (see urlsmith-cli --help)\n",
               command.c_str());
  return kExitError;
}

}  // namespace urlsmith::cli
