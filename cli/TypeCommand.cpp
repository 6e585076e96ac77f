#include "cli/TypeCommand.h"

#include <cstdio>
#include <ostream>

#include "cli/EngineReport.h"
#include "engine/base/ZipCommon.h"

namespace vk::cli {
namespace {

int RunType(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty()) {
    err << "vorelkit-cli type: no file named (see 'vorelkit-cli type --help')\n";
    return kExitUsage;
  }
  int status = kExitOk;
  for (const std::string& file : args.positional) {
    qel::TZipCommon probe;
    EngineReport report(err);
    report.Attach(probe);
    bool openFailed = false;
    try {
      probe.SetArchiveFile(file);
    } catch (const qel::E_RAISE&) {
      openFailed = true;
    }
    if (openFailed || report.OpenFailed() || probe.ArchiveFile().empty()) {
      err << "vorelkit-cli: cannot open '" << file << "'\n";
      status = kExitFatal;
      continue;
    }
    char flag[3];
    std::snprintf(flag, sizeof flag, "%02X", unsigned(probe.HeadFlag().Bits()));
    out << file << '\t' << qel::ArcTypeName(probe.ArcType()) << '\t' << probe.HeaderOffset() << '\t'
        << probe.OffsetAdjust() << '\t' << flag << '\n';
  }
  return status;
}

}  // namespace

Command TypeCommand() {
  return {"type",
          "name the archive type of files",
          "vorelkit-cli type FILE...",
          "Prints one line per file, tab-separated: the file name, the archive type\n"
          "(atZip, atTar, atNA...), the offset where reading starts, the number of bytes\n"
          "in front of a ZIP archive, and the ZIP structures found as two hex digits\n"
          "(01 local header, 02 central header, 04 end record, 08 Zip64 locator,\n"
          "10 Zip64 end record, 20 executable).\n\n"
          "Exit status: 0 when every file was examined, 2 when a file could not be\n"
          "opened, 7 for a usage error.",
          {},
          RunType};
}

}  // namespace vk::cli
