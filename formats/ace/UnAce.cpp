#include "formats/ace/UnAce.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/base/DateTime.h"
#include "engine/base/Libraries.h"
#include "engine/base/Messages.h"
#include "engine/text/EntryNames.h"
#include "engine/volumes/VolumeNames.h"
#include "formats/ace/AceHeader.h"

namespace qel {

using namespace unace;

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kMaxArchiveTestBytes = 0x1FFFF;
constexpr uint32_t kMaxFileBufSize = 0x2FFFF;
constexpr size_t kCommentBuffer = 8191;
constexpr uint32_t kDosReadOnly = 0x01;

// Copies `text` into a fixed buffer, cut to fit; false when it had to be cut.
template <size_t N>
bool CopyTo(char (&buffer)[N], const std::string& text) {
  const size_t n = std::min(text.size(), N - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n == text.size();
}

TUnACE& OwnerOf(tACECallbackData* data) { return *static_cast<TUnACE*>(data->Owner); }

// Nothing may unwind through the library: a failure in a callback is a cancel.
template <class F>
int Guarded(F&& f) {
  try {
    return f();
  } catch (...) {
    return ACE_CALLBACK_RETURN_CANCEL;
  }
}

// Sets the time and, unless `keepWritable`, the read-only bit of a file the library wrote,
// without following a link at its name.
void SetFileFacts(const std::string& path, int64_t unixTime, bool readOnly) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  const timespec times[2] = {{time_t(unixTime), 0}, {time_t(unixTime), 0}};
  ::futimens(fd, times);
  struct stat st {};
  if (readOnly && ::fstat(fd, &st) == 0) ::fchmod(fd, st.st_mode & ~mode_t(0222));
  ::close(fd);
}

}  // namespace

TUnACE::TUnACE() = default;
TUnACE::~TUnACE() = default;

std::string TUnACE::FileList() const {
  if (FileSpec.empty()) return "*";
  std::string list;
  for (const std::string& mask : FileSpec) list += mask + '\r';
  return list;
}

bool TUnACE::Scan(const WideString& volume, bool makeFolders) {
  std::unique_ptr<TFileStream32> owned;
  TFileStream32* file = ArchiveStream();
  if (volume != ArchiveFile()) {
    owned = TFileStream32::Open(volume, fmOpenRead);
    file = owned.get();
  }
  if (!file) {
    DoError(volume, "", msg::ErrorOpeningFile, "");
    return false;
  }
  const TReadAt read = file->ExactReader();
  const int64_t size = file->Size();
  int64_t pos = ace::ReadAceMain(
      read, size, file == ArchiveStream() ? std::max<int64_t>(HeaderOffset(), 0) : 0);
  if (pos < 0) {
    DoError(volume, "", msg::BadFileHeader, "");
    return false;
  }
  ace::TAceFile f;
  for (THeaderRead r; (r = ace::ReadAceFile(read, size, pos, f)) != THeaderRead::End;
       pos = f.Next) {
    if (r == THeaderRead::Bad) {
      DoError(volume, "", msg::BadFileHeader, "");
      return false;
    }
    if (f.Directory()) {
      if (!makeFolders || !Selects(f.Name + "/")) continue;
      TUnEntry entry;
      entry.StoredName = f.Name + "/";
      entry.DosDateTime = f.DosTime;
      entry.ExternalAttr = f.Attr & 0xFFFF;
      if (BuildOutputName(entry)) PrepareEntry(true);
    } else if (!f.SplitBefore() && Selects(f.Name)) {
      ++FMatching;
      FArchiveTotal += int64_t(f.Packed);
      NoteEntryDate(f.DosTime);
    }
  }
  return true;
}

