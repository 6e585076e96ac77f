#include "cli/UpdateCommands.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <ostream>
#include <utility>
#include <vector>

#include "app/prompts/EnginePrompts.h"
#include "app/prompts/TerminalPrompter.h"
#include "cli/AddNotices.h"
#include "cli/EngineReport.h"
#include "cli/TerminalProgress.h"
#include "engine/base/ArchiveDetection.h"
#include "engine/base/Messages.h"
#include "engine/detect/ArchiveExts.h"
#include "engine/registry/Formats.h"
#include "engine/text/Utf8.h"
#include "formats/cab/CabInterface.h"
#include "formats/zip/ZipWriter.h"

namespace vk::cli {
namespace {

using app::StdinIsTerminal;
using app::TTerminalOptions;
using app::TTerminalPrompter;

namespace fs = std::filesystem;

template <typename T>
std::optional<T> Choice(const ParsedArgs& args, const std::string& option,
                        const std::map<std::string, T>& choices, T fallback, std::ostream& err) {
  if (!args.Has(option)) return fallback;
  auto it = choices.find(args.options.at(option));
  if (it != choices.end()) return it->second;
  err << "vorelkit-cli: " << option << " takes";
  for (const auto& [name, value] : choices) err << " " << name;
  err << "\n";
  return std::nullopt;
}

// What add and delete share: errors reported, the engine's questions asked on the
// terminal, and a read-only archive written only when the answer is yes.
class WriterRun {
 public:
  WriterRun(qel::TCompBase& zip, std::ostream& err)
      : zip_(zip),
        err_(err),
        report_(err),
        prompter_(TTerminalOptions{.Interactive = StdinIsTerminal()}, std::cin, std::cerr),
        prompts_(prompter_) {
    report_.Attach(zip);
    prompts_.AttachWriter(zip);
    zip.OnNonWriteableArchive = [this, ask = zip.OnNonWriteableArchive](
                                    qel::TZipCommon& sender, const std::string& name, bool& write) {
      ask(sender, name, write);
      declined_ = !write;
    };
  }

  // Runs the writer's operation; answers the exit status and what Compress answered (files
  // stored, once the archive was committed).
  std::pair<int, int> Run() {
    int done = 0;
    {
      TerminalProgress progress(zip_);
      done = zip_.Compress();
    }
    if (zip_.Cancel()) return {kExitCancelled, 0};
    if (declined_) {
      err_ << "vorelkit-cli: " << zip_.ArchiveFile() << " is read-only and was not written\n";
      return {kExitFatal, 0};
    }
    return {report_.Errors() > 0 ? kExitWarning : kExitOk, done};
  }

