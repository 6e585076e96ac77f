#include "cli/SplitCommands.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "cli/ToolRun.h"
#include "formats/zip/ArchiveSplitter.h"
#include "formats/zip/ZipSplitGlue.h"

namespace vk::cli {
namespace {

namespace fs = std::filesystem;

// The sizes of the media a set is cut for, by the names --size takes.
const std::map<std::string, int64_t>& MediaSizes() {
  static const std::map<std::string, int64_t> kSizes = {
      {"floppy120", 1213952}, {"floppy", 1457664},  {"floppy288", 2915328}, {"zip100", 104857600},
      {"zip250", 262144000},  {"cd650", 681574400}, {"cd", 734003200},      {"cd800", 838860800},
      {"cd900", 943718400},   {"dvd", 4698000000}};
  return kSizes;
}

// "65536", "64k", "100M", "4g" (powers of 1024), or a medium's name.
std::optional<int64_t> ParsePartSize(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  if (auto it = MediaSizes().find(text); it != MediaSizes().end()) return it->second;
  int shift = 0;
  if (!text.empty() && (text.back() == 'k' || text.back() == 'm' || text.back() == 'g')) {
    shift = text.back() == 'k' ? 10 : text.back() == 'm' ? 20 : 30;
    text.pop_back();
  }
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoll(text) << shift;
}

int RunSplit(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1 || !args.Has("--size")) {
    err << "vorelkit-cli split: name one ZIP and a --size (see 'vorelkit-cli split --help')\n";
    return kExitUsage;
  }
  const std::optional<int64_t> size = ParsePartSize(args.options.at("--size"));
  if (!size) {
    err << "vorelkit-cli: --size takes a number of bytes (with k, m or g for KiB, MiB, GiB) or "
           "one of";
    for (const auto& [name, bytes] : MediaSizes()) err << ' ' << name;
    err << '\n';
    return kExitUsage;
  }
  qel::TArchiveSplitter splitter;
  splitter.SetArchiveFile(args.positional[0]);
  splitter.SplitArchiveFile =
      OutputOption(args, qel::TArchiveSplitter::SpannedName(args.positional[0]));
  splitter.PartSize = *size;
  splitter.OnSplitNewVolume = [&out](qel::TZipCommon&, int, const std::string& name) {
    out << name << '\n';
  };
  ToolRun run(splitter, args.Has("--overwrite"), err);
  const int volumes = splitter.Split();
  if (volumes > 0) out << volumes << " volumes\n";
  return run.Status(volumes > 0);
}

// The last part of the set a part belongs to: "set.z01" stands for "set.zip" when that is
// there.
std::string LastPart(const std::string& part) {
  const fs::path p(part);
  const std::string ext = p.extension().string();
  if (ext.size() >= 4 && (ext[1] == 'z' || ext[1] == 'Z') &&
      ext.find_first_not_of("0123456789", 2) == std::string::npos) {
    fs::path last = p;
    last.replace_extension(".zip");
    if (fs::exists(last)) return last.string();
  }
  return part;
}

int RunMerge(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) {
    err << "vorelkit-cli merge: name the last part of one split set (see 'vorelkit-cli merge "
           "--help')\n";
    return kExitUsage;
  }
  const std::string set = LastPart(args.positional[0]);
  qel::TZipSplitGlue glue;
  glue.SetArchiveFile(set);
  glue.OutArchiveFile = OutputOption(args, qel::TZipSplitGlue::MergedName(set));
  ToolRun run(glue, args.Has("--overwrite"), err);
  const int entries = glue.Merge();
  if (glue.Merged()) out << glue.OutArchiveFile << ": " << entries << " entries\n";
  return run.Status(glue.Merged());
}

}  // namespace

Command SplitCommand() {
  return {"split",
          "cut a ZIP into a split set of part files",
          "vorelkit-cli split ARCHIVE.zip --size SIZE [-o SET.zip] [--overwrite]",
          "Cuts ARCHIVE.zip into parts of at most SIZE bytes: SET.z01, SET.z02, ... and a\n"
          "last part SET.zip that holds the directory (by default SET is ARCHIVE_spanned,\n"
          "beside it). Nothing is recompressed. SIZE is a number of bytes, with k, m or g\n"
          "for KiB, MiB or GiB, at least 64k and less than the archive, or a medium:\n"
          "floppy (1.44 MB), floppy120, floppy288, zip100, zip250, cd650, cd (700 MB),\n"
          "cd800, cd900, dvd (4.7 GB). Prints each part as it is completed. Existing parts\n"
          "are replaced only when the answer (or --overwrite) says so.\n\n"
          "Exit status: 0 when the set was written, 2 when it was not (nothing is left\n"
          "behind), 7 for a usage error, 255 when cancelled.",
          {{"--size", true, "the largest part: bytes, 64k, 100m, 4g, or floppy, cd, dvd..."},
           {"-o", true, "the set's name (its last part), or the folder for it"},
           kOverwriteFlag},
          RunSplit};
}

Command MergeCommand() {
  return {"merge",
          "join a split set back into one ZIP",
          "vorelkit-cli merge LAST-PART.zip [-o OUT.zip] [--overwrite]",
          "Joins the split set whose last part is LAST-PART.zip (its first part, .z01, names\n"
          "it too) into one ZIP: OUT.zip, by default LAST-PART_merged.zip beside it. The\n"
          "entries are copied as they stand. A missing part is asked for on the terminal.\n"
          "OUT.zip appears only once it is whole.\n\n"
          "Exit status: 0 when the archive was written, 1 with errors reported, 2 when it\n"
          "was not, 7 for a usage error, 255 when cancelled.",
          {{"-o", true, "the merged archive, or the folder for it"}, kOverwriteFlag},
          RunMerge};
}

}  // namespace vk::cli
