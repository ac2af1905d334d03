// urlsmith-readall FOLDER...: reads every processable file (pages, style sheets, scripts) under
// the folders once, whole, on one thread, as the link search reads them, and prints how many
// files and bytes it read and how long that took. The floor the search's time is measured
// against.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/search_model.h"
#include "text/file_system.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: urlsmith-readall FOLDER...\n");
    return 2;
  }
  namespace fs = std::filesystem;
  std::vector<std::string> paths;
  for (int a = 1; a < argc; ++a) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(argv[a], ec), end; !ec && it != end;
         it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      std::string path = it->path().string();
      if (urlsmith::IsProcessable(path, urlsmith::PathStyle::Posix))
        paths.push_back(std::move(path));
    }
  }
  urlsmith::PosixFileSystem files;
  const auto start = std::chrono::steady_clock::now();
  long long bytes = 0;
  for (const std::string& path : paths)
    bytes += static_cast<long long>(files.ReadWholeFile(path).Bytes.size());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%zu files, %lld bytes read in %.3f s\n", paths.size(), bytes, took.count());
  return 0;
}
