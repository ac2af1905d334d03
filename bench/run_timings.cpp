// Whole-run timings on a generated site, side by side in one run: reading every file once
// (the floor any tool pays), adding the folder to the file list, and the full search.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/file_adds.h"
#include "engine/search_model.h"
#include "engine/search_run.h"
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

  SearchSession session;
  NullRunView view;
  FolderAdd(session.fileList, session.fs(), view, true, root);
  auto t2 = Clock::now();

  session.search.CheckInternetUrls = false;
  session.CacheReset();
  const SearchResult r = RunSearch(session, view);
  auto t3 = Clock::now();

  const double read = Seconds(t0, t1), add = Seconds(t1, t2), search = Seconds(t2, t3);
  std::printf("read all files once: %.3f s (%lld bytes)\n", read, total);
  std::printf("add folder:          %.3f s  (%.2fx reading)\n", add, add / read);
  std::printf("search (no Internet): %.3f s  (%.2fx reading), %d rows, %.0f rows/s\n", search,
              search / read, r.total, r.total / search);
  std::filesystem::remove_all(root);
  return 0;
}
