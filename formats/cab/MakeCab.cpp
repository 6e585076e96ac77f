#include "formats/cab/MakeCab.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "codecs/deflate/DeflateLevel.h"
#include "engine/base/DateTime.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/TempStreams.h"
#include "formats/cab/CabDecoder.h"
#include "formats/cab/CabinetWriter.h"

namespace qel {

using namespace cab;

namespace {

constexpr int64_t kReadPiece = int64_t(1) << 18;
// The DOS attributes a cabinet keeps: read-only, hidden, system, archive.
constexpr uint16_t kKeptAttributes = 0x27;

}  // namespace

TMakeCab::TMakeCab() : TCabInterface(".cab") {
  ForceArcType(atCab);
  InitCompressMethod(TCompressMethod::cmMsZip);
}

TMakeCab::~TMakeCab() = default;

bool TMakeCab::AcceptsMethod(TCompressMethod method) const {
  using enum TCompressMethod;
  return method == cmStore || method == cmMsZip || method == cmLzx || method == cmQuantum;
}

bool TMakeCab::ReadDirectory(TStream64&, TCompList&) {
  // A cabinet is only ever written whole.
  DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, "");
  return false;
}

void TMakeCab::WriteEntries(TStream64* archive, TStream64&, TCompList& list) {
  if (archive) ReportAndRaise(ArchiveFile(), msg::UnsupportedArchiveType, "", "");
  if (!DecoderPresent()) ReportAndRaise(ArchiveFile(), msg::CabinetLibraryNotFound, "", "");
  FSpool = TTempFileStream::Create(TempDir());
  if (!FSpool)
    ReportAndRaise(TempDir(), errno == ENOSPC ? msg::DiskFull : msg::ErrorCreatingFile, "", "");
  FWriter = std::make_unique<TCabinetWriter>(*FSpool, DeflateLevel(int(DeflateType)));
  try {
    WriteInOrder(
        list, false, [&](size_t at, int index) { return AddFile(list[at], index, list); },
        [](const TCompEntry&) {});
  } catch (...) {
    // The scratch file may be large: it goes with the operation.
    Release();
    throw;
  }
}

void TMakeCab::WriteDirectory(TStream64& out, const TCompList&) {
  const bool written = FWriter && FWriter->Finish(out);
  const int error = errno;
  Release();
  if (!written) WriteFailed(error);
}

void TMakeCab::Release() {
  FWriter.reset();
  FSpool.reset();
}

void TMakeCab::WriteFailed(int error) {
  if (error == ENOSPC) ReportAndRaise(ArchiveFile(), msg::DiskFull, "", "");
  ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "a cabinet holds at most 4 GiB", "");
}

bool TMakeCab::AddFile(TCompEntry& e, int index, const TCompList& list) {
  FileName = e.StoredName;
  if (!BeginFile(index) || !ChooseName(e, list)) return false;
  // A cabinet holds files; their folders come with their names.
  if (e.IsFolder) return false;
  std::unique_ptr<TFileStream32> source;
  if (!OpenSource(e, source)) return false;
  const int64_t size = source ? source->Size() : 0;
  TCabFile file;
  file.Name = e.StoredName;
  std::replace(file.Name.begin(), file.Name.end(), '/', '\\');
  file.Size = uint64_t(size);
  const uint32_t dos = UnixToDosDateTime(EntryTimeOf(e));
  file.Date = uint16_t(dos >> 16);
  file.Time = uint16_t(dos);
  file.Attributes = uint16_t(e.Attr) & kKeptAttributes;
  const char* refusal = file.Name.size() > kMaxNameBytes ? "its name is longer than a cabinet holds"
                        : file.Size > kMaxFolderBytes    ? "larger than a cabinet holds"
                                                         : nullptr;
  if (refusal || !FWriter->BeginFile(file, CompressionWord())) {
    DoError(e.SourcePath, refusal ? refusal : "the cabinet holds no more files", msg::SkippedFile,
            "");
    return false;
  }
  FileBytesLeft = size;
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadPiece]);
  int64_t left = size;
  while (source && left > 0) {
    if (Cancel()) throw ECancelled();
    const int64_t got = ReadSource(*source, buffer.get(), std::min(left, kReadPiece));
    if (got <= 0) break;
    left -= got;
    if (!FWriter->Write({buffer.get(), size_t(got)})) WriteFailed(errno);
    ReportProgress(size, size - FileBytesLeft, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
  }
  FWriter->EndFile();
  // The record holds what was read, so the cabinet stays whole; but a file that shrank or
  // grew meanwhile is not stored as it is, and a move keeps it.
  const bool changed = left != 0 || (source && ReadSource(*source, buffer.get(), 1) > 0);
  if (changed) {
    DoError(e.SourcePath, "changed while it was read", msg::FileSizeDifferent, "");
    e.SourcePath.clear();
  }
  if (OnEnd) OnEnd(*this, FileName, !changed);
  return true;
}

}  // namespace qel
