#include "cli/ExtractCommand.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <ostream>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/EngineReport.h"
#include "cli/TerminalProgress.h"
#include "cli/ToolRun.h"
#include "engine/base/ArchiveDetection.h"
#include "engine/base/Messages.h"
#include "engine/extract/DecompressClass.h"
#include "engine/extract/ZipCheck.h"
#include "engine/registry/Formats.h"

namespace vk::cli {
namespace {

using app::StdinIsTerminal;
using app::TOverwritePolicy;
using app::TTerminalOptions;
using app::TTerminalPrompter;

std::optional<TOverwritePolicy> ParseOverwrite(const std::string& text) {
  static const std::map<std::string, TOverwritePolicy> kModes = {
      {"ask", TOverwritePolicy::Ask},
      {"always", TOverwritePolicy::Always},
      {"never", TOverwritePolicy::Never},
      {"newer", TOverwritePolicy::Newer},
      {"rename", TOverwritePolicy::Rename}};
  auto it = kModes.find(text);
  if (it == kModes.end()) return std::nullopt;
  return it->second;
}

int NoArchive(const char* command, std::ostream& err) {
  err << "vorelkit-cli " << command << ": no archive named (see 'vorelkit-cli " << command
      << " --help')\n";
  return kExitUsage;
}

// A volume missing, or not of the set, or a set opened on another volume than its first.
bool SetFault(int code) {
  using namespace qel::msg;
  return code == FileNotFound || code == CabinetNotInSet || code == CabinetNeedsFirstDisk;
}

// Which entries failed, and why: the last error reported for each, noted before `report`
// prints it.
void NoteFailures(qel::TZipCommon& component, EngineReport& report, const std::string& archive,
                  std::map<std::string, int>& failures, app::TEnginePrompts& prompts) {
  report.Attach(component);
  auto reportError = component.OnError;
  component.OnError = [&failures, &archive, &prompts, reportError](
                          qel::TZipCommon& sender, const std::string& file, const std::string& ext,
                          const std::string& volume, int code) {
    // A set that cannot be read whole fails the archive, whichever of its cabinets it names.
    if (!file.empty() && (file != archive || SetFault(code))) failures[file] = code;
    // A password that failed is not offered again: the next attempt asks.
    prompts.ForgetPassword();
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
  if (!qel::ReaderFor(component.ArcType())) {
    err << "vorelkit-cli: " << archive << ": not an archive this version extracts\n";
    return kExitFatal;
  }
  return std::nullopt;
}

// The reader of the archive's type as detection finds it; the ZIP reader when the engine
// reads no such archive, for opening it then says why.
std::unique_ptr<qel::TDecompressClass> ReaderOf(const std::string& archive) {
  const qel::TMakeReader make = qel::ReaderFor(qel::DetectedArcType(archive));
  return make ? make() : qel::ReaderFor(qel::atZip)();
}

// The masks after the archive, and the password from -p (a wrong one is asked for again
// on the terminal).
void TakeMasksAndPassword(qel::TZipCommon& component, const ParsedArgs& args) {
  component.FileSpec.assign(args.positional.begin() + 1, args.positional.end());
  if (!args.Has("-p")) return;
  component.SetPassword(args.options.at("-p"));
  // An empty password held is taken for none; -p "" asks for it to be tried.
  if (args.options.at("-p").empty()) component.Passwords.push_back("");
}

// Masks given that selected no entry: nothing was done, which is worth a line (and for
// extract exit 1, as add does for names that match no file).
bool NothingMatched(const ParsedArgs& args, int selected, std::ostream& err) {
  if (selected > 0 || args.positional.size() < 2) return false;
  err << "vorelkit-cli: no entry matches";
  for (auto it = args.positional.begin() + 1; it != args.positional.end(); ++it)
    err << " '" << *it << "'";
  err << "\n";
  return true;
}

// A missing volume leaves the rest of the set unread: fatal, not a failed entry.
int ExitCode(const qel::TZipCommon& component, bool failed,
             const std::map<std::string, int>& failures) {
  if (component.Cancel()) return kExitCancelled;
  for (const auto& [file, code] : failures)
    if (SetFault(code)) return kExitFatal;
  return failed ? kExitWarning : kExitOk;
}

int RunExtract(const ParsedArgs& args, std::ostream&, std::ostream& err) {
  if (args.positional.empty()) return NoArchive("extract", err);
  TTerminalOptions options;
  options.Interactive = StdinIsTerminal();
  if (args.Has("--overwrite")) {
    std::optional<TOverwritePolicy> policy = ParseOverwrite(args.options.at("--overwrite"));
    if (!policy) {
      err << "vorelkit-cli: --overwrite takes ask, always, never, newer or rename\n";
      return kExitUsage;
    }
    options.Overwrite = *policy;
  }
  const std::optional<int> threads = ThreadsOption(args, err);
  if (!threads) return kExitUsage;
  TTerminalPrompter prompter(options, std::cin, std::cerr);
  app::TEnginePrompts prompts(prompter);

  const std::string& archive = args.positional[0];
  const std::unique_ptr<qel::TDecompressClass> extractor = ReaderOf(archive);
  qel::TDecompressClass& reader = *extractor;
  EngineReport report(err);
  std::map<std::string, int> failures;
  NoteFailures(reader, report, archive, failures, prompts);
  prompts.AttachReader(reader);
  NoVolumeQuestions(reader, options.Interactive);
  if (std::optional<int> status = OpenArchive(reader, archive, report, err)) return *status;

  TakeMasksAndPassword(reader, args);
  reader.UseStoredDirs = !args.Has("--flat");
  reader.Threads = *threads;
  reader.CreateStoredDirs = true;
  // A folder that cannot be made is no reason to write somewhere else.
  const std::string target =
      args.Has("-o") ? args.options.at("-o") : std::filesystem::current_path().string();
  if (!reader.SetExtractDir(target)) return kExitFatal;
  prompts.BeginExtraction();
  reader.ConfirmOverwrites = true;

  int failed = 0;
  reader.OnEnd = [&](qel::TZipCommon&, const std::string&, bool pass) {
    if (!pass) ++failed;
  };
  // Every entry the masks select begins, whether it is then written or kept from
  // overwriting; folders are counted by Extract.
  int selected = 0;
  reader.OnBegin = [&selected](qel::TZipCommon&, const std::string&, int, bool&) { ++selected; };
  {
    TerminalProgress progress(reader);
    selected += reader.Extract();
  }
  const bool unmatched =
      failures.empty() && !reader.Cancel() && NothingMatched(args, selected, err);
  // Entries that never reached their verdict (unsupported, wrong password) failed too.
  // Damage found in the archive itself fails the extraction too.
  return ExitCode(reader, failed > 0 || !failures.empty() || unmatched || report.Errors() > 0,
                  failures);
}

int RunTest(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty()) return NoArchive("test", err);
  const std::string& archive = args.positional[0];
  const std::optional<int> threads = ThreadsOption(args, err);
  if (!threads) return kExitUsage;
  TTerminalOptions options;
  options.Interactive = StdinIsTerminal();
  TTerminalPrompter prompter(options, std::cin, std::cerr);
  app::TEnginePrompts prompts(prompter);
  qel::TZipCheck check;
  check.Threads = *threads;
  EngineReport report(err);
  std::map<std::string, int> failures;
  NoteFailures(check, report, archive, failures, prompts);
  prompts.AttachTester(check);
  NoVolumeQuestions(check, options.Interactive);
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
  out << tested << (tested == 1 ? " entry" : " entries") << " tested, " << failed << " failed\n";
  // Said, but no damage: the archive is sound whatever was asked of it.
  if (failures.empty() && !check.Cancel()) NothingMatched(args, tested, err);
  // A damaged archive directory fails the test even when every entry found passed.
  return ExitCode(check, failed > 0 || report.Errors() > 0, failures);
}

}  // namespace

Command ExtractCommand() {
  return {"extract",
          "extract the entries of an archive",
          "vorelkit-cli extract ARCHIVE [-o DIR] [-p PASSWORD] [--flat] "
          "[--overwrite=ask|always|never|newer|rename] [--threads N] [MASK...]",
          "Extracts the entries of ARCHIVE, or those matching the masks, into DIR (the\n"
          "current folder by default) with their stored folders (--flat drops them).\n"
          "Nothing is ever written outside DIR. When a file exists: ask on a terminal\n"
          "(keep it otherwise), always replace, never replace, replace when the entry is\n"
          "newer, or extract under a free name \"name (1).ext\".\n\n"
          "Exit status: 0 when every entry was extracted, 1 when one failed (CRC, password,\n"
          "unsupported method, write error), 2 when the archive cannot be opened (or a\n"
          "volume of it is missing) or DIR cannot be made, 7 for a usage error, 255 when\n"
          "cancelled (Ctrl+C).",
          {{"-o", true, "the folder to extract into"},
           {"-p", true, "the password of encrypted entries (asked on the terminal otherwise)"},
           {"--flat", false, "extract without the stored folders"},
           {"--overwrite", true, "ask, always, never, newer or rename (default: ask)"},
           kThreadsOption},
          RunExtract};
}

Command TestCommand() {
  return {"test",
          "test the entries of an archive",
          "vorelkit-cli test ARCHIVE [-p PASSWORD] [--threads N] [MASK...]",
          "Decodes every matching entry without writing anything and checks it, printing\n"
          "\"OK\" or \"FAILED\" with the reason for each entry and a summary line.\n\n"
          "Exit status: 0 when every entry passed, 1 when one failed, 2 when the archive\n"
          "cannot be opened, 7 for a usage error, 255 when cancelled (Ctrl+C).",
          {{"-p", true, "the password of encrypted entries (asked on the terminal otherwise)"},
           kThreadsOption},
          RunTest};
}

}  // namespace vk::cli