 private:
  qel::TCompBase& zip_;
  std::ostream& err_;
  EngineReport report_;
  TTerminalPrompter prompter_;
  app::TEnginePrompts prompts_;
  bool declined_ = false;
};

// The families add writes, as --type names them: "zip or jar".
std::string WrittenFamilies() {
  std::vector<std::string> names;
  for (const qel::TFormatDescriptor* f : qel::RegisteredFormats())
    if (qel::WriterOf(f->Types.front().Type)) names.push_back(f->Name);
  std::string text;
  for (size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  return text;
}

// The writer of the archive: the family --type names, else the one of the type an existing
// archive holds, else the one the name's extension stands for, ZIP for a name of no
// archive type. A name of a type add does not write is
// refused unless --type says what is meant, for the file would not be what its name says.
std::unique_ptr<qel::TCompBase> ArchiveWriter(const ParsedArgs& args, const std::string& archive,
                                              bool offerType, std::ostream& err) {
  if (args.Has("--type")) {
    // A family ("tar") or a type by its extension ("tgz", "tar.bz2", "gz").
    const std::string& named = args.options.at("--type");
    const qel::TFormatDescriptor* f = qel::FormatNamed(named);
    const qel::TFormatWriter* w =
        qel::WriterOf(f ? f->Types.front().Type : qel::ArcTypeOfName("x." + named));
    if (w) return w->Make();
    err << "vorelkit-cli: --type takes " << WrittenFamilies() << "\n";
    return nullptr;
  }
  // An archive that exists is updated by the writer of what it holds (a self-extractor's
  // name says nothing of its archive).
  std::error_code ec;
  if (fs::is_regular_file(archive, ec)) {
    const qel::TArcType held = qel::DetectedArcType(archive);
    if (const qel::TFormatWriter* w = qel::UpdaterFor(held)) return w->Make();
    if (qel::WriterOf(held)) {
      err << "vorelkit-cli: '" << archive << "' is a " << qel::FormatOf(held)->Name
          << " archive, which is only ever made whole: nothing is added to or deleted from one\n";
      return nullptr;
    }
  }
  const qel::TArcType type = qel::ArcTypeOfName(archive);
  if (const qel::TFormatWriter* w = qel::WriterOf(type == qel::atNA ? qel::atZip : type))
    return w->Make();
  // The type as the name spells it: "LZH", "TAR.GZ".
  const fs::path name = fs::path(archive).filename();
  const bool tar = qel::text::AsciiLower(name.stem().extension().string()) == ".tar";
  std::string spelled = (tar ? "tar" : "") + name.extension().string().substr(tar ? 0 : 1);
  for (char& c : spelled) c = char(std::toupper((unsigned char)c));
  err << "vorelkit-cli: '" << archive << "' is named as an archive of type " << spelled
      << "; this version writes " << WrittenFamilies() << " archives"
      << (offerType ? " (--type zip writes a ZIP under this name)\n" : "\n");
  return nullptr;
}

int RunAdd(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() < 2) {
    err << "vorelkit-cli add: name an archive and what to add (see 'vorelkit-cli add --help')\n";
    return kExitUsage;
  }
  using enum qel::TDeflateType;
  const auto level = Choice<qel::TDeflateType>(
      args, "--level",
      {{"store", dtDeflateS}, {"fast", dtDeflateF}, {"normal", dtDeflateN}, {"max", dtDeflateX}},
      dtDeflateN, err);
  const auto encryption = EncryptionOption(args, qel::TEncryptionMethod::emAes2_256, err);
  using enum qel::TStoredDirNames;
  const auto paths = Choice<qel::TStoredDirNames>(args, "--paths",
                                                  {{"relative", sdExplorer_UserDefineDefaultDir},
                                                   {"none", sdNone},
                                                   {"absolute", sdAbsoluteNoRoot}},
                                                  sdExplorer_UserDefineDefaultDir, err);
  const std::optional<int> threads = ThreadsOption(args, err);
  using enum qel::TCompressMethod;
  const auto method = Choice<std::optional<qel::TCompressMethod>>(args, "--method",
                                                                  {{"store", cmStore},
                                                                   {"deflate", cmDeflate},
                                                                   {"bzip2", cmBz2},
                                                                   {"ppmd", cmPPMDi},
                                                                   {"lh5", cmFrozen5},
                                                                   {"lh6", cmFrozen6},
                                                                   {"mszip", cmMsZip},
                                                                   {"lzx", cmLzx},
                                                                   {"quantum", cmQuantum},
                                                                   {"fuse", cmFuse}},
                                                                  std::nullopt, err);
  const std::optional<int> lzxWindow = NumberOption(args, "--lzx-window", 15, 21, 21, err);
  if (!level || !encryption || !paths || !threads || !method || !lzxWindow) return kExitUsage;
  if (args.Has("--update") + args.Has("--freshen") + args.Has("--move") > 1) {
    err << "vorelkit-cli: --update, --freshen and --move exclude each other\n";
    return kExitUsage;
  }

  const std::unique_ptr<qel::TCompBase> writer = ArchiveWriter(args, args.positional[0], true, err);
  if (!writer) return kExitUsage;
  qel::TCompBase& zip = *writer;
  WriterRun run(zip, err);
  AddNotices notices;
  notices.Attach(zip);
  zip.SetArchiveFile(args.positional[0]);
  zip.RecurseDirs = args.Has("-r");
  if (args.values.count("-x")) zip.ExcludeSpec = args.values.at("-x");
  zip.DeflateType = *level;
  zip.Threads = *threads;
  if (*method) {
    if (!zip.SetCompressMethod(**method)) {
      err << "vorelkit-cli: --method " << args.options.at("--method") << " is not a method of "
          << qel::FormatOf(zip.ArcType())->Name << " archives\n";
      return kExitUsage;
    }
  } else if (*level == dtDeflateS) {
    zip.SetCompressMethod(qel::TCompressMethod::cmStore);
  }
  if (args.Has("--lzx-window") && zip.CompressMethod() != qel::TCompressMethod::cmLzx) {
    err << "vorelkit-cli: --lzx-window is for cabinets written with --method lzx\n";
    return kExitUsage;
  }
  if (auto* cab = dynamic_cast<qel::TCabInterface*>(&zip)) cab->SetLzxLevel(*lzxWindow);
  if (args.Has("-p") && !qel::Can(zip.ArcType(), qel::capPassword)) {
    err << "vorelkit-cli: " << qel::FormatOf(zip.ArcType())->Name << " archives take no password\n";
    return kExitUsage;
  }
  if (args.Has("--encryption") && *encryption != qel::TEncryptionMethod::emZip_V2 &&
      !qel::Can(zip.ArcType(), qel::capZipCipher)) {
    err << "vorelkit-cli: " << qel::FormatOf(zip.ArcType())->Name
        << " archives are enciphered with zipcrypto only\n";
    return kExitUsage;
  }
  if (args.Has("-p")) {
    zip.SetPassword(args.options.at("-p"));
    zip.EncryptionMethod = *encryption;
  }
  // Names are stored relative to the current folder, as given on the command line.
  zip.StoredDirNames = *paths;
  zip.DefaultDir = fs::current_path().string();
  zip.StoreEmptySubDirs = zip.RecurseDirs;
  if (args.Has("--comment")) {
    auto* commented = dynamic_cast<qel::TZipBase*>(&zip);
    if (!commented) {
      err << "vorelkit-cli: --comment needs a ZIP archive\n";
      return kExitUsage;
    }
    commented->ArchiveComment = args.options.at("--comment");
    commented->ArchiveCommentChanged = true;
  }
  zip.Switch = args.Has("--freshen") ? qel::TSwitch::swRefresh
               : args.Has("--move")  ? qel::TSwitch::swMove
                                     : qel::TSwitch::swAdd;
  // Entries are replaced as the options say, without asking, as archivers on the command
  // line do; the other questions (duplicate names, disks, a read-only archive) are asked.
  const bool onlyNewer = args.Has("--update");
  zip.OnReplaceFile = [onlyNewer](qel::TZipCommon&, const std::string&, const std::string&,
                                  qel::TDateTime date, qel::TDateTime newDate, int64_t, int64_t,
                                  int, int,
                                  bool& replace) { replace = !onlyNewer || newDate > date; };
  // An entry kept by --update stays as it is, without a new name asked for the file.
  zip.OnRenameDupeFile = nullptr;
  for (auto it = args.positional.begin() + 1; it != args.positional.end(); ++it) {
    std::error_code ec;
    const fs::path path = fs::absolute(*it, ec).lexically_normal();
    struct stat st {};
    // A folder stands for its contents; anything else is a file name or a mask.
    const bool folder = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    zip.FileSpec.push_back(folder ? (path / "*").string() : path.string());
  }
  const auto [status, stored] = run.Run();
  notices.Print(err, args.Has("-v"));
  if (status == kExitFatal) return status;
  if (stored > 0) out << stored << (stored == 1 ? " file" : " files") << " stored\n";
  return status == kExitOk && notices.Unmatched() ? kExitWarning : status;
}

int RunDelete(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() < 2) {
    err << "vorelkit-cli delete: name an archive and the entries to delete\n";
    return kExitUsage;
  }
  const std::unique_ptr<qel::TCompBase> writer =
      ArchiveWriter(args, args.positional[0], false, err);
  if (!writer) return kExitUsage;
  qel::TCompBase& zip = *writer;
  WriterRun run(zip, err);
  zip.SetArchiveFile(args.positional[0]);
  zip.Switch = qel::TSwitch::swDelete;
  zip.FileSpec.assign(args.positional.begin() + 1, args.positional.end());
  std::vector<std::string> deleted;
  zip.OnDeleteFile = [&](qel::TZipCommon&, const std::string& name, int, int) {
    deleted.push_back(name);
  };
  const int status = run.Run().first;
  // Said only once the archive without them was committed.
  if (status == kExitOk)
    for (const std::string& name : deleted) out << "deleted " << name << "\n";
  return status == kExitOk && deleted.empty() ? kExitWarning : status;
}

int RunComment(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty() || args.positional.size() > 2) {
    err << "vorelkit-cli comment: name an archive and, to set it, the comment\n";
    return kExitUsage;
  }
  qel::TZip zip;
  EngineReport report(err);
  report.Attach(zip);
  zip.SetArchiveFile(args.positional[0]);
  if (zip.BeginCommentEdit() < 0) return kExitFatal;
  if (args.positional.size() == 1) {
    out << zip.ArchiveComment;
    if (!zip.ArchiveComment.empty() && zip.ArchiveComment.back() != '\n') out << "\n";
    zip.EndCommentEdit(false);
    return kExitOk;
  }
  zip.ArchiveComment = args.positional[1];
  zip.ArchiveCommentChanged = true;
  return zip.EndCommentEdit(true) ? kExitOk : kExitFatal;
}

}  // namespace

