#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/file_system.h"
#include "unspool/unspool.h"
#ifdef URLSMITH_UNSPOOL_WINDOW
#include "unspool/unspool_window.h"
#endif

namespace {

#ifdef URLSMITH_UNSPOOL_WINDOW
bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// The window is for a folder without options, or for nothing at all (the user picks the
// folder); everything else is the command line's.
bool WantsWindow(const std::vector<std::string>& args, std::string& folder) {
  if (args.size() > 2) return false;
  std::size_t i = 0;
  if (!args.empty() && args[0] == "--") i = 1;
  if (args.size() - i > 1) return false;
  if (i < args.size()) {
    if (i == 0 && !args[0].empty() && args[0][0] == '-') return false;
    folder = args[i];
  }
  return HasDisplay();
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef URLSMITH_UNSPOOL_WINDOW
  std::string folder;
  if (WantsWindow(args, folder)) return urlsmith::unspool::RunUnspoolWindow(argc, argv, folder);
#endif
  urlsmith::PosixFileSystem fs;
  return urlsmith::unspool::RunUnspool(args, fs, stdin, ::isatty(STDIN_FILENO) != 0, stdout,
                                       stderr);
}
