// Writes vorelkit-cli's manual page ("man") or bash completion ("bash") to standard output;
// the build runs it, so both follow the command table.
#include <iostream>
#include <string_view>

#include "cli/ManPage.h"

int main(int argc, char** argv) {
  const std::string_view what = argc == 2 ? argv[1] : "";
  if (what == "man") {
    vk::cli::WriteManPage(std::cout);
  } else if (what == "bash") {
    vk::cli::WriteBashCompletion(std::cout);
  } else {
    std::cerr << "usage: vorelkit-cli-docs man|bash\n";
    return 7;
  }
  return 0;
}
