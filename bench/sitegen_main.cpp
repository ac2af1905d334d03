// urlsmith-sitegen ROOT [PAGES [LINKS [ASSETS [BROKEN%]]]]: writes a synthetic site.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "site_generator.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: urlsmith-sitegen ROOT [PAGES [LINKS [ASSETS [BROKEN%%]]]]\n");
    return 2;
  }
  urlsmith::bench::SiteSpec spec;
  if (argc > 2) spec.pages = std::atoi(argv[2]);
  if (argc > 3) spec.linksPerPage = std::atoi(argv[3]);
  if (argc > 4) spec.assets = std::atoi(argv[4]);
  if (argc > 5) spec.brokenPercent = std::atoi(argv[5]);
  const auto stats = urlsmith::bench::GenerateSite(argv[1], spec);
  std::printf("%d files, %d links, %lld bytes\n", stats.files, stats.links, stats.bytes);
  return 0;
}
