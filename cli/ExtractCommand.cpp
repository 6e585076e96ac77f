#include "cli/ExtractCommand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <ostream>

#include "cli/EngineReport.h"
#include "cli/Password.h"
#include "cli/TerminalProgress.h"
#include "engine/base/Messages.h"
#include "engine/extract/ZipCheck.h"
#include "engine/zip/UnZip.h"

namespace vk::cli {
namespace {

enum class Overwrite { Ask, Always, Never, Newer, Rename };
enum class TOverwriteAnswer { Replace, Keep, Rename };

std::optional<Overwrite> ParseOverwrite(const std::string& text) {
  static const std::map<std::string, Overwrite> kModes = {{"ask", Overwrite::Ask},
                                                          {"always", Overwrite::Always},
                                                          {"never", Overwrite::Never},
                                                          {"newer", Overwrite::Newer},
                                                          {"rename", Overwrite::Rename}};
  auto it = kModes.find(text);
  if (it == kModes.end()) return std::nullopt;
  return it->second;
}

// "name.txt" -> "name (1).txt", the first name that is free.
std::string FreeName(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path p(path);
  for (int n = 1;; ++n) {
    fs::path candidate = p.parent_path() / (p.stem().string() + " (" + std::to_string(n) + ")" +
                                            p.extension().string());
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate.string();
  }
}

// The answer of a terminal user to "replace this file?", remembered for "all" and "none".
TOverwriteAnswer AskOnTerminal(const std::string& file, std::optional<bool>& forAll) {
  if (forAll) return *forAll ? TOverwriteAnswer::Replace : TOverwriteAnswer::Keep;
  if (!isatty(STDIN_FILENO)) return TOverwriteAnswer::Keep;
  for (;;) {
    std::cerr << file << " exists. Replace? [y]es, [n]o, [A]ll, [N]one, [r]ename: " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return TOverwriteAnswer::Keep;
    if (answer == "y") return TOverwriteAnswer::Replace;
    if (answer == "n") return TOverwriteAnswer::Keep;
    if (answer == "A" || answer == "N") {
      forAll = answer == "A";
      return *forAll ? TOverwriteAnswer::Replace : TOverwriteAnswer::Keep;
    }
    if (answer == "r") return TOverwriteAnswer::Rename;
  }
}

int NoArchive(const char* command, std::ostream& err) {
  err << "vorelkit-cli " << command << ": no archive named (see 'vorelkit-cli " << command
      << " --help')\n";
  return kExitUsage;
}

// Which entries failed, and why: the last error reported for each, noted before `report`
// prints it.
void NoteFailures(qel::TZipCommon& component, EngineReport& report, const std::string& archive,
                  std::map<std::string, int>& failures) {
  report.Attach(component);
  auto reportError = component.OnError;
  component.OnError = [&failures, &archive, reportError](
                          qel::TZipCommon& sender, const std::string& file, const std::string& ext,
                          const std::string& volume, int code) {
    if (!file.empty() && file != archive) failures[file] = code;
    reportError(sender, file, ext, volume, code);
  };
}

// Opens `archive` in `component`; the exit code when it cannot be opened or is not a kind
// this version reads.
std::optional<int> OpenArchive(qel::TZipCommon& component, const std::string& archive,
                               const EngineReport& report, std::ostream& err) {
  try {
    component.SetArchiveFile(archive);
  } catch (const qel::E_RAISE& e) {
    err << "vorelkit-cli: " << archive << ": " << e.what() << "\n";
    return kExitFatal;
  }
  if (component.ArchiveFile().empty() || report.OpenFailed()) {
    err << "vorelkit-cli: cannot open '" << archive << "'\n";
    return kExitFatal;
  }
  const qel::TArcType type = component.ArcType();
  if (!qel::IsZipFamily(type) && type != qel::atZipMV && type != qel::atZipDS) {
    err << "vorelkit-cli: " << archive << ": not an archive this version extracts\n";
    return kExitFatal;
  }
  return std::nullopt;
}

// The masks after the archive, and the password from -p or else from the terminal.
void TakeMasksAndPassword(qel::TZipCommon& component, const ParsedArgs& args) {
  component.FileSpec.assign(args.positional.begin() + 1, args.positional.end());
  if (args.Has("-p")) component.SetPassword(args.options.at("-p"));
  component.OnGetPassword = [](qel::TZipCommon&, const std::string& file, std::string& password,
                               qel::TSeedKeyRecord&, qel::TSeedKeyRecord&, bool& tryAgain) {
    std::optional<std::string> answer = AskPasswordOnTerminal(file);
    tryAgain = answer.has_value();
    if (answer) password = *answer;
  };
}

int ExitCode(const qel::TZipCommon& component, bool failed) {
  if (component.Cancel()) return kExitCancelled;
  return failed ? kExitWarning : kExitOk;
}

int RunExtract(const ParsedArgs& args, std::ostream&, std::ostream& err) {
  if (args.positional.empty()) return NoArchive("extract", err);
  Overwrite overwrite = Overwrite::Ask;
  if (args.Has("--overwrite")) {
    std::optional<Overwrite> mode = ParseOverwrite(args.options.at("--overwrite"));
    if (!mode) {
      err << "vorelkit-cli: --overwrite takes ask, always, never, newer or rename\n";
      return kExitUsage;
    }
    overwrite = *mode;
  }

  const std::string& archive = args.positional[0];
  qel::TUnZip reader;
  EngineReport report(err);
  std::map<std::string, int> failures;
  NoteFailures(reader, report, archive, failures);
  if (std::optional<int> status = OpenArchive(reader, archive, report, err)) return *status;

  TakeMasksAndPassword(reader, args);
  reader.UseStoredDirs = !args.Has("--flat");
  reader.CreateStoredDirs = true;
  if (args.Has("-o"))
    reader.SetExtractDir(args.options.at("-o"));
  else
    reader.SetExtractDir(std::filesystem::current_path().string());

  reader.ConfirmOverwrites = overwrite != Overwrite::Always && overwrite != Overwrite::Never;
  reader.OverwriteMode = overwrite == Overwrite::Never ? qel::TOverwriteMode::omSkip
                                                       : qel::TOverwriteMode::omOverwrite;
  std::optional<bool> forAll;
  reader.OnFileExists = [&](qel::TZipCommon&, const std::string& file, std::string& newName,
                            qel::TOverwriteMode& mode) {
    TOverwriteAnswer answer = TOverwriteAnswer::Keep;
    if (overwrite == Overwrite::Rename) {
      answer = TOverwriteAnswer::Rename;
    } else if (overwrite == Overwrite::Newer) {
      struct stat st {};
      answer = stat(file.c_str(), &st) == 0 && reader.CurrentEntryTime() > st.st_mtime
                   ? TOverwriteAnswer::Replace
                   : TOverwriteAnswer::Keep;
    } else {
      answer = AskOnTerminal(file, forAll);
    }
    mode = answer == TOverwriteAnswer::Keep ? qel::TOverwriteMode::omSkip
                                            : qel::TOverwriteMode::omOverwrite;
    if (answer == TOverwriteAnswer::Rename) newName = FreeName(file);
  };

  int failed = 0;
  reader.OnEnd = [&](qel::TZipCommon&, const std::string&, bool pass) {
    if (!pass) ++failed;
  };
  {
    TerminalProgress progress(reader);
    reader.Extract();
  }
  // Entries that never reached their verdict (unsupported, wrong password) failed too.
  return ExitCode(reader, failed > 0 || !failures.empty());
}

int RunTest(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty()) return NoArchive("test", err);
  const std::string& archive = args.positional[0];
  qel::TZipCheck check;
  EngineReport report(err);
  std::map<std::string, int> failures;
  NoteFailures(check, report, archive, failures);
  if (std::optional<int> status = OpenArchive(check, archive, report, err)) return *status;

