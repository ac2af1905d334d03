// Whole-run timings on a generated site, side by side in one run: reading every file once
// (the floor any tool pays), adding the folder to the file list, and the full search.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "apply/apply_run.h"
#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
#include "results/result_list.h"
#include "site_generator.h"

namespace {

using namespace urlsmith;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

}  // namespace

int main(int argc, char** argv) {
  bench::SiteSpec spec;
  spec.pages = argc > 1 ? std::atoi(argv[1]) : 5000;
  spec.linksPerPage = argc > 2 ? std::atoi(argv[2]) : 30;
  spec.assets = argc > 3 ? std::atoi(argv[3]) : 20000;
  char tmpl[] = "/tmp/urlsmith-bench-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) return 2;
  const std::string root = tmpl;
  const auto stats = bench::GenerateSite(root, spec);
  std::printf("site: %d files, %d links, %.1f MB\n", stats.files, stats.links,
              static_cast<double>(stats.bytes) / 1e6);

  // Reading every file once, as `cat` would.
  auto t0 = Clock::now();
  long long total = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    total += static_cast<long long>(s.size());
  }
  auto t1 = Clock::now();

  NullRunView view;
  {
    // A first add warms the folder caches as a file manager would; the second is timed.
    SearchSession warm;
    FolderAdd(warm.FileList, warm.fs(), view, true, root);
  }
  t1 = Clock::now();
  SearchSession session;
  FolderAdd(session.FileList, session.fs(), view, true, root);
  auto t2 = Clock::now();

  session.Search.CheckInternetUrls = false;
  session.CacheReset();
  const SearchResult r = RunSearch(session, view);
  auto t3 = Clock::now();

  // The review: sort by URL and build the grouped lines.
  VectorResultList list;
  ResultStep step(session, list, ResultHooks{});
  step.Options.SortMode = SortModeKind::ByUrl;
  step.Options.AllowLinkDeletion = true;
  ShowResults(step);
  auto t4 = Clock::now();

  // Applying the plan: every processable file rewritten in place with a backup.
  ApplyOptions apply;
  apply.Rewrite.Review.AllowLinkDeletion = true;
  const ApplyResult applied = ApplyStep(session, apply, view);
  auto t5 = Clock::now();

  // A full table: 262,144 rows over many URLs, grouped and sorted.
  SearchSession big;
  big.FileList.Append(root + "/index.htm");
  for (int i = 0; i < kMaxLinkRows; ++i) {
    LinkEntry row;
    row.Url = "img/p" + std::to_string((i * 7919) % 50000) + ".gif";
    row.Replacement = i % 3 == 0 ? std::string() : "pics/" + row.Url;
    big.AddRow(std::move(row));
  }
  VectorResultList bigList;
  ResultStep bigStep(big, bigList, ResultHooks{});
  bigStep.Options.SortMode = SortModeKind::ByUrl;
  bigStep.Options.AllowLinkDeletion = true;
  auto t6 = Clock::now();
  ShowResults(bigStep);
  auto t7 = Clock::now();

  const double read = Seconds(t0, t1), add = Seconds(t1, t2), search = Seconds(t2, t3);
  const double review = Seconds(t3, t4), write = Seconds(t4, t5), full = Seconds(t6, t7);
  std::printf("read all files once: %.3f s (%lld bytes)\n", read, total);
  std::printf("add folder:          %.3f s  (%.2fx reading)\n", add, add / read);
  std::printf("search (no Internet): %.3f s  (%.2fx reading), %d rows, %.0f rows/s\n", search,
              search / read, r.Total, r.Total / search);
  std::printf("review (sort + lines): %.3f s  (%.2fx reading), %d lines\n", review, review / read,
              list.Count());
  std::printf("apply with backups:  %.3f s  (%.2fx reading), %d files written, %d failed\n", write,
              write / read, applied.FilesWritten, applied.FilesFailed);
  std::printf("group + sort %d rows: %.3f s  (%.2fx reading the site), %d lines\n", kMaxLinkRows,
              full, full / read, bigList.Count());
  std::filesystem::remove_all(root);
  return 0;
}
