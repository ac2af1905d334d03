// A deterministic generator of synthetic web sites for benchmarks: N pages with M links each
// over K assets, some of the links broken, spread over nested folders.
#pragma once

#include <cstdint>
#include <string>

namespace urlsmith::bench {

struct SiteSpec {
  int pages = 100;          // .htm pages
  int linksPerPage = 20;    // links written into each page
  int assets = 200;         // pictures and documents the links point to
  int brokenPercent = 10;   // links that point to missing files
  int foldersPerLevel = 8;  // fan-out of the folder tree
  int styleSheets = 4;      // .css files with url( values
  int scripts = 4;          // .js files with protocol strings
  std::uint32_t seed = 12345;
};

struct SiteStats {
  int files = 0;
  int links = 0;
  long long bytes = 0;
};

// Writes the site under `root` (created if missing). Same spec, same bytes.
SiteStats GenerateSite(const std::string& root, const SiteSpec& spec);

// One page's text as the generator writes it (for in-memory benchmarks).
std::string GeneratePageText(int linksPerPage, std::uint32_t seed);

}  // namespace urlsmith::bench
