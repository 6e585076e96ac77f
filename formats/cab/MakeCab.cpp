#include "formats/cab/MakeCab.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "codecs/deflate/DeflateLevel.h"
#include "engine/base/DateTime.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/MemoryStream32.h"
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

uint16_t TCabInterface::CompressionWord() const {
  using enum TCompressMethod;
  switch (CompressMethod()) {
    case cmMsZip:
      return cab::CompressionWord(TCabMethod::MsZip);
    case cmLzx:
      return cab::CompressionWord(TCabMethod::Lzx, LzxLevel());
    case cmQuantum:
      if (QuantumType == TQuantumType::ctLzx)
        return cab::CompressionWord(TCabMethod::Lzx, std::max(QuantumMemory(), 15));
      return cab::CompressionWord(TCabMethod(QuantumType));
    default:
      return cab::CompressionWord(TCabMethod::None);
  }
}

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
  WriteInOrder(
      list, false, [&](size_t at, int index) { return AddFile(list[at], index, list); },
      [](const TCompEntry&) {});
}

void TMakeCab::WriteDirectory(TStream64& out, const TCompList&) {
  // An empty cabinet still gets its header.
  if (!FWriter) {
    FSpool = std::make_unique<TMemoryStream32>();
    FWriter = std::make_unique<TCabinetWriter>(*FSpool, 6);
  }
  const bool written = FWriter->Finish(out);
  FWriter.reset();
  FSpool.reset();
  if (!written)
    ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "more than a cabinet holds (4 GiB)", "");
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
  if (size > int64_t(UINT32_MAX) || !FWriter->BeginFile(file, CompressionWord())) {
    DoError(e.SourcePath, "larger than a cabinet holds", msg::SkippedFile, "");
    return false;
  }
  FileBytesLeft = size;
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadPiece]);
  while (source) {
    if (Cancel()) throw ECancelled();
    const int64_t got = ReadSource(*source, buffer.get(), kReadPiece);
    if (got <= 0) break;
    if (!FWriter->Write({buffer.get(), size_t(got)}))
      ReportAndRaise(TempDir(), errno == ENOSPC ? msg::DiskFull : msg::ErrorWritingFile, "", "");
    ReportProgress(size, size - FileBytesLeft, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
  }
  // The record holds what was read: a file that changed meanwhile is told, and still whole
  // as it was read.
  if (FWriter->EndFile() != uint64_t(size))
    DoError(e.SourcePath, "changed while it was read", msg::FileSizeDifferent, "");
  if (OnEnd) OnEnd(*this, FileName, true);
  return true;
}

}  // namespace qel
