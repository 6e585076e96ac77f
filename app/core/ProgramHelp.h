// What `vorelkit --help` and `vorelkit --version` print, and what the window program's
// manual page is made from, so that they never differ.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vk::app {

struct TSwitchHelp {
  const char* Switch;  // as typed: "/e FOLDER ARCHIVE..."
  const char* Meaning;
};

// The switches in the order they are tried.
const std::vector<TSwitchHelp>& SwitchHelp();

// The usage lines, the paragraph that introduces the switches, and the switches.
std::string ProgramHelpText();

// "vorelkit VERSION" and the libraries, as `vorelkit-cli --version` gives them.
std::string ProgramVersionText();

// The window program's manual page (man(7)), from the same switches.
std::string ProgramManPage();

}  // namespace vk::app
