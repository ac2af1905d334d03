// Micro-benchmarks of the text primitives and the file-list lookup.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/file_list.h"
#include "site_generator.h"
#include "text/primitives.h"
#include "text/text_types.h"

namespace {

using namespace urlsmith;

const std::string& Page() {
  static const std::string page = [] {
    std::string p;
    for (std::uint32_t s = 1; p.size() < 256 * 1024; ++s)
      p += bench::GeneratePageText(40, s);
    return p;
  }();
  return page;
}

std::vector<std::uint8_t> Utf16(const std::string& ascii) {
  std::vector<std::uint8_t> out;
  out.reserve(ascii.size() * 2);
  for (char c : ascii) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(0);
  }
  return out;
}

TextView View(const std::string& s) {
  return TextView{reinterpret_cast<const std::uint8_t*>(s.data()), static_cast<Pos>(s.size()),
                  FileEncoding::Ansi, CodePage::Utf8};
}

// Every "<IMG" of a page, as one row of the tag table scans it.
void BM_FindTag_Ansi(benchmark::State& state) {
  const TextView t = View(Page());
  for (auto _ : state) {
    int found = 0;
    for (Pos p = FindTag(t, "IMG", 0); p != kNone; p = FindTag(t, "IMG", p + 1))
      ++found;
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * t.Size);
}
BENCHMARK(BM_FindTag_Ansi);

void BM_FindTag_Utf16(benchmark::State& state) {
  const auto units = Utf16(Page());
  const TextView t{units.data(), static_cast<Pos>(units.size()), FileEncoding::Utf16Le,
                   CodePage::Utf8};
  for (auto _ : state) {
    int found = 0;
    for (Pos p = FindTag(t, "IMG", 0); p != kNone; p = FindTag(t, "IMG", p + 2))
      ++found;
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * t.Size);
}
BENCHMARK(BM_FindTag_Utf16);

// The href of every A tag: tag search, attribute search and value copy.
void BM_ReadHrefs(benchmark::State& state) {
  const TextView t = View(Page());
  for (auto _ : state) {
    std::string value;
    Pos valuePos = 0;
    int found = 0;
    for (Pos p = FindTag(t, "A", 0); p != kNone; p = NextAfterTag(t, p)) {
      if (FindAttribute(t, "href", p + 2, &value, &valuePos, false) > 0) ++found;
      p = FindTag(t, "A", p);
      if (p == kNone) break;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * t.Size);
}
BENCHMARK(BM_ReadHrefs);

// Lookups in a list of 100,000 files: the index against a plain scan of the list.
struct ListFixture {
  FileList list{PathStyle::Posix};
  std::vector<std::string> queries;
  ListFixture() {
    std::vector<std::string> paths;
    for (int i = 0; i < 100000; ++i) {
      paths.push_back("/srv/site/d" + std::to_string(i % 313) + "/sub/file" + std::to_string(i) +
                      ".htm");
    }
    list.AppendAll(paths);
    for (int i = 0; i < 1000; ++i) {
      queries.push_back("/srv/site/D" + std::to_string((i * 97) % 313) + "/x/../sub/File" +
                        std::to_string((i * 97) % 100000) + ".htm");
    }
  }
};

ListFixture& Fixture() {
  static ListFixture f;
  return f;
}

void BM_FindListedFile_Index(benchmark::State& state) {
  auto& f = Fixture();
  std::size_t q = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f.list.FindListedFile(f.queries[q++ % f.queries.size()]));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FindListedFile_Index);

void BM_FindListedFile_LinearScan(benchmark::State& state) {
  auto& f = Fixture();
  std::size_t q = 0;
  for (auto _ : state) {
    std::string key = f.queries[q++ % f.queries.size()];
    ResolveDotSegments(key, PathStyle::Posix);
    int found = -1;
    for (int i = 0; i < f.list.size(); ++i) {
      if (EqualsIgnoreCase(f.list.path(i), key)) {
        found = i;
        break;
      }
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FindListedFile_LinearScan);

}  // namespace

namespace {

// Growing the file list folder by folder, as adding a site does: 100,000 files in batches of 8.
void BM_FileListAppendByFolder(benchmark::State& state) {
  const int files = static_cast<int>(state.range(0));
  for (auto _ : state) {
    urlsmith::FileList list;
    for (int b = 0; b < files / 8; ++b) {
      std::vector<std::string> batch;
      for (int k = 0; k < 8; ++k) {
        batch.push_back("/srv/site/d" + std::to_string(b) + "/f" + std::to_string(k) + ".htm");
      }
      const int start = list.size();
      for (const auto& p : batch)
        benchmark::DoNotOptimize(list.FindListedFile(p, start));
      list.AppendAll(std::move(batch));
    }
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * files);
}
BENCHMARK(BM_FileListAppendByFolder)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
