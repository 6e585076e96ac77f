#include "app/core/ProgramHelp.h"

#include <QtGlobal>

#include "engine/base/Version.h"

namespace vk::app {

const std::vector<TSwitchHelp>& SwitchHelp() {
  static const std::vector<TSwitchHelp> kSwitches = {
      {"/ur", "remove the program's file associations"},
      {"/sa", "choose the language, then set the file associations"},
      {"/s ARCHIVE", "make a self-extracting program of ARCHIVE"},
      {"/e FOLDER ARCHIVE...", "extract the archives through the Extract dialog, into FOLDER"},
      {"/eh FOLDER ARCHIVE...", "extract the archives into FOLDER, without a dialog"},
      {"/ef FOLDER ARCHIVE...",
       "extract each archive into a folder of its own name in FOLDER, without a dialog"},
      {"/t ARCHIVE", "test ARCHIVE"},
      {"/cv ARCHIVE...", "convert the archives to another type through the Convert dialog"},
      {"/af", "add the files named in the list file atfl$01.tmp through the Add dialog"},
      {"/adf", "add the files of the list file to an archive named after them, without a dialog"},
      {"/a FILE...", "add the files through the Add dialog"},
      {"/ad FILE...", "add the files to an archive named after them, without a dialog"},
      {"/ow ARCHIVE", "open ARCHIVE in the window (a self-extracting program as an archive)"},
  };
  return kSwitches;
}

std::string ProgramHelpText() {
  std::string text =
      "Usage: vorelkit [ARCHIVE]\n"
      "       vorelkit SWITCH [PARAMETERS]\n\n"
      "Opens the Vorelkit window, with ARCHIVE when one is named, or runs one job of the\n"
      "desktop integration without the window. Switches are written with \"/\" or \"-\";\n"
      "\">\" in a name stands for a space, and \";\" or \"|\" separate names in one parameter.\n\n"
      "Switches:\n";
  for (const TSwitchHelp& s : SwitchHelp())
    text += std::string("  ") + s.Switch + "\n      " + s.Meaning + "\n";
  text +=
      "  --version\n      show the version and the libraries the program uses\n"
      "  --help\n      show this text\n";
  return text;
}

std::string ProgramVersionText() {
  std::string text = "vorelkit " + qel::ProgramVersion() + "\nQt " + qVersion();
  for (const auto& [name, version] : qel::EngineLibraries()) text += ", " + name + " " + version;
  return text + "\n";
}

}  // namespace vk::app
