// The command-line program: argument parsing and the commands.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace urlsmith::cli {

// Runs the program with its arguments (without the program name). Exit status: 0 nothing to
// change, 1 changes planned, 2 error or stopped.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace urlsmith::cli