void TUnACE::ExtractEntries() {
  const TLibrary library(kLibraryName);
  const auto init = library.Export<ACEInitDllFn>("ACEInitDll");
  const auto test = library.Export<ACETestFn>("ACETest");
  const auto extract = library.Export<ACEExtractFn>("ACEExtract");
  if (!init || !test || !extract || !library.Export<ACEReadArchiveDataFn>("ACEReadArchiveData") ||
      !library.Export<ACEListFn>("ACEList")) {
    DoError(ArchiveFile(), "", msg::AceLibraryNotLoaded, "");
    return;
  }
  FVolume = ArchiveFile();
  FVolumeNumber = 1;
  FMatching = 0;
  FArchiveTotal = 0;
  if (!Scan(FVolume, IsDiskMode()) || FMatching == 0) return;
  ArchiveBytesLeft = FArchiveTotal;

  std::vector<char> comment(kCommentBuffer + 1, 0);
  tACEInitDll setup{};
  setup.Owner = this;
  setup.MaxArchiveTestBytes = kMaxArchiveTestBytes;
  setup.MaxFileBufSize = kMaxFileBufSize;
  setup.CommentBuf = comment.data();
  setup.CommentBufSize = kCommentBuffer;
  CopyTo(setup.TempDir, TempDir());
  setup.InfoCallback = &InfoCallback;
  setup.ErrorCallback = &ErrorCallback;
  setup.RequestCallback = &RequestCallback;
  setup.StateCallback = &StateCallback;
  if (init(&setup) != ACE_ERROR_NOERROR) {
    DoError(ArchiveFile(), "ACEInitDll", msg::AceLibraryNotLoaded, "");
    return;
  }
  const std::string list = FileList();
  const tACEFiles files{"", list.c_str(), "", true};
  int result;
  if (IsDiskMode()) {
    tACEExtract x{};
    x.Files = files;
    x.ExcludePath = !UseStoredDirs;
    CopyTo(x.DecryptPassword, Password());
    // The library takes no longer folder: better no extraction than one elsewhere.
    if (!CopyTo(x.DestinationDir, FTargetDir)) {
      DoError(FTargetDir, "", msg::InvalidDirectory, "");
      return;
    }
    result = extract(FVolume.c_str(), &x);
  } else {
    tACETest t{};
    t.Files = files;
    CopyTo(t.DecryptPassword, Password());
    result = test(FVolume.c_str(), &t);
  }
  if (result == ACE_ERROR_NOERROR || result == ACE_ERROR_USER || Cancel()) return;
  const int code = result == ACE_ERROR_OPEN    ? msg::ErrorOpeningFile
                   : result == ACE_ERROR_READ  ? msg::ErrorReadingFile
                   : result == ACE_ERROR_WRITE ? msg::ErrorWritingFile
                                               : msg::UnknownError;
  DoError(FVolume, "ACE " + std::to_string(result), code, "");
}

// ---- Callbacks ----

int TUnACE::InfoCallback(tACECallbackData* data) {
  return OwnerOf(data).Cancel() ? ACE_CALLBACK_RETURN_CANCEL : ACE_CALLBACK_RETURN_OK;
}

int TUnACE::ErrorCallback(tACECallbackData* data) {
  return Guarded([&] {
    TUnACE& self = OwnerOf(data);
    const WideString name =
        data->File && data->File->SourceFileName ? data->File->SourceFileName : self.FVolume;
    self.DoError(name, "ACE error " + std::to_string(data->Code), msg::UnknownError, "");
    return ACE_CALLBACK_RETURN_CANCEL;
  });
}

int TUnACE::RequestCallback(tACECallbackData* data) {
  return Guarded([&] { return OwnerOf(data).Request(*data); });
}

int TUnACE::StateCallback(tACECallbackData* data) {
  return Guarded([&] { return OwnerOf(data).State(*data); });
}

int TUnACE::State(tACECallbackData& data) {
  if (Cancel()) return ACE_CALLBACK_RETURN_CANCEL;
  if (!data.File || !data.File->SourceFileName) return ACE_CALLBACK_RETURN_OK;
  switch (data.Code) {
    case ACE_CALLBACK_STATE_STARTFILE:
      return StartFile(*data.File);
    case ACE_CALLBACK_STATE_ENDFILE:
      if (FActive) EndFile(*data.File);
      FActive = false;
      return Cancel() ? ACE_CALLBACK_RETURN_CANCEL : ACE_CALLBACK_RETURN_OK;
    default:
      return ACE_CALLBACK_RETURN_OK;
  }
}

int TUnACE::StartFile(const tACEFileData& file) {
  FActive = false;
  FPasswordAsks = 0;
  TUnEntry entry;
  entry.StoredName = text::DecodeEntryName(file.SourceFileName, text::TNameCodePage::Oem);
  entry.PackedSize = int64_t(file.CompressedSize);
  entry.UnpackedSize = int64_t(file.Size);
  entry.DosDateTime = file.Time;
  entry.ExternalAttr = file.Attributes & 0xFFFF;
  if (!MatchesSpec(entry.StoredName) || !BuildOutputName(entry)) return ACE_CALLBACK_RETURN_NO;
  // Where the library puts it: where it says, which must be below the target; else the
  // stored name cleaned as every name is, below the target.
  FLibraryOutput = OutputName();
  if (IsDiskMode() && file.TargetFileName) {
    const fs::path target = fs::path(file.TargetFileName).lexically_normal();
    const fs::path below = target.lexically_relative(fs::path(FTargetDir).lexically_normal());
    if (below.empty() || *below.begin() == "..") {
      DoError(entry.StoredName, file.TargetFileName, msg::InvalidFileName, "");
      return ACE_CALLBACK_RETURN_NO;
    }
    FLibraryOutput = target.string();
  }
  // The folders the library will make for it, so that a rename can take them away again.
  FFirstMade.clear();
  for (fs::path f = fs::path(FLibraryOutput).parent_path();
       f.string().size() >= FTargetDir.size() && !fs::exists(f); f = f.parent_path())
    FFirstMade = f.string();
  FOverwrite = PrepareEntry(false);
  if (!FOverwrite) return Cancel() ? ACE_CALLBACK_RETURN_CANCEL : ACE_CALLBACK_RETURN_NO;
  struct stat st {};
  if (IsDiskMode() && OutputName() != FLibraryOutput && ::lstat(FLibraryOutput.c_str(), &st) == 0) {
    // The library writes to the stored name only: it would replace the file kept there.
    DoError(OutputName(), "the file under the stored name is kept", msg::SkippedFile, "");
    PassOver(OutputName());
    return ACE_CALLBACK_RETURN_NO;
  }
  FActive = true;
  return ACE_CALLBACK_RETURN_OK;
}

