// Writes the window program's manual page to standard output; the build runs it, so the
// page follows the switches `vorelkit --help` shows.
#include <iostream>

#include "app/core/ProgramHelp.h"

int main() {
  std::cout << vk::app::ProgramManPage();
  return 0;
}
