// The apply run on a site where few pages change, side by side in one run: writing every
// processable file (as earlier versions did) against writing only the files whose text
// changes. Two identical copies of a generated site are searched and applied with backups,
// broken links deleted.
//
//   urlsmith-applybench [PAGES] [ASSETS] [BROKEN-PERCENT]   (default 5000 20000 1)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "apply/apply_run.h"
#include "engine/file_adds.h"
#include "engine/search_run.h"
#include "site_generator.h"

namespace {

using namespace urlsmith;

struct Timed {
  double seconds = 0;
  ApplyResult result;
};

Timed SearchAndApply(const std::string& root, bool writeUnchanged) {
  NullRunView view;
  SearchSession session;
  FolderAdd(session.FileList, session.fs(), view, true, root);
  session.Search.CheckInternetUrls = false;
  session.Search.KeepUncheckedInternetUrls = true;  // as urlsmith-cli --no-internet
  session.CacheReset();
  (void)RunSearch(session, view);
  ApplyOptions options;
  options.WriteUnchangedFiles = writeUnchanged;
  options.Rewrite.Review.AllowLinkDeletion = true;  // the broken links have no same-named file
  const auto start = std::chrono::steady_clock::now();
  Timed t;
  t.result = ApplyStep(session, options, view);
  t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  bench::SiteSpec spec;
  spec.pages = argc > 1 ? std::atoi(argv[1]) : 5000;
  spec.assets = argc > 2 ? std::atoi(argv[2]) : 20000;
  spec.brokenPercent = argc > 3 ? std::atoi(argv[3]) : 1;
  char tmpl[] = "/tmp/urlsmith-applybench-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) return 2;
  const std::string base = tmpl;
  const auto stats = bench::GenerateSite(base + "/every", spec);
  bench::GenerateSite(base + "/changed", spec);
  std::printf("site: %d files, %d links, %d%% broken\n", stats.files, stats.links,
              spec.brokenPercent);
  const Timed every = SearchAndApply(base + "/every", true);
  const Timed changed = SearchAndApply(base + "/changed", false);
  std::printf("apply, every file written:     %.3f s, %d written\n", every.seconds,
              every.result.FilesWritten);
  std::printf("apply, changed files only:     %.3f s, %d written, %d unchanged (%.2fx)\n",
              changed.seconds, changed.result.FilesWritten, changed.result.FilesUnchanged,
              changed.seconds / every.seconds);
  std::filesystem::remove_all(base);
  return 0;
}
