#include "formats/zip/ZipSfx.h"

#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileCopy.h"
#include "engine/streams/FileStream32.h"
#include "formats/zip/SfxJoin.h"
#include "formats/zip/SfxOutput.h"

namespace qel {

namespace fs = std::filesystem;

WideString TZipSFX::StubFile() const {
  const WideString name = "DZSFX" + SFXLanguage + ".bin";
  std::error_code ec;
  if (SFXPath.empty()) return ProgramFolder() + name;
  if (fs::is_directory(SFXPath, ec)) return WithTrailingSlash(SFXPath) + name;
  return SFXPath;
}

bool TZipSFX::Execute() {
  return RunOperation([&] {
    std::error_code ec;
    if (SourceFile.empty() || !fs::is_regular_file(SourceFile, ec))
      ReportAndRaise(SourceFile, msg::FileNotFound, "", "");
    SetArchiveFile(SourceFile);
    if (ArcType() != atZip && ArcType() != atJar)
      ReportAndRaise(SourceFile, msg::UnsupportedArchiveType, "", "");
    if (SameFile(SourceFile, TargetFile)) ReportAndRaise(TargetFile, msg::SameInputOutput, "", "");
    const std::optional<std::vector<uint8_t>> block = Settings.Serialize();
    if (!block)
      ReportAndRaise(TargetFile, msg::InvalidFileName, "a text is longer than 255 bytes", "");
    const WideString stubFile = StubFile();
    std::unique_ptr<TFileStream32> stub = TFileStream32::Open(stubFile, fmOpenRead);
    if (!stub) ReportAndRaise(stubFile, msg::FileNotFound, "", "");
    std::unique_ptr<TFileStream32> source = TFileStream32::Open(SourceFile, fmOpenRead);
    if (!source) ReportAndRaise(SourceFile, msg::ErrorOpeningFile, "", "");
    if (!ApproveReplace(TargetFile)) ReportAndRaise(TargetFile, msg::UserCanceled, "", "");

    std::unique_ptr<TTempFileStream> out = BeginOutput(*this, TargetFile);
    if (!CopyFileBytes(stub->Handle(), 0, out->Handle(), stub->Size()) ||
        !out->WriteFully(block->data(), int64_t(block->size())))
      ReportAndRaise(TargetFile, msg::ErrorWritingFile, "", "");
    AppendShiftedZip(*this, *source, *out, out->Handle(), false);
    CommitOutput(*this, *out, TargetFile, true);
  });
}

}  // namespace qel
