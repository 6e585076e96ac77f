#include "formats/zip/UnSfx.h"

#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileCopy.h"
#include "engine/streams/FileStream32.h"
#include "formats/zip/DirectoryCopy.h"
#include "formats/zip/EntryCopy.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/SfxOutput.h"
#include "formats/zip/ZipTail.h"

namespace qel {

namespace fs = std::filesystem;

const char* TUnSfx::ArchiveExtension(TArcType type) {
  switch (type) {
    case atAceExe:
      return ".ace";
    case atArcExe:
      return ".arc";
    case atArjExe:
      return ".arj";
    case atBhExe:
      return ".bh";
    case atLhaExe:
      return ".lha";
    case atLzhExe:
      return ".lzh";
    case atPakExe:
      return ".pak";
    case atRarExe:
      return ".rar";
    case atZipExe:
      return ".zip";
    default:
      return "";
  }
}

void TUnSfx::SetArchiveFile(const WideString& name) {
  TZipCommon::SetArchiveFile(name);
  const std::string ext = ArchiveExtension(ArcType());
  if (ext.empty()) {
    FOutFilename.clear();
    if (!ArchiveFile().empty()) DoError(name, "", msg::UnsupportedArchiveType, "");
    return;
  }
  FOutFilename = fs::path(name).replace_extension(ext).string();
}

void TUnSfx::SetOutFilename(const WideString& name) {
  if (fs::path(name).has_parent_path() || ArchiveFile().empty()) {
    FOutFilename = name;
    return;
  }
  FOutFilename = (fs::path(ArchiveFile()).parent_path() / name).string();
}

bool TUnSfx::Convert() {
  return RunOperation([&] {
    using namespace zip;
    const WideString& sfx = ArchiveFile();
    std::error_code ec;
    if (sfx.empty() || !fs::is_regular_file(sfx, ec))
      ReportAndRaise(sfx, msg::FileNotFound, "", "");
    if (FOutFilename.empty() || *ArchiveExtension(ArcType()) == 0)
      ReportAndRaise(sfx, msg::UnsupportedArchiveType, "", "");
    if (SameFile(sfx, FOutFilename)) ReportAndRaise(FOutFilename, msg::SameInputOutput, "", "");
    if (OnFileExists && !ApproveReplace(FOutFilename))
      ReportAndRaise(FOutFilename, msg::UserCanceled, "", "");
    std::unique_ptr<TFileStream32> source = TFileStream32::Open(sfx, fmOpenRead);
    if (!source) ReportAndRaise(sfx, msg::ErrorOpeningFile, "", "");
    std::unique_ptr<TTempFileStream> out = BeginOutput(*this, FOutFilename);

    if (ArcType() != atZipExe) {
      const int64_t start = HeaderOffset();
      if (start <= 0 || start >= source->Size()) ReportAndRaise(sfx, msg::BadFileHeader, "", "");
      if (!CopyFileBytes(source->Handle(), start, out->Handle(), source->Size() - start))
        ReportAndRaise(FOutFilename, msg::ErrorWritingFile, "", "");
    } else {
      const TCentralDirLocation& tail = ZipTail(*this);
      const TReadAt readAt = [&source](int64_t at, uint8_t* data, int64_t n) {
        return source->ReadExactAt(at, data, n);
      };
      std::optional<std::vector<TDirEntry>> entries;
      if (tail.EndPosition >= 0 && !tail.DirectoryOnEarlierDisk())
        entries =
            ReadDirectory(readAt, source->Size(), int64_t(tail.CentralOffset()) + OffsetAdjust(),
                          tail.CentralSize(), tail.TotalEntries(), ComponentHeaderDecipher(*this));
      if (!entries) ReportAndRaise(sfx, msg::BadFileHeader, "", "");
      TEntryCopy copy(*this, readAt, source->Size(), [&source](int64_t pos, int fd, int64_t n) {
        return CopyFileBytes(source->Handle(), pos, fd, n);
      });
      for (const TDirEntry& e : *entries)
        copy.Copy(e, int64_t(e.LocalOffset) + OffsetAdjust(), *out, out->Handle());
      if (!copy.Finish(*out, tail.Comment, tail.EndEnciphered ? &SeedHeaderKeys : nullptr))
        ReportAndRaise(FOutFilename, msg::ErrorWritingFile, "", "");
    }
    CommitOutput(*this, *out, FOutFilename, false);
  });
}

}  // namespace qel
