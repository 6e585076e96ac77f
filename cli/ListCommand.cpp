#include "cli/ListCommand.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Format.h"
#include "cli/ListerRun.h"
#include "engine/base/Messages.h"
#include "engine/list/EntryText.h"
#include "engine/list/PrintText.h"
#include "engine/list/Quell.h"
#include "formats/zip/ZipTail.h"

namespace vk::cli {
namespace {

struct Row {
  std::string name, modified, size, ratio, packed, crc, method, attributes, folder;
};

void PrintTable(const std::vector<Row>& rows, const std::vector<std::string>& totals,
                std::ostream& out) {
  const Row header{"Name", "Modified", "Size", "Ratio", "Packed",
                   "CRC",  "Method",   "Attr", "Folder"};
  auto fields = [](const Row& r) {
    return std::vector<const std::string*>{&r.name, &r.modified, &r.size,       &r.ratio, &r.packed,
                                           &r.crc,  &r.method,   &r.attributes, &r.folder};
  };
  // Columns are measured in characters, not bytes.
  auto chars = [](const std::string& s) {
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  std::vector<size_t> width(9, 0);
  auto measure = [&](const Row& r) {
    auto f = fields(r);
    for (size_t i = 0; i < f.size(); ++i) width[i] = std::max(width[i], chars(*f[i]));
  };
  measure(header);
  for (const Row& r : rows) measure(r);
  // Numbers are right-aligned, text left-aligned; the last column is not padded.
  const bool right[9] = {false, false, true, true, true, false, false, false, false};
  auto print = [&](const Row& r) {
    auto f = fields(r);
    std::string line;
    for (size_t i = 0; i < f.size(); ++i) {
      std::string pad(width[i] - chars(*f[i]), ' ');
      if (i + 1 == f.size()) pad.clear();
      line += right[i] ? pad + *f[i] : *f[i] + pad;
      if (i + 1 < f.size()) line += "  ";
    }
    out << line << "\n";
  };
  print(header);
  for (const Row& r : rows) print(r);
  out << totals[0] << (totals[0] == "1" ? " entry, " : " entries, ") << totals[1] << " bytes, "
      << totals[2] << " packed, ratio " << totals[3] << "%\n";
}

// The Print to File text: every entry in archive order, the ZIP comment at the end.
int PrintList(ListerRun& run, std::ostream& out) {
  qel::TCustomQuell& quell = run.Quell;
  std::vector<qel::TPrintRow> rows;
  quell.OnRead = [&](qel::TZipCommon&, int64_t, int) {
    const qel::TEntryRecord& e = quell.Entry();
    std::string name = e.FileName, folder;
    if (!name.empty() && name.back() == '/') name.pop_back();
    if (auto slash = name.rfind('/'); slash != std::string::npos) {
      folder = name.substr(0, slash);
      name = name.substr(slash + 1);
    }
    rows.push_back({name + (e.Encrypted ? "+" : ""), e.Date ? FormatDateTime(e.Date) : "0",
                    e.PackedSize, e.UnpackedSize, folder});
  };
  qel::TPrintHeading heading;
  heading.ArchiveName = std::filesystem::path(quell.ArchiveFile()).filename().string();
  quell.OnTotals = [&](qel::TZipCommon&, int64_t unpacked, int64_t packed, int, int files) {
    heading = {heading.ArchiveName, packed, unpacked, files, {}};
  };
  if (!run.Activate()) return kExitFatal;
  heading.Comment = qel::zip::ArchiveCommentText(quell);
  out << qel::PrintText(heading, rows);
  return run.Status();
}

int RunList(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty()) {
    err << "vorelkit-cli list: no archive named (see 'vorelkit-cli list --help')\n";
    return kExitUsage;
  }
  ListerRun run(args, err);
  qel::TCustomQuell& quell = run.Quell;
  quell.FileSpec.assign(args.positional.begin() + 1, args.positional.end());
  const bool tsv = args.Has("--tsv");
  if (!run.Open(args.positional[0])) return kExitFatal;
  if (args.Has("--print")) return PrintList(run, out);

  std::vector<Row> rows;
  std::string line;
  quell.OnRead = [&](qel::TZipCommon&, int64_t, int) {
    const qel::TEntryRecord& e = quell.Entry();
    const std::string attributes = qel::GetAttrText(quell.ArcType(), e.ExternalAttr, '-');
    if (tsv) {
      // One write per line: listings of hundreds of thousands of entries are common.
      line.clear();
      line += EscapeField(e.FileName);
      line += '\t';
      line += std::to_string(e.UnpackedSize);
      line += '\t';
      line += std::to_string(e.PackedSize);
      line += '\t';
      line += HexCrc(e.CRC);
      line += '\t';
      line += e.MethodName;
      line += '\t';
      line += FormatDateTime(e.Date);
      line += '\t';
      line += attributes;
      line += e.Encrypted ? "\t1\t" : "\t0\t";
      line += qel::HostName(quell.ArcType(), e.VersionMadeBy);
      line += '\n';
      out.write(line.data(), std::streamsize(line.size()));
      return;
    }
    std::string name = e.FileName, folder;
    const bool isFolder = !name.empty() && name.back() == '/';
    if (isFolder) name.pop_back();
    if (auto slash = name.rfind('/'); slash != std::string::npos) {
      folder = name.substr(0, slash);
      name = name.substr(slash + 1);
    }
    rows.push_back({name + (isFolder ? "/" : ""), FormatDateTime(e.Date, false),
                    qel::GroupThousands(e.UnpackedSize), std::to_string(e.Ratio) + "%",
                    qel::GroupThousands(e.PackedSize), HexCrc(e.CRC), e.MethodName, attributes,
                    folder});
  };
  std::vector<std::string> totals;
  quell.OnTotals = [&](qel::TZipCommon&, int64_t unpacked, int64_t packed, int ratio, int files) {
    totals = {qel::GroupThousands(files), qel::GroupThousands(unpacked),
              qel::GroupThousands(packed), std::to_string(ratio)};
  };

  if (!run.Activate()) return kExitFatal;
  if (!tsv && !totals.empty()) PrintTable(rows, totals, out);
  return run.Status();
}

}  // namespace

Command ListCommand() {
  return {"list",
          "list the entries of an archive",
          "vorelkit-cli list [--tsv | --print] [-p PASSWORD] ARCHIVE [MASK...]",
          "Lists the entries of ARCHIVE, or those matching the masks (\"*\" and \"?\",\n"
          "ignoring case; \"docs/*.txt\" selects in a folder and the folders below it).\n"
          "By default a table of name, modification time, size, ratio, packed size, CRC,\n"
          "method, attributes and folder, with a totals line. With --tsv, one line per\n"
          "entry and no header: name (folders separated by \"/\"; tab, line break and\n"
          "backslash written as \\t, \\n, \\r and \\\\, other control bytes as \\xHH),\n"
          "size, packed size, CRC-32 (8 hex digits), method, modification time\n"
          "(YYYY-MM-DD HH:MM:SS, local time), attributes, 1 or 0 for encrypted, and the\n"
          "system it was made on (ZIP and RAR; empty for the others), separated by tabs.\n"
          "With --print, the printable list: a heading with the totals, a ruled table of\n"
          "name (\"+\" after an encrypted one), date, packed size, size and folder, and\n"
          "the archive comment.\n\n"
          "Exit status: 0 when listed, 1 when the listing met damaged headers, 2 when the\n"
          "archive cannot be opened or is not an archive, 7 for a usage error.",
          {{"--tsv", false, "tab-separated lines for scripts"},
           {"--print", false, "the printable list, as the window prints it to a file"},
           {"-p", true, "the password of encrypted entries (asked on the terminal otherwise)"}},
          RunList};
}

}  // namespace vk::cli
