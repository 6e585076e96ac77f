#include "cli/ManPage.h"

#include <ostream>

#include "cli/CommandLine.h"
#include "engine/text/Roff.h"

namespace vk::cli {
using qel::text::RoffText;

void WriteManPage(std::ostream& out) {
  qel::text::WriteManHeading(out, "vorelkit-cli",
                             "list, extract, test, create and convert archives");
  out << ".SH SYNOPSIS\n.B vorelkit\\-cli\n.I COMMAND\n[\\fIOPTIONS\\fR] \\fIFILE\\fR...\n"
      << ".br\n.B vorelkit\\-cli\n.I COMMAND\n.B \\-\\-help\n"
      << ".br\n.B vorelkit\\-cli \\-\\-version\n"
      << ".SH DESCRIPTION\n"
      << "vorelkit\\-cli runs one command on archives of some thirty formats. Options and\n"
      << "file names may come in any order after the command; \"\\-\\-\" ends the options.\n"
      << ".SH COMMANDS\n";
  for (const Command& c : Commands()) {
    out << ".SS " << c.name << "\n.B " << RoffText(c.usage, true) << "\n.PP\n";
    qel::text::WriteRoffParagraphs(out, c.description);
    for (const OptionSpec& o : c.options)
      out << ".TP\n.B " << RoffText(o.name, true) << (o.takesValue ? " \\fIVALUE\\fR" : "") << "\n"
          << RoffText(o.help) << "\n";
  }
  out << ".SH \"EXIT STATUS\"\n"
      << ".TP\n.B " << kExitOk << "\nsuccess\n"
      << ".TP\n.B " << kExitWarning << "\nthe command ran, with warnings or failed entries\n"
      << ".TP\n.B " << kExitFatal << "\nthe archive could not be opened or is not an archive\n"
      << ".TP\n.B " << kExitUsage << "\nthe command line was not understood\n"
      << ".TP\n.B " << kExitCancelled << "\nthe run was cancelled\n"
      << ".SH \"SEE ALSO\"\n.BR vorelkit (1)\n";
}

void WriteBashCompletion(std::ostream& out) {
  out << "# bash completion for vorelkit-cli, made from its command table.\n"
      << "_vorelkit_cli() {\n"
      << "  local cur=${COMP_WORDS[COMP_CWORD]} opts\n"
      << "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
      << "    opts=\"";
  for (const Command& c : Commands()) out << c.name << " ";
  out << "--help --version\"\n"
      << "    COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
      << "    return\n"
      << "  fi\n"
      << "  case ${COMP_WORDS[1]} in\n";
  for (const Command& c : Commands()) {
    out << "    " << c.name << ") opts=\"";
    for (const OptionSpec& o : c.options) out << o.name << " ";
    out << "--help\" ;;\n";
  }
  out << "    *) opts= ;;\n"
      << "  esac\n"
      << "  if [[ $cur == -* ]]; then\n"
      << "    COMPREPLY=($(compgen -W \"$opts\" -- \"$cur\"))\n"
      << "  else\n"
      << "    compopt -o filenames 2>/dev/null\n"
      << "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
      << "  fi\n"
      << "}\n"
      << "complete -F _vorelkit_cli vorelkit-cli\n";
}

}  // namespace vk::cli
