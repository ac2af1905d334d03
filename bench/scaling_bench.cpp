// How the work grows with the input: each case runs at two or three sizes side by side, and the
// fitted complexity line shows whether it stays linear (or n log n) where a careless loop would
// go quadratic.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apply/apply_run.h"
#include "apply/rewriter.h"
#include "engine/analysis.h"
#include "engine/file_adds.h"
#include "engine/run_view.h"
#include "engine/search_model.h"
#include "engine/search_run.h"

namespace {

using namespace urlsmith;

// Replacement suggestions on a list of n files (n/10 names, each in ten folders): the first
// lookup builds the by-name index, the others use it.
void BM_SuggestReplacement(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    SearchSession session(PathStyle::Posix);
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files));
    for (int i = 0; i < files; ++i) {
      paths.push_back("/srv/site/d" + std::to_string(i / (files / 10)) + "/s" +
                      std::to_string(i % 7) + "/file" + std::to_string(i % (files / 10)) + ".htm");
    }
    session.FileList.AppendAll(std::move(paths));
    state.ResumeTiming();
    int found = 0;
    for (int k = 0; k < files / 10; ++k) {
      const std::string name = "file" + std::to_string(k) + ".htm";
      const std::string pathOrUrl =
          k % 2 == 0 ? "/srv/site/d3/gone/" + name : "http://www.example.com/d5/" + name;
      if (SuggestReplacement(session, pathOrUrl, 0) >= 0) ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetComplexityN(files);
}
BENCHMARK(BM_SuggestReplacement)
    ->Arg(25000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// One page of n links to missing pages whose tags are never closed, searched and then cleaned
// of them: each removed tag looks for its closing tag.
void BM_RemoveNeverClosedLinks(benchmark::State& state) {
  const int links = static_cast<int>(state.range(0));
  char tmpl[] = "/tmp/urlsmith-bench-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::filesystem::path root = tmpl;
  std::string text = "<p>";
  for (int i = 0; i < links; ++i)
    text += "<a href=gone" + std::to_string(i % 10) + ".htm>" + std::to_string(i % 10);
  text += "</p>";
  ApplyOptions options;
  options.Rewrite.Review.AllowLinkDeletion = true;
  options.Rewrite.Review.MakeBackups = false;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(root / "open.htm", std::ios::binary) << text;
    NullRunView view;
    SearchSession session(PathStyle::Posix);
    FolderAdd(session.FileList, session.fs(), view, true, root.string());
    session.Search.CheckInternetUrls = false;
    session.CacheReset();
    state.ResumeTiming();
    benchmark::DoNotOptimize(RunSearch(session, view));
    benchmark::DoNotOptimize(ApplyStep(session, options, view));
  }
  std::filesystem::remove_all(root);
  state.SetComplexityN(links);
}
BENCHMARK(BM_RemoveNeverClosedLinks)
    ->Arg(25000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// A site of n pages that each lose a protocol fix with a removed link: the rewriter forgets the
// dropped fixes once after all pages, so the work grows with the pages, not with the pages
// times the fixes.
void BM_ForgetDroppedFixes(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  const std::string page = R"X(<a href="gone.htm" onclick="open('http:/x.com')">t</a>)X";
  const auto at = [&](std::string_view s) { return static_cast<std::int32_t>(page.find(s)); };
  RewriteOptions options;
  options.Review.AllowLinkDeletion = true;
  const TextView text{reinterpret_cast<const std::uint8_t*>(page.data()),
                      static_cast<Pos>(page.size()), FileEncoding::Ansi, CodePage::Utf8};
  for (auto _ : state) {
    state.PauseTiming();
    SearchSession session(PathStyle::Posix);
    for (int i = 0; i < pages; ++i) {
      session.FileList.Append("/site/p" + std::to_string(i) + ".htm");
      session.FixList.push_back(static_cast<std::int32_t>(session.LinkTable.size()));
      session.LinkTable.push_back(
          {i, at("<a"), at("'http:/x.com'"), 13, 1, "http:/x.com", "http://x.com"});
      session.LinkTable.push_back({i, at("<a"), at("\"gone.htm\""), 10, 1, "gone.htm", ""});
    }
    std::vector<std::uint8_t> out;
    state.ResumeTiming();
    PageRewriter rewriter(session, options);
    for (int i = 0; i < pages; ++i) {
      out.clear();
      rewriter.RewritePage(text, i, out);
    }
    rewriter.ForgetDroppedFixes();
    if (!session.FixList.empty()) state.SkipWithError("a dropped fix was kept");
  }
  state.SetComplexityN(pages);
}
BENCHMARK(BM_ForgetDroppedFixes)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