void TUnACE::EndFile(const tACEFileData& file) {
  const WideString& name = IsDiskMode() ? OutputName() : CurrentEntry().StoredName;
  TakeInput(file.CompressedSize);
  bool ok = file.CRCOk && !Cancel();
  if (IsDiskMode()) {
    std::error_code ec;
    if (!ok) {
      fs::remove(FLibraryOutput, ec);  // a file that failed its check is not left behind
    } else if (OutputName() != FLibraryOutput) {
      // The user chose another name: the library's output moves there, and the folders the
      // library made only for it go.
      fs::create_directories(fs::path(OutputName()).parent_path(), ec);
      fs::rename(FLibraryOutput, OutputName(), ec);
      if (ec) {
        DoError(OutputName(), "", msg::ErrorWritingFile, "");
        ok = false;
      }
      if (!FFirstMade.empty()) {
        for (fs::path f = fs::path(FLibraryOutput).parent_path(); fs::is_empty(f, ec);
             f = f.parent_path()) {
          fs::remove(f, ec);
          if (f == FFirstMade) break;
        }
      }
    }
    if (ok)
      SetFileFacts(OutputName(), CurrentEntryTime(),
                   RestoreFileAttr && (file.Attributes & kDosReadOnly));
  }
  if (ok) {
    if (OnEnd) OnEnd(*this, name, true);
    return;
  }
  if (!OnEnd) DoError(name, "", msg::CrcCheckFailed, "");
  PassOver(name);
}

int TUnACE::Request(tACECallbackData& data) {
  switch (data.Code) {
    case ACE_CALLBACK_REQUEST_CHANGEVOLUME:
      return NextVolume(data);
    case ACE_CALLBACK_REQUEST_OVERWRITE: {
      if (!FActive || !FOverwrite) return ACE_CALLBACK_RETURN_NO;
      // What is there goes first, read-only or not, and a link is removed, not written through.
      struct stat st {};
      if (IsDiskMode() && ::lstat(FLibraryOutput.c_str(), &st) == 0 &&
          (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
        ::unlink(FLibraryOutput.c_str());
      return ACE_CALLBACK_RETURN_OK;
    }
    case ACE_CALLBACK_REQUEST_PASSWORD:
      return AskPassword(data);
    default:
      return ACE_CALLBACK_RETURN_CANCEL;
  }
}

int TUnACE::NextVolume(tACECallbackData& data) {
  if (!OnNextVolume) {
    DoError(FVolume, "OnNextVolume", msg::RequiredEventNotAssigned, "");
    return ACE_CALLBACK_RETURN_CANCEL;
  }
  WideString next = NextLetteredVolume(FVolume, 'c');
  if (!RequestNextVolume(next, ++FVolumeNumber))
    return Cancel() ? ACE_CALLBACK_RETURN_CANCEL : ACE_CALLBACK_RETURN_NO;
  if (!data.Buffer || next.size() >= data.BufferSize) return ACE_CALLBACK_RETURN_CANCEL;
  std::memcpy(data.Buffer, next.c_str(), next.size() + 1);
  FVolume = next;
  return Scan(next, IsDiskMode()) ? ACE_CALLBACK_RETURN_OK : ACE_CALLBACK_RETURN_NO;
}

int TUnACE::AskPassword(tACECallbackData& data) {
  const WideString& name = CurrentEntry().StoredName;
  // Without a password the library passes the file over: so does the count.
  const auto without = [&](int message, int answer) {
    DoError(name, message == msg::RequiredEventNotAssigned ? "OnGetPassword" : "", message, "");
    if (FActive) PassOver(name);
    FActive = false;
    return answer;
  };
  if (!OnGetPassword) return without(msg::RequiredEventNotAssigned, ACE_CALLBACK_RETURN_CANCEL);
  // The library asks again after a wrong one: the attempts count for the whole file.
  while (FPasswordAsks < PasswordAttempts) {
    ++FPasswordAsks;
    AnsiString password;
    TSeedKeyRecord headerKeys = SeedHeaderKeys, dataKeys = SeedDataKeys;
    bool tryAgain = true;
    Timer.Pause();
    OnGetPassword(*this, name, password, headerKeys, dataKeys, tryAgain);
    Timer.Resume();
    if (!tryAgain || Cancel())
      return without(msg::InvalidPassword,
                     Cancel() ? ACE_CALLBACK_RETURN_CANCEL : ACE_CALLBACK_RETURN_NO);
    if (!password.empty() && data.Buffer && password.size() < data.BufferSize) {
      std::memcpy(data.Buffer, password.c_str(), password.size() + 1);
      return ACE_CALLBACK_RETURN_OK;
    }
  }
  return without(msg::PasswordFailed, ACE_CALLBACK_RETURN_NO);
}

}  // namespace qel
