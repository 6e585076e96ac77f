#include "formats/packed/PackedWriter.h"

#include <algorithm>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/parallel/Workers.h"
#include "engine/base/Messages.h"
#include "engine/compress/StoredNames.h"
#include "engine/packed/GzipWriter.h"
#include "engine/packed/PackedNames.h"
#include "engine/streams/FileStream32.h"

namespace qel {

namespace {

constexpr int64_t kPiece = int64_t(1) << 18;

}  // namespace

TPackedWriter::~TPackedWriter() = default;

bool TPackedWriter::ReadDirectory(TStream64& archive, TCompList& list) {
  uint8_t head[4] = {};
  const TPackedKind kind = PackedKindOf(head, archive.ReadAt(0, head, sizeof head));
  TCompEntry e;
  e.State = TEntryState::esKeep;
  e.StoredName = UnpackedName(kind, "", ArchiveFile());
  e.Size = archive.Size();
  list.push_back(std::move(e));
  return true;
}

void TPackedWriter::WriteEntries(TStream64*, TStream64& out, TCompList& list) {
  std::vector<TCompEntry*> files;
  for (TCompEntry& e : list) {
    if (e.State == TEntryState::esCompress && !e.IsFolder) files.push_back(&e);
    // Whatever the file held goes: it holds one file only.
    if (e.State != TEntryState::esCompress || e.IsFolder) e.State = TEntryState::esDrop;
  }
  if (files.empty()) return;
  if (files.size() > 1) {
    DoError(ArchiveFile(), "it holds one file: put several into a TAR archive first",
            msg::UnsupportedArchiveType, "");
    for (TCompEntry* e : files) e->State = TEntryState::esDrop;
    return;
  }
  TCompEntry& e = *files.front();
  FileName = e.StoredName;
  std::unique_ptr<TFileStream32> source;
  if (!BeginFile(1) || !OpenSource(e, source)) {
    e.State = TEntryState::esDrop;
    return;
  }
  FileBytesLeft = source->Size();
  FWorkers = std::make_unique<TWorkers>(WorkerThreads(Threads));
  const bool packed = Pack(*source, out, e);
  FWorkers.reset();
  if (!packed) {
    e.State = TEntryState::esDrop;
    return;
  }
  ++FStored;
  if (OnEnd) OnEnd(*this, FileName, true);
}

bool TPackedWriter::Feed(TFileStream32& source, IByteSink& sink, int64_t size) {
  const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
  int64_t total = 0;
  while (const int64_t n = ReadSource(source, piece.get(), kPiece)) {
    if (Cancel()) throw ECancelled();
    if (sink.Write(piece.get(), n) != n) WriteFailed();
    total += n;
    ReportProgress(size, total, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
  }
  if (total == size) return true;
  DoError(FileName, "changed while it was read", msg::FileSizeDifferent, "");
  return false;
}

void TPackedWriter::WriteFailed() {
  if (Cancel()) throw ECancelled();
  ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
}

TGZip::TGZip() : TPackedWriter(".gz") {
  ForceArcType(atGZip);
  InitCompressMethod(TCompressMethod::cmDeflate);
}

bool TGZip::AcceptsMethod(TCompressMethod method) const {
  return method == TCompressMethod::cmDeflate;
}

bool TGZip::Pack(TFileStream32& source, TStream64& out, const TCompEntry& e) {
  TGzipWriter gzip(out, NamePart(e.StoredName), uint32_t(EntryTimeOf(e)), int(DeflateType),
                   FWorkers.get());
  if (!Feed(source, gzip, source.Size())) return false;
  if (!gzip.Finish()) WriteFailed();
  return true;
}

TBZip::TBZip() : TPackedWriter(".bz2") {
  ForceArcType(atBz2);
  InitCompressMethod(TCompressMethod::cmBz2);
}

bool TBZip::AcceptsMethod(TCompressMethod method) const { return method == TCompressMethod::cmBz2; }

bool TBZip::Pack(TFileStream32& source, TStream64& out, const TCompEntry&) {
  try {
    TBZCompressStream bzip2(out, std::clamp(CompressLevel, 1, 9));
    if (!Feed(source, bzip2, source.Size())) return false;
    if (!bzip2.Finish()) WriteFailed();
    return true;
  } catch (const Ebz2Error& error) {
    ReportAndRaise(FileName, msg::UnknownError, error.what(), "");
  }
}

}  // namespace qel
