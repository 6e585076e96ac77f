#include "formats/zip/MakeSfx.h"

#include <sys/stat.h>

#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileCopy.h"
#include "engine/streams/FileStream32.h"
#include "engine/text/Utf8.h"
#include "formats/zip/SfxJoin.h"
#include "formats/zip/SfxOutput.h"

namespace qel {

namespace fs = std::filesystem;

std::unique_ptr<TMakeSFX> TMakeSFX::For(TArcType type) {
  return type == at7Zip ? std::make_unique<TSevenZipSFX>() : std::make_unique<TMakeSFX>();
}

std::string TMakeSFX::StubKind(TArcType type) {
  switch (type) {
    case atAce:
      return "Ace";
    case atArj:
      return "Arj";
    case atBh:
      return "Bh";
    case atJar:
      return "Jar";
    case atLha:
    case atLzh:
      return "Lha";
    case atRar:
      return "Rar";
    case atZip:
      return "Zip";
    default:
      return "";
  }
}

WideString TMakeSFX::DefaultTarget(const WideString& archive) {
  fs::path path(archive);
  path.replace_extension(".exe");
  return (path.parent_path() / text::AsciiLower(path.filename().string())).string();
}

WideString TMakeSFX::StubFile(const WideString& stubDir, const std::string& kind) {
  std::error_code ec;
  const WideString folder = !stubDir.empty() && fs::is_directory(stubDir, ec)
                                ? WithTrailingSlash(stubDir)
                                : ProgramFolder() + "SFXS/";
  return folder + "Vorel" + kind + ".dat";
}

bool TMakeSFX::Execute() {
  return RunOperation([&] {
    const WideString& archive = ArchiveFile();
    std::error_code ec;
    if (archive.empty() || !fs::is_regular_file(archive, ec))
      ReportAndRaise(archive, msg::FileNotFound, "", "");
    const WideString target = TargetFile.empty() ? DefaultTarget(archive) : TargetFile;
    if (SameFile(archive, target)) ReportAndRaise(target, msg::SameInputOutput, "", "");
    if (!ApproveReplace(target)) ReportAndRaise(target, msg::UserCanceled, "", "");
    const std::string kind = Kind();
    if (kind.empty()) ReportAndRaise(archive, msg::UnsupportedArchiveType, "", "");
    const WideString stubFile = StubFile(SfxStubDir, kind);
    std::unique_ptr<TFileStream32> stub = TFileStream32::Open(stubFile, fmOpenRead);
    if (!stub) ReportAndRaise(stubFile, msg::FileNotFound, "", "");
    std::unique_ptr<TFileStream32> source = TFileStream32::Open(archive, fmOpenRead);
    if (!source) ReportAndRaise(archive, msg::ErrorOpeningFile, "", "");

    std::unique_ptr<TTempFileStream> out = BeginOutput(*this, target);
    if (!CopyFileBytes(stub->Handle(), 0, out->Handle(), stub->Size()))
      ReportAndRaise(target, msg::ErrorWritingFile, "", "");
    if (kind == "Zip" || kind == "Jar")
      AppendShiftedZip(*this, *source, *out, out->Handle(), kind == "Jar");
    else if (!CopyFileBytes(source->Handle(), 0, out->Handle(), source->Size()))
      ReportAndRaise(target, msg::ErrorWritingFile, "", "");
    CommitOutput(*this, *out, target, true);
  });
}

}  // namespace qel
