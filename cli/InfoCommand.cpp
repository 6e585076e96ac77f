#include "cli/InfoCommand.h"

#include <sys/stat.h>

#include <ostream>
#include <set>
#include <string>

#include "cli/Format.h"
#include "cli/ListerRun.h"
#include "engine/base/DateTime.h"
#include "engine/list/EntryText.h"
#include "engine/list/PrintText.h"
#include "engine/registry/Formats.h"
#include "formats/zip/ZipTail.h"

namespace vk::cli {
namespace {

int RunInfo(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli info: name one archive (see 'vorelkit-cli info --help')\n";
    return kExitUsage;
  }
  ListerRun run(args, err);
  qel::TCustomQuell& quell = run.Quell;
  if (!run.Open(args.positional[0])) return kExitFatal;
  int encrypted = 0;
  std::set<std::string> volumes;
  quell.OnRead = [&](qel::TZipCommon&, int64_t, int) {
    const qel::TEntryRecord& e = quell.Entry();
    encrypted += e.Encrypted;
    volumes.insert(e.VolumeName);
  };
  int64_t unpacked = 0, packed = 0;
  int files = 0, ratio = 0;
  quell.OnTotals = [&](qel::TZipCommon&, int64_t u, int64_t p, int r, int f) {
    unpacked = u;
    packed = p;
    ratio = r;
    files = f;
  };
  // A listing that met damage and found nothing is no empty archive.
  if (!run.Activate() || (run.Status() != kExitOk && files == 0)) return kExitFatal;
  const qel::TFormatDescriptor* format = qel::FormatOf(quell.ArcType());
  struct stat st {};
  ::stat(quell.ArchiveFile().c_str(), &st);
  const std::optional<std::string> comment = qel::zip::ArchiveCommentText(quell);
  out << "archive: " << quell.ArchiveFile() << "\n"
      << "type: " << (format ? format->Name : qel::ArcTypeName(quell.ArcType())) << "\n"
      << "size: " << qel::GroupThousands(st.st_size) << "\n"
      << "entries: " << files << "\n"
      << "packed: " << qel::GroupThousands(packed) << "\n"
      << "unpacked: " << qel::GroupThousands(unpacked) << "\n"
      << "ratio: " << ratio << "%\n"
      << "date: " << FormatDateTime(qel::UnixToDateTime(st.st_mtime)) << "\n"
      << "comment: " << (comment ? "yes" : "no") << "\n"
      << "encrypted entries: " << encrypted << "\n"
      << "volumes: " << std::max<size_t>(1, volumes.size()) << "\n";
  return run.Status();
}

}  // namespace

Command InfoCommand() {
  return {"info",
          "show an archive's properties",
          "vorelkit-cli info [-p PASSWORD] ARCHIVE",
          "Prints one \"key: value\" line each for the archive's name, type, file size,\n"
          "number of entries, packed and unpacked totals, compression ratio, the file's\n"
          "modification time, whether it has a comment (yes or no), the number of\n"
          "encrypted entries and the number of volumes it spreads over.\n\n"
          "Exit status: 0 when shown, 1 when the listing met damaged headers, 2 when the\n"
          "archive cannot be opened or is not an archive, 7 for a usage error.",
          {{"-p", true, "the password of encrypted headers (asked on the terminal otherwise)"}},
          RunInfo};
}

}  // namespace vk::cli