Command CommentCommand() {
  return {"comment",
          "show or set the comment of an archive",
          "vorelkit-cli comment ARCHIVE [TEXT]",
          "Prints the archive comment of ARCHIVE, or replaces it with TEXT (an empty TEXT\n"
          "removes it). Nothing but the comment changes.\n\n"
          "Exit status: 0 on success, 2 when the archive cannot be read or written, 7 for a\n"
          "usage error.",
          {},
          RunComment};
}

Command AddCommand() {
  return {"add",
          "add files to an archive, creating it when missing",
          "vorelkit-cli add ARCHIVE [-r] [-x MASK]... [--level store|fast|normal|max] "
          "[-p PASSWORD [--encryption zipcrypto|aes128|aes192|aes256]] "
          "[--update|--freshen|--move] [--paths relative|none|absolute] [--comment TEXT] "
          "[--type TYPE] [--method METHOD] [--lzx-window 15-21] [--threads N] [-v] PATH...",
          "Stores the files named (a folder stands for the files in it, and with -r for\n"
          "everything below it) in ARCHIVE: a ZIP, or the type its extension names (JAR,\n"
          "LHA/LZH, TAR, .tar.gz/.tgz, .tar.bz2/.tbz, CAB, BH) or --type chooses. A .gz or .bz2\n"
          "holds one file, which adding replaces; a cabinet is only ever made whole.\n"
          "Names are stored relative to the current folder; a file outside it keeps the\n"
          "part of its path after the \"..\" that leads out. An entry of the same name is\n"
          "replaced; with --update only by a newer file; --freshen only replaces entries\n"
          "and adds nothing; --move deletes the files once the archive holds them, and\n"
          "the folders it emptied (never the current folder, nor the folder of a mask\n"
          "such as logs/*.log).\n"
          "Symbolic links, special files and hidden folders are left out, and said so\n"
          "with a count (-v lists them). An existing ARCHIVE keeps the type it holds; a\n"
          "name of a type not written (w.7z) is refused unless --type names one.\n\n"
          "Exit status: 0 when everything was stored, 1 when a file could not be stored, a\n"
          "name matched no file or there was nothing to do, 2 when the archive cannot be\n"
          "used or is read-only and was not written, 7 for a usage error, 255 when\n"
          "cancelled (Ctrl+C). A file that changes while it is read is left out; the\n"
          "others are stored. The archive is replaced only at the end, and \"N files\n"
          "stored\" is printed only once it was.",
          {{"-r", false, "recurse into folders"},
           {"-x", true, "leave out files matching this mask (may be repeated)"},
           {"--level", true, "store, fast, normal or max (default: normal)"},
           {"-p", true, "encrypt with this password"},
           {"--encryption", true, "zipcrypto, aes128, aes192 or aes256 (default: aes256)"},
           {"--update", false, "replace entries only by newer files"},
           {"--freshen", false, "only replace entries that have a newer file"},
           {"--move", false, "delete the files once stored"},
           {"--paths", true, "relative, none or absolute (default: relative)"},
           {"--comment", true, "the archive comment"},
           {"--type", true,
            "zip, jar, lha, tar, tgz, tbz, gz, bz2, cab or bh: write that type whatever ARCHIVE's "
            "name says"},
           {"--method", true,
            "store, deflate, bzip2, ppmd (zip, jar; --level chooses too), lh5 or lh6 (lha; "
            "default lh6), mszip, lzx or quantum (cab; default mszip), fuse (bh, as are store, "
            "deflate and bzip2; default deflate)"},
           {"--lzx-window", true, "the LZX window of a cabinet, 15 to 21 bits (default: 21)"},
           kThreadsOption,
           {"-v", false, "list what was left out"}},
          RunAdd};
}

Command DeleteCommand() {
  return {"delete",
          "delete entries from an archive",
          "vorelkit-cli delete ARCHIVE MASK...",
          "Removes the entries matching the masks from ARCHIVE.\n\n"
          "Exit status: 0 when entries were deleted, 1 when none matched, 2 when the\n"
          "archive cannot be used, 7 for a usage error, 255 when cancelled.",
          {},
          RunDelete};
}

}  // namespace vk::cli
