#include "cli/SfxCommands.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "cli/ToolRun.h"
#include "engine/base/Messages.h"
#include "formats/zip/MakeSfx.h"
#include "formats/zip/UnSfx.h"
#include "formats/zip/ZipSfx.h"

namespace vk::cli {
namespace {

// What the stub does with a file that is already there, by --overwrite's words.
const std::map<std::string, qel::TSFXOverwriteMode> kOverwriteModes = {
    {"ask", qel::TSFXOverwriteMode::somAsk},
    {"always", qel::TSFXOverwriteMode::somOverwrite},
    {"never", qel::TSFXOverwriteMode::somSkip}};

// Whether `name` is a file; says so when it is not.
bool FileGiven(const std::string& name, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(name, ec)) return true;
  err << "vorelkit-cli: " << name << ": " << qel::MessageText(qel::msg::FileNotFound) << '\n';
  return false;
}

int RunSfx(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli sfx: name one archive (see 'vorelkit-cli sfx --help')\n";
    return kExitUsage;
  }
  const std::string& archive = args.positional[0];
  if (!FileGiven(archive, err)) return kExitFatal;
  qel::TMakeSFX probe;
  probe.SetArchiveFile(archive);
  const std::string target = OutputOption(args, qel::TMakeSFX::DefaultTarget(archive));

  if (probe.ArcType() == qel::atZip) {
    qel::TZipSFX sfx;
    sfx.SFXPath = qel::TMakeSFX::StubFile("", "Zip");
    sfx.SourceFile = archive;
    sfx.TargetFile = target;
    qel::TSfxSettings& s = sfx.Settings;
    if (args.Has("--overwrite")) {
      const auto mode = kOverwriteModes.find(args.options.at("--overwrite"));
      if (mode == kOverwriteModes.end()) {
        err << "vorelkit-cli: --overwrite takes ask, always or never\n";
        return kExitUsage;
      }
      s.OverwriteMode = mode->second;
    }
    if (args.Has("--folder")) s.DefaultExtractPath = args.options.at("--folder");
    if (args.Has("--title")) s.DialogTitle = args.options.at("--title");
    if (args.Has("--message")) s.Message = args.options.at("--message");
    if (args.Has("--run")) s.CommandLine = args.options.at("--run");
    ToolRun run(sfx, args.Has("--replace"), err);
    const bool made = sfx.Execute();
    if (made) out << target << '\n';
    return run.Status(made);
  }
  std::unique_ptr<qel::TMakeSFX> sfx = qel::TMakeSFX::For(probe.ArcType());
  sfx->SetArchiveFile(archive);
  sfx->TargetFile = target;
  ToolRun run(*sfx, args.Has("--replace"), err);
  const bool made = sfx->Execute();
  if (made) out << target << '\n';
  return run.Status(made);
}

int RunUnsfx(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli unsfx: name one self-extractor (see 'vorelkit-cli unsfx --help')\n";
    return kExitUsage;
  }
  if (!FileGiven(args.positional[0], err)) return kExitFatal;
  qel::TUnSfx unsfx;
  ToolRun run(unsfx, args.Has("--replace"), err);
  unsfx.SetArchiveFile(args.positional[0]);
  if (unsfx.OutFilename().empty()) return kExitFatal;
  unsfx.SetOutFilename(OutputOption(args, unsfx.OutFilename()));
  const bool done = unsfx.Convert();
  if (done) out << unsfx.OutFilename() << '\n';
  return run.Status(done);
}

const OptionSpec kReplaceFlag{"--replace", false, "replace an existing output without asking"};

}  // namespace

Command SfxCommand() {
  return {"sfx",
          "make a self-extractor of an archive",
          "vorelkit-cli sfx ARCHIVE [-o OUT] [--folder DIR] [--overwrite ask|always|never] "
          "[--title T] [--message M] [--run COMMAND] [--replace]",
          "Puts the self-extracting program (SFXS/Vorel<kind>.dat beside vorelkit-cli) in\n"
          "front of ARCHIVE and writes OUT, by default the archive's name with .exe, as an\n"
          "executable. When run, it extracts its archive into the current folder (or DIR),\n"
          "asking for passwords on the terminal; '-h' lists its own options. For a ZIP the\n"
          "offsets are moved so that other tools read OUT as an ordinary archive, and the\n"
          "options go into a settings block the program reads: what it does with files that\n"
          "are already there, its title, a message shown first, a command run afterwards.\n"
          "An existing OUT is replaced only when the answer (or --replace) says so.\n\n"
          "Exit status: 0 when OUT was written, 2 when it was not (an archive type without\n"
          "a stub, a stub missing), 7 for a usage error, 255 when cancelled.",
          {{"-o", true, "the self-extractor to write, or the folder for it"},
           {"--folder", true, "the folder it extracts into"},
           {"--overwrite", true, "ask, always or never: its answer for existing files"},
           {"--title", true, "its title"},
           {"--message", true, "a message it shows before extracting"},
           {"--run", true, "a command it runs after extracting"},
           kReplaceFlag},
          RunSfx};
}

Command UnsfxCommand() {
  return {"unsfx",
          "take the archive out of a self-extractor",
          "vorelkit-cli unsfx SFX [-o OUT] [--replace]",
          "Writes the archive inside SFX to OUT, by default SFX's name with the archive's own\n"
          "extension (.zip, .arj, .lha...). A ZIP is written again entry by entry, so that its\n"
          "offsets count from the start of OUT; the entries are not recompressed. An existing\n"
          "OUT is replaced only when the answer (or --replace) says so.\n\n"
          "Exit status: 0 when OUT was written, 2 when it was not, 7 for a usage error, 255\n"
          "when cancelled.",
          {{"-o", true, "the archive to write, or the folder for it"}, kReplaceFlag},
          RunUnsfx};
}

}  // namespace vk::cli
