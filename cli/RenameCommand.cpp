#include "cli/RenameCommand.h"

#include <iostream>
#include <string>
#include <vector>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/EngineReport.h"
#include "engine/edit/ArchiveEditor.h"

namespace vk::cli {
namespace {

// Renames one entry, or a folder with everything below it; false when nothing has that name.
bool RenameOne(qel::TArchiveEditor& editor, std::string old, const std::string& name) {
  for (int i = 0; i < editor.Count(); ++i)
    if (editor.EntryName(i) == old) return editor.RenameEntry(i, name);
  if (!old.empty() && old.back() != '/') old += '/';
  for (int i = 0; i < editor.Count(); ++i)
    if (editor.EntryName(i).compare(0, old.size(), old) == 0)
      return editor.RenameFolder(old, name) > 0;
  return false;
}

int RunRename(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  const bool masks = args.Has("--mask");
  if (args.positional.size() != 3) {
    err << "vorelkit-cli rename: name the archive, then the old and the new name (or with "
           "--mask, the two masks); see 'vorelkit-cli rename --help'\n";
    return kExitUsage;
  }
  const std::string& from = args.positional[1];
  const std::string& to = args.positional[2];
  qel::TArchiveEditor editor;
  EngineReport report(err);
  report.Attach(editor);
  app::TTerminalOptions options;
  options.Interactive = app::StdinIsTerminal();
  if (args.Has("-p")) options.Password = args.options.at("-p");
  app::TTerminalPrompter prompter(options, std::cin, std::cerr);
  app::TEnginePrompts prompts(prompter);
  prompts.AttachEditor(editor);
  // A rename that changes only the case is a rename too.
  editor.CaseSensitive = true;
  editor.RecurseDirs = args.Has("--recurse");
  editor.SetArchiveFile(args.positional[0]);
  if (editor.ArchiveFile().empty()) {
    err << "vorelkit-cli: cannot open '" << args.positional[0] << "'\n";
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
    if (selected == 0) {
      err << "vorelkit-cli: no entry matches '" << from << "'\n";
      return kExitWarning;
    }
  } else if (!RenameOne(editor, from, to)) {
    if (report.Errors() == 0)
      err << "vorelkit-cli: " << args.positional[0] << ": no entry named '" << from << "'\n";
    return kExitFatal;
  }
  int renamed = 0;
  for (int i = 0; i < editor.Count(); ++i)
    if (editor.EntryName(i) != before[size_t(i)]) {
      out << before[size_t(i)] << " -> " << editor.EntryName(i) << '\n';
      ++renamed;
    }
  if (renamed == 0) {
    out << "nothing to rename\n";
    return report.Errors() ? kExitFatal : kExitOk;
  }
  if (args.Has("--dry-run")) return kExitOk;
  if (!editor.Commit()) {
    if (report.Errors() == 0) err << "vorelkit-cli: " << args.positional[0] << " was not written\n";
    return kExitFatal;
  }
  out << renamed << (renamed == 1 ? " entry renamed\n" : " entries renamed\n");
  return report.Errors() ? kExitWarning : kExitOk;
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
          "Prints each change as OLD -> NEW. A new name that another entry keeps is refused.\n"
          "The archive is replaced only when the renamed copy is whole.\n\n"
          "Exit status: 0 when renamed (or nothing to rename), 2 when the archive cannot be\n"
          "renamed in, a name is refused or nothing has the old name, 7 for a usage error.",
          {{"--mask", false, "the two names are masks"},
           {"--recurse", false, "with --mask: entries in every folder"},
           {"--dry-run", false, "print the changes only"},
           {"-p", true, "the password of encrypted headers (asked on the terminal otherwise)"}},
          RunRename};
}

}  // namespace vk::cli
