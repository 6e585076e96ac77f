#include "app/core/ProgramHelp.h"

#include <QtGlobal>

#include <sstream>

#include "engine/base/Version.h"
#include "engine/text/Roff.h"

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

namespace {

constexpr char kIntroduction[] =
    "Opens the Vorelkit window, with ARCHIVE when one is named, or runs one job of the\n"
    "desktop integration without the window. Switches are written with \"/\" or \"-\";\n"
    "\">\" in a name stands for a space, and \";\" or \"|\" separate names in one parameter.\n";

}  // namespace

std::string ProgramHelpText() {
  std::string text = std::string(
                         "Usage: vorelkit [ARCHIVE]\n"
                         "       vorelkit SWITCH [PARAMETERS]\n\n") +
                     kIntroduction + "\nSwitches:\n";
  for (const TSwitchHelp& s : SwitchHelp())
    text += std::string("  ") + s.Switch + "\n      " + s.Meaning + "\n";
  text +=
      "  --version\n      show the version and the libraries the program uses\n"
      "  --help\n      show this text\n";
  return text;
}

std::string ProgramVersionText() {
  return "vorelkit " + qel::ProgramVersion() + "\nQt " + qVersion() + ", " +
         qel::EngineLibraries() + "\n";
}

std::string ProgramManPage() {
  using qel::text::RoffText;
  std::ostringstream out;
  qel::text::WriteManHeading(out, "vorelkit", "the Vorelkit archive manager's window");
  out << ".SH SYNOPSIS\n.B vorelkit\n[\\fIARCHIVE\\fR]\n.br\n.B vorelkit\n\\fISWITCH\\fR "
         "[\\fIPARAMETERS\\fR]\n.SH DESCRIPTION\n";
  qel::text::WriteRoffParagraphs(out, kIntroduction);
  out << ".SH SWITCHES\n";
  for (const TSwitchHelp& s : SwitchHelp())
    out << ".TP\n.B " << RoffText(s.Switch, true) << "\n" << RoffText(s.Meaning) << "\n";
  out << ".TP\n.B \\-\\-version\nshow the version and the libraries the program uses\n"
         ".TP\n.B \\-\\-help\nshow the switches\n"
         ".SH FILES\n.TP\n.I ~/.config/vorelkit/Settings.ini\nthe settings of an installed "
         "program ($XDG_CONFIG_HOME/vorelkit when that is set)\n"
         ".SH \"SEE ALSO\"\n.BR vorelkit\\-cli (1)\n";
  return out.str();
}

}  // namespace vk::app
