#include "engine/convert/Vorel2Arc.h"

#include <algorithm>
#include <filesystem>

#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/compress/CompBase.h"
#include "engine/detect/ArchiveExts.h"
#include "engine/extract/DecompressClass.h"
#include "engine/extract/ZipCheck.h"
#include "engine/registry/Formats.h"
#include "engine/streams/TempCommit.h"
#include "engine/text/Utf8.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

bool EndsWithNoCase(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text::AsciiLower(text.substr(text.size() - end.size())) == text::AsciiLower(end);
}

// A private folder for one conversion, below the program's own temporary folder, removed
// with everything in it when the conversion ends (links in it are removed, never followed).
class TWorkFolder {
 public:
  TWorkFolder() {
    std::string pattern = SystemTempFolder() + "ARCConvert_XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TWorkFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const TFormatWriter* TVorel2Arc::Target(int order) {
  for (const TFormatWriter* w : ConversionTargets())
    if (w->Conversion->Order == order) return w;
  return nullptr;
}

const TFormatWriter* TVorel2Arc::TargetNamed(const std::string& name) {
  for (const TFormatWriter* w : ConversionTargets())
    if (text::AsciiLower(name) == std::string(w->Conversion->Extension).substr(1)) return w;
  // Another extension of a target's type ("lzh" for "lha").
  const TFormatWriter* w = WriterOf(ArcTypeOfName("x." + name));
  return w && w->Conversion ? w : nullptr;
}

WideString TVorel2Arc::ConvertedName(const WideString& input, const std::string& extension) {
  if (EndsWithNoCase(input, extension)) return input;
  fs::path path(input);
  std::string name = path.filename().string();
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (EndsWithNoCase(name, ".tar")) name.erase(name.size() - 4);
  return (path.parent_path() / (name + extension)).string();
}

void TVorel2Arc::Relay(TZipCommon& w) {
  w.Threads = Threads;
  w.OnError = [this](TZipCommon&, const WideString& file, const WideString& ext,
                     const WideString& volume, int code) {
    if (OnError) OnError(*this, file, ext, volume, code);
  };
  w.OnProgress = [this](TZipCommon& sender, uint8_t byFile, uint8_t byArchive) {
    if (OnProgress) OnProgress(*this, byFile, byArchive);
    if (Cancel() && !sender.Cancel()) sender.SetCancel(true);
  };
  if (OnGetPassword)
    w.OnGetPassword = [this](TZipCommon&, const WideString& file, AnsiString& password,
                             TSeedKeyRecord& headerKeys, TSeedKeyRecord& dataKeys, bool& tryAgain) {
      OnGetPassword(*this, file, password, headerKeys, dataKeys, tryAgain);
    };
  if (OnNextVolume)
    w.OnNextVolume = [this](TZipCommon&, WideString& name, int volume, bool exists, bool& cancel) {
      OnNextVolume(*this, name, volume, exists, cancel);
    };
  if (OnCorruptZipHeader)
    w.OnCorruptZipHeader = [this](TZipCommon&, THeaderTypeState flags, bool& cancel) {
      OnCorruptZipHeader(*this, flags, cancel);
    };
}

bool TVorel2Arc::Extract(const std::string& folder) {
  const TMakeReader make = ReaderFor(ArcType());
  if (!make) ReportAndRaise(ArchiveFile(), msg::UnsupportedArchiveType, "", "");
  std::unique_ptr<TDecompressClass> reader = make();
  Relay(*reader);
  reader->SetPassword(Password());
  reader->Passwords = Passwords;
  reader->PasswordAttempts = 3;
  reader->SetArchiveFile(ArchiveFile());
  if (!reader->SetExtractDir(folder)) return false;
  reader->CreateStoredDirs = reader->UseStoredDirs = true;
  reader->ConfirmOverwrites = false;
  reader->OverwriteMode = TOverwriteMode::omOverwrite;
  // A compressed TAR is converted as the TAR it holds, member by member.
  reader->OnNestedTarFile = [](TZipCommon&, const WideString&, bool& members) { members = true; };
  int failed = 0;
  reader->OnEnd = [&failed](TZipCommon&, const WideString&, bool pass) { failed += !pass; };
  reader->Extract();
  // What the reader found to fit: the answers given, then the candidates.
  Passwords = reader->Passwords;
  if (!reader->Password().empty() &&
      std::find(Passwords.begin(), Passwords.end(), reader->Password()) == Passwords.end())
    Passwords.insert(Passwords.begin(), reader->Password());
  if (reader->Cancel()) SetCancel(true);
  // An entry that could not be extracted would be missing from the new archive.
  return failed == 0 && !reader->Cancel();
}

std::string TVorel2Arc::Recompress(const TFormatWriter& target, const std::string& folder) {
  std::unique_ptr<TCompBase> writer = target.Make();
  Relay(*writer);
  writer->SetArchiveFile(folder + "/new" + target.Conversion->Extension);
  writer->SetTempDir(folder);
  writer->SetCompressMethod(target.Conversion->Method);
  writer->FileSpec = {FWorkFolder + "/*"};
  writer->RecurseDirs = true;
  writer->StoredDirNames = TStoredDirNames::sdRelative;
  writer->StoreEmptySubDirs = true;
  // Everything extracted goes back in: hidden files and folders too.
  writer->IncludeHiddenDirs = true;
  writer->Attributes = {TqelFileAttribute::fsZeroAttr, TqelFileAttribute::fsReadOnly,
                        TqelFileAttribute::fsHidden,   TqelFileAttribute::fsSysFile,
                        TqelFileAttribute::fsArchive,  TqelFileAttribute::fsCompressed,
                        TqelFileAttribute::fsEncrypted};
  if (!Passwords.empty()) {
    writer->SetPassword(Passwords.front());
    writer->EncryptionMethod = NewEncryption;
  }
  writer->Compress();
  if (writer->Cancel()) SetCancel(true);
  std::error_code ec;
  return !writer->Cancel() && fs::is_regular_file(writer->ArchiveFile(), ec) ? writer->ArchiveFile()
                                                                             : std::string();
}

void TVorel2Arc::Check() {
  TZipCheck check;
  Relay(check);
  check.SetArchiveFile(NewArchiveFile);
  if (!TZipCheck::CanTest(check.ArcType())) return;
  if (OnIntegrityCheckBegin) OnIntegrityCheckBegin(*this);
  check.Passwords = Passwords;
  if (!Passwords.empty()) check.SetPassword(Passwords.front());
  check.OnStatus = [this](TZipCommon&, const WideString& file, bool pass) {
    if (OnIntegrityStatus) OnIntegrityStatus(*this, file, pass);
  };
  check.Test();
}

bool TVorel2Arc::Convert() {
  bool converted = false;
  RunOperation([&] {
    const TFormatWriter* target = Target(OutputType);
    if (!target) ReportAndRaise(NewArchiveFile, msg::UnsupportedArchiveType, "", "");
    if (ArchiveFile().empty() || !ReaderFor(ArcType()))
      ReportAndRaise(ArchiveFile(), msg::UnsupportedArchiveType, "", "");
    if (NewArchiveFile.empty()) ReportAndRaise(ArchiveFile(), msg::NothingToDo, "", "");
    if (SameFile(ArchiveFile(), NewArchiveFile))
      ReportAndRaise(NewArchiveFile, msg::SameInputOutput, "", "");
    if (!ApproveReplace(NewArchiveFile)) ReportAndRaise(NewArchiveFile, msg::UserCanceled, "", "");

    TWorkFolder work;
    if (work.Path().empty()) ReportAndRaise(SystemTempFolder(), msg::ErrorCreatingDir, "", "");
    FWorkFolder = work.Path() + "/files";
    std::error_code ec;
    fs::create_directory(FWorkFolder, ec);
    if (OnExtractBegin) OnExtractBegin(*this);
    const bool extracted = Extract(FWorkFolder);
    if (Cancel()) ReportAndRaise(ArchiveFile(), msg::UserCanceled, "", "");
    if (!extracted) return;
    // The writers make no archive of nothing.
    if (fs::is_empty(FWorkFolder, ec)) ReportAndRaise(ArchiveFile(), msg::NothingToDo, "", "");
    if (OnRecompressBegin) OnRecompressBegin(*this);
    const std::string made = Recompress(*target, work.Path());
    if (Cancel()) ReportAndRaise(NewArchiveFile, msg::UserCanceled, "", "");
    if (made.empty()) return;
    if (!CommitFile(made, NewArchiveFile))
      ReportAndRaise(NewArchiveFile, msg::ErrorWritingFile, "", "");
    if (IntegrityCheck) Check();
    converted = true;
  });
  FWorkFolder.clear();
  return converted;
}

}  // namespace qel
