#include "cli/RenameCommand.h"

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/EngineReport.h"
#include "engine/edit/ArchiveEditor.h"

namespace vk::cli {
namespace {

int RunRename(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  const bool masks = args.Has("--mask");
  if (args.positional.size() != 3 || args.positional[1].empty() || args.positional[2].empty() ||
      (args.Has("--recurse") && !masks)) {
    err << "vorelkit-cli rename: name the archive, then the old and the new name (or with "
           "--mask, the two masks); see 'vorelkit-cli rename --help'\n";
    return kExitUsage;
  }
  const std::string& archive = args.positional[0];
  const std::string& from = args.positional[1];
  const std::string& to = args.positional[2];
  qel::TArchiveEditor editor;
  EngineReport report(err);
  report.Attach(editor);
  app::TTerminalPrompter prompter({.Interactive = app::StdinIsTerminal()}, std::cin, std::cerr);
  app::TEnginePrompts prompts(prompter);
  prompts.AttachEditor(editor);
  // A rename that changes only the case is a rename too.
  editor.CaseSensitive = true;
  editor.RecurseDirs = args.Has("--recurse");
  editor.SetArchiveFile(archive);
  if (editor.ArchiveFile().empty()) {
    err << "vorelkit-cli: cannot open '" << archive << "'\n";
    return kExitFatal;
  }
  if (!editor.Open()) return kExitFatal;

  std::vector<std::string> before;
  for (int i = 0; i < editor.Count(); ++i) before.push_back(editor.EntryName(i));
  if (masks) {
    int selected = 0;
    editor.OnBatchSkipFile = [&](qel::TArchiveEditor&, const std::string&, const std::string&, int,
                                 bool&) { ++selected; };
    editor.BatchRename(from, to, "");
    if (selected == 0 && report.Errors() == 0) {
      err << "vorelkit-cli: no entry matches '" << from << "'\n";
      return kExitWarning;
    }
  } else if (!editor.RenamePath(from, to)) {
    if (report.Errors() == 0)
      err << "vorelkit-cli: " << archive << ": no entry named '" << from << "'\n";
    return kExitFatal;
  }
  // A refused name leaves the archive as it was, the other names of a batch included.
  if (report.Errors() > 0 || !editor.CheckNames()) return kExitFatal;
  std::vector<std::string> changes;
  for (int i = 0; i < editor.Count(); ++i)
    if (editor.EntryName(i) != before[size_t(i)])
      changes.push_back(before[size_t(i)] + " -> " + editor.EntryName(i) + "\n");
  if (changes.empty()) {
    out << "nothing to rename\n";
    return kExitOk;
  }
  const bool dry = args.Has("--dry-run");
  if (!dry && !editor.Commit()) {
    if (report.Errors() == 0)
      err << "vorelkit-cli: " << archive
          << (::access(archive.c_str(), W_OK) != 0 ? " is read-only and" : "")
          << " was not written\n";
    return kExitFatal;
  }
  for (const std::string& change : changes) out << change;
  out << changes.size() << (changes.size() == 1 ? " entry" : " entries")
      << (dry ? " would be renamed\n" : " renamed\n");
  return kExitOk;
}

}  // namespace

Command RenameCommand() {
  return {"rename",
          "rename entries inside an archive",
          "vorelkit-cli rename ARCHIVE OLD NEW\n"
          "       vorelkit-cli rename ARCHIVE --mask SOURCE-MASK TARGET-MASK [--recurse]",
          "Renames entries of a ZIP or JAR archive without decompressing anything: every\n"
          "entry's data is copied as it stands. OLD is an entry's stored name, or a folder,\n"
          "which moves with everything in it. With --mask, every entry the source mask\n"
          "selects (\"*.txt\"; in the top folder, or in every folder with --recurse) gets a\n"
          "name made from the target mask as a command-line rename makes it: a literal\n"
          "character replaces the name's character at its place, \"?\" keeps it, and \"*\"\n"
          "keeps the name up to its last \".\" (\"*.txt\" to \"*.md\" changes the extension).\n"
          "Prints each change as OLD -> NEW once it is written. A new name that another\n"
          "entry keeps, or that is not valid, is refused, and then nothing is renamed. The\n"
          "archive is replaced only when the renamed copy is whole.\n\n"
          "Exit status: 0 when renamed (or nothing to rename), 1 when no entry matches the\n"
          "source mask, 2 when the archive cannot be renamed in, a name is refused or nothing\n"
          "has the old name, 7 for a usage error.",
          {{"--mask", false, "the two names are masks"},
           {"--recurse", false, "with --mask: entries in every folder"},
           {"--dry-run", false, "print the changes only"}},
          RunRename};
}

}  // namespace vk::cli