  TakeMasksAndPassword(check, args);
  int tested = 0, failed = 0;
  check.OnStatus = [&](qel::TZipCommon&, const std::string& file, bool pass) {
    ++tested;
    if (!pass) ++failed;
    out << (pass ? "OK      " : "FAILED  ") << file;
    if (!pass && failures.count(file)) out << ": " << qel::MessageText(failures[file]);
    out << "\n";
  };
  {
    TerminalProgress progress(check);
    check.Test();
  }
  out << tested << " entries tested, " << failed << " failed\n";
  // A damaged archive directory fails the test even when every entry found passed.
  return ExitCode(check, failed > 0 || report.Errors() > 0);
}

}  // namespace

Command ExtractCommand() {
  return {"extract",
          "extract the entries of an archive",
          "vorelkit-cli extract ARCHIVE [-o DIR] [-p PASSWORD] [--flat] "
          "[--overwrite=ask|always|never|newer|rename] [MASK...]",
          "Extracts the entries of ARCHIVE, or those matching the masks, into DIR (the\n"
          "current folder by default) with their stored folders (--flat drops them).\n"
          "Nothing is ever written outside DIR. When a file exists: ask on a terminal\n"
          "(keep it otherwise), always replace, never replace, replace when the entry is\n"
          "newer, or extract under a free name \"name (1).ext\".\n\n"
          "Exit status: 0 when every entry was extracted, 1 when one failed (CRC, password,\n"
          "unsupported method, write error), 2 when the archive cannot be opened, 7 for a\n"
          "usage error, 255 when cancelled (Ctrl+C).",
          {{"-o", true, "the folder to extract into"},
           {"-p", true, "the password of encrypted entries (asked on the terminal otherwise)"},
           {"--flat", false, "extract without the stored folders"},
           {"--overwrite", true, "ask, always, never, newer or rename (default: ask)"}},
          RunExtract};
}

Command TestCommand() {
  return {"test",
          "test the entries of an archive",
          "vorelkit-cli test ARCHIVE [-p PASSWORD] [MASK...]",
          "Decodes every matching entry without writing anything and checks it, printing\n"
          "\"OK\" or \"FAILED\" with the reason for each entry and a summary line.\n\n"
          "Exit status: 0 when every entry passed, 1 when one failed, 2 when the archive\n"
          "cannot be opened, 7 for a usage error, 255 when cancelled (Ctrl+C).",
          {{"-p", true, "the password of encrypted entries (asked on the terminal otherwise)"}},
          RunTest};
}

}  // namespace vk::cli
