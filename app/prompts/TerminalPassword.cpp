#include "app/prompts/TerminalPassword.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace vk::app {

std::optional<std::string> AskPasswordOnTerminal(const std::string& fileName) {
  if (!isatty(STDIN_FILENO)) return std::nullopt;
  std::cerr << "Password for " << fileName << ": " << std::flush;
  termios old{};
  const bool haveTerm = tcgetattr(STDIN_FILENO, &old) == 0;
  if (haveTerm) {
    termios quiet = old;
    quiet.c_lflag &= tcflag_t(~ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string password;
  const bool got = static_cast<bool>(std::getline(std::cin, password));
  if (haveTerm) tcsetattr(STDIN_FILENO, TCSANOW, &old);
  std::cerr << "\n";
  if (!got) return std::nullopt;
  return password;
}

}  // namespace vk::app
