#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  // The program writes only through the C++ streams: no need to keep them in step with C's.
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  return vk::cli::RunCli(args, std::cout, std::cerr);
}
