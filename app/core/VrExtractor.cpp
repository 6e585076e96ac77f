#include "app/core/VrExtractor.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "app/core/Readers.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/extract/DecompressClass.h"

namespace vk::app {
namespace {

namespace fs = std::filesystem;

// The types extracted entry by entry from here; a split ZIP set is extracted whole by the
// reader commands.
constexpr qel::TArcType kExtracted[] = {qel::atZip, qel::atZipExe, qel::atJar};

}  // namespace

TVrExtractor::TVrExtractor() = default;
TVrExtractor::~TVrExtractor() = default;

bool TVrExtractor::HasReader(qel::TArcType type) {
  return std::find(std::begin(kExtracted), std::end(kExtracted), type) != std::end(kExtracted);
}

void TVrExtractor::Connect(qel::TDecompressClass& reader, TExtractResult& result) {
  reader.OnActivate = OnExtractActivate;
  reader.OnDeactivate = OnExtractDeactivate;
  reader.OnBegin = OnExtractbegin;
  reader.OnProgress = OnExtractProgress;
  reader.OnFileExists = OnExtractFileExists;
  reader.OnEnd = [this, &result](qel::TZipCommon& sender, const std::string& file, bool pass) {
    if (pass) ++result.Extracted;
    if (OnExtractEnd) OnExtractEnd(sender, file, pass);
  };
  reader.OnError = [this, &result](qel::TZipCommon& sender, const std::string& file,
                                   const std::string& ext, const std::string& volume, int code) {
    result.Errors = true;
    if (OnError) OnError(sender, file, ext, volume, code);
  };
  // The reader tries every one of Passwords before it asks; without a handler of the
  // application's the answer is "stop", so an entry none of them opens fails at once.
  reader.OnGetPassword = [this](qel::TZipCommon& sender, const std::string& file,
                                std::string& password, qel::TSeedKeyRecord& headerKeys,
                                qel::TSeedKeyRecord& dataKeys, bool& tryAgain) {
    if (OnGetPassword)
      OnGetPassword(sender, file, password, headerKeys, dataKeys, tryAgain);
    else
      tryAgain = false;
  };
}

TExtractResult TVrExtractor::Extract() {
  TExtractResult result;
  if (!HasReader(ArcType)) {
    result.Status = TExtractStatus::NoReader;
    return result;
  }
  std::unique_ptr<qel::TDecompressClass> reader = OpenReader(
      ArcType, ArchiveFile, [this, &result](qel::TDecompressClass& r) { Connect(r, result); });
  if (!reader || !ReadsListedType(*reader, ArcType) || !HasReader(reader->ArcType())) {
    result.Status = TExtractStatus::CannotOpen;
    return result;
  }
  // The reader would fall back to the current folder; files belong where they were sent.
  if (!InitialDir.empty()) {
    std::error_code ec;
    fs::create_directories(InitialDir, ec);
    if (!fs::is_directory(InitialDir, ec)) {
      result.Status = TExtractStatus::NoDestination;
      return result;
    }
  }
  reader->SetExtractDir(InitialDir);
  reader->FileSpec = FileSpec;
  reader->Passwords = Passwords;
  reader->UseStoredDirs = UseStoredDirs;
  reader->RecurseDirs = RecurseDirs;
  reader->CreateStoredDirs = true;
  reader->ConfirmOverwrites = bool(OnExtractFileExists);
  if (Prompts) {
    Prompts->AttachReader(*reader);
    reader->ConfirmOverwrites = true;
  }
  reader->Extract();
  return result;
}

}  // namespace vk::app
