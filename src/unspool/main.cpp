#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text/file_system.h"
#include "unspool/unspool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  urlsmith::PosixFileSystem fs;
  return urlsmith::unspool::RunUnspool(args, fs, stdin, ::isatty(STDIN_FILENO) != 0, stdout,
                                       stderr);
}
