#include "cli/RepairCommand.h"

#include <cstdio>
#include <filesystem>
#include <ostream>

#include "engine/base/Errors.h"
#include "formats/zip/ZipFix.h"

namespace vk::cli {
namespace {

constexpr const char* kRule = "=========================";

// The damaged file's name with its extension replaced.
std::string FixedName(const std::string& broken) {
  std::filesystem::path fixed(broken);
  fixed.replace_extension();
  return fixed.string() + "_VorelFixed.zip";
}

const char* VerdictText(qel::TRescueVerdict verdict) {
  switch (verdict) {
    case qel::TRescueVerdict::Intact:
      return "OK";
    case qel::TRescueVerdict::DataFailed:
      return "CRC error, left out";
    case qel::TRescueVerdict::DataFailedKept:
      return "CRC error, kept";
    case qel::TRescueVerdict::Corrupted:
      break;
  }
  return "Corrupted";
}

int RunRepair(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli repair: name one damaged archive (see 'vorelkit-cli repair --help')\n";
    return kExitUsage;
  }
  const std::string& broken = args.positional[0];
  const std::string fixed = args.Has("-o") ? args.options.at("-o") : FixedName(broken);

  qel::TZipFix fix;
  fix.KeepDamaged = args.Has("--keep-damaged");
  int total = 0, ok = 0;
  fix.OnFileFound = [&](qel::TZipFix& sender, const std::string& name, bool intact) {
    if (!name.empty() && name.back() == '/') return;  // folders are neither listed nor counted
    ++total;
    if (intact) ++ok;
    out << (name.empty() ? "?? File Name ??" : name) << '\t' << VerdictText(sender.Verdict())
        << '\n';
  };
  out << "Broken File: " << broken << "\nFixed File: " << fixed << '\n' << kRule << '\n';
  try {
    fix.Repair(broken, fixed);
  } catch (const std::exception& e) {  // the engine's errors, and memory running out
    err << "vorelkit-cli: " << e.what() << '\n';
    return kExitFatal;
  }
  char summary[64];
  std::snprintf(summary, sizeof summary, "%d out of %d files were OK", ok, total);
  out << kRule << '\n' << summary << '\n';
  return total > 0 && ok == total ? kExitOk : kExitWarning;
}

}  // namespace

Command RepairCommand() {
  return {"repair",
          "rescue the intact entries of a damaged ZIP file",
          "vorelkit-cli repair BROKEN.zip [-o FIXED.zip] [--keep-damaged]",
          "Scans BROKEN.zip for entries whose header, name and sizes hold together and\n"
          "whose data, unless encrypted or compressed by a method this version does not\n"
          "decode, passes its CRC check, and writes them to a new archive with a fresh\n"
          "central directory: FIXED.zip, or by default BROKEN_VorelFixed.zip beside it.\n"
          "The damaged file is never changed. Prints one line per entry found, its name\n"
          "(\"?? File Name ??\" when none could be read) and OK, Corrupted or CRC error,\n"
          "then how many were OK; folders are not listed. Entries that fail their CRC\n"
          "check are left out unless --keep-damaged is given.\n\n"
          "Exit status: 0 when every entry found was OK, 1 when one was damaged or none\n"
          "was found, 2 when the damaged file cannot be read or the new archive cannot be\n"
          "written (or would replace the damaged file), 7 for a usage error.",
          {{"-o", true, "the name of the repaired archive"},
           {"--keep-damaged", false, "keep entries whose data fails its CRC check"}},
          RunRepair};
}

}  // namespace vk::cli
