#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_run_view.h"

int main(int argc, char** argv) {
  urlsmith::cli::CliRunView::InstallSignalHandlers();
  std::vector<std::string> args(argv + 1, argv + argc);
  return urlsmith::cli::RunCli(args, stdout, stderr);
}
