#include "formats/tar/TarWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/parallel/Workers.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/packed/GzipWriter.h"
#include "engine/packed/PackedNames.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/SinkStream.h"
#include "formats/tar/TarHeader.h"
#include "formats/tar/TarNames.h"
#include "formats/tar/TarSource.h"
#include "formats/tar/TarWalker.h"

namespace qel {

using namespace tar;

namespace {

constexpr int64_t kPiece = int64_t(1) << 18;
constexpr int64_t kRecord = 20 * kBlock;  // archives end on a whole record

// The headers of a kept member under a new name: its pax records kept but for its name
// and link, which the new own header (with GNU long-name blocks where needed) carries.
// `headers` are the blocks before the member's data as the walk read them.
std::vector<uint8_t> RenamedMemberHeaders(const std::vector<uint8_t>& headers, const TTarMember& m,
                                          const std::string& newName) {
  std::vector<uint8_t> v;
  for (size_t at = 0; at + kBlock <= headers.size();) {
    const char type = char(headers[at + 156]);
    if (type != 'L' && type != 'K' && type != 'x') break;
    const int64_t size = ReadNumber(&headers[at + 124], 12).value_or(0);
    const size_t data = at + size_t(kBlock);
    if (type == 'x' && data + size_t(size) <= headers.size()) {
      const std::string_view records(reinterpret_cast<const char*>(&headers[data]), size_t(size));
      const std::vector<uint8_t> pax =
          PaxHeadersWithout(&headers[at], records, {"path", "linkpath"});
      v.insert(v.end(), pax.begin(), pax.end());
    }
    at = data + size_t(size + Padding(size));
  }
  const std::vector<uint8_t> own = RenamedHeaders(m, newName);
  v.insert(v.end(), own.begin(), own.end());
  return v;
}

// Keeps a copy of what the walk reads while it reads headers, so that a kept member's
// headers go into the new archive as they stood.
class TRecordingInput : public ISeekableSource {
 public:
  explicit TRecordingInput(ISeekableSource& input) : input_(input) {}
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t n = input_.Read(buffer, count);
    if (recording_ && n > 0) {
      const auto* p = static_cast<const uint8_t*>(buffer);
      recorded_.insert(recorded_.end(), p, p + n);
    }
    return n;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return input_.Seek(offset, origin); }
  int64_t Size() override { return input_.Size(); }

  std::vector<uint8_t> recorded_;
  bool recording_ = true;

 private:
  ISeekableSource& input_;
};

// The TAR as the compressor takes it.
class TPackingStream : public TSinkStream {
 public:
  explicit TPackingStream(IByteSink& packer) : packer_(packer) {}
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t n = packer_.Write(buffer, count);
    written_ += std::max<int64_t>(n, 0);
    return n;
  }

 private:
  IByteSink& packer_;
};

}  // namespace

TTar::TTar() : TTar(".tar", atTar, TCompressMethod::cmTar) {}

TTar::TTar(const char* ext, TArcType type, TCompressMethod method)
    : TCompBase(ext), FOwnMethod(method) {
  ForceArcType(type);
  InitCompressMethod(method);
}

TTar::~TTar() = default;

bool TTar::AcceptsMethod(TCompressMethod method) const { return method == FOwnMethod; }

bool TTar::ReadDirectory(TStream64& archive, TCompList& list) {
  TTarSource source;
  int refusal = 0;
  if (!OpenTarSource(archive, source, refusal, [this] { return Cancel(); })) {
    DoError(ArchiveFile(), "", refusal, "");
    return false;
  }
  TTarWalker walker(*source.Input, source.Size);
  TTarMember m;
  for (;;) {
    if (Cancel()) return false;
    const TTarStep step = walker.Next(m);
    if (step == TTarStep::End) return true;
    if (step == TTarStep::Bad) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      return false;
    }
    // Links, devices and the like stay in the archive as they are.
    TCompEntry e;
    e.State = TEntryState::esKeep;
    e.StoredName = MemberName(m);
    e.IsFolder = m.Kind == TTarKind::Folder;
    e.Size = m.Size;
    e.Time = m.MTime;
    e.Offset = m.Start;
    e.Header.assign(m.Header.begin(), m.Header.end());
    list.push_back(std::move(e));
  }
}

void TTar::WriteEntries(TStream64* archive, TStream64& out, TCompList& list) {
  TTarSource source;
  int refusal = 0;
  if (archive && !OpenTarSource(*archive, source, refusal, [this] { return Cancel(); }))
    ReportAndRaise(ArchiveFile(), refusal, "", "");
  WriteInOrder(
      list, archive != nullptr,
      [&](size_t at, int index) { return AddFile(out, list[at], index, list); },
      [&](const TCompEntry& e) { CopyMember(source, out, e); });
  // Damage only a compressed TAR's own check finds must not pass into the new archive
  // under a new check.
  if (const int fault = PackedFault(source); fault != 0 && !Cancel())
    ReportAndRaise(ArchiveFile(), fault, "the archive is left as it was; repair it first", "");
}

void TTar::WriteDirectory(TStream64& out, const TCompList&) {
  const int64_t end = out.Position() + 2 * kBlock;
  WriteZeros(out, end - out.Position() + (kRecord - end % kRecord) % kRecord);
}

void TTar::WriteZeros(TStream64& out, int64_t count) {
  static const uint8_t kZeros[kBlock] = {};
  for (; count > 0; count -= kBlock) WriteOut(out, kZeros, size_t(std::min(count, kBlock)));
}

void TTar::CopyMember(TTarSource& source, TStream64& out, const TCompEntry& e) {
  // Kept members come in archive order, so a compressed TAR is decoded once, forward.
  const int64_t at = source.Input->Seek(e.Offset, TSeekOrigin::soBeginning);
  TRecordingInput input(*source.Input);
  TTarWalker walker(input, source.Size < 0 ? -1 : source.Size - e.Offset);
  TTarMember m;
  if (at != e.Offset || walker.Next(m) != TTarStep::Member ||
      !std::equal(m.Header.begin(), m.Header.end(), e.Header.begin(), e.Header.end()))
    ReportAndRaise(e.StoredName, msg::BadFileHeader,
                   "the archive is left as it was; repair it first", "");
  input.recording_ = false;
  if (e.State == TEntryState::esRename) {
    // A GNU sparse map is not written again: such a member keeps its name.
    if (m.TypeFlag == 'S')
      ReportAndRaise(e.StoredName, msg::UnsupportedArchiveType,
                     "its sparse map cannot be kept under a new name", "");
    const std::vector<uint8_t> headers = RenamedMemberHeaders(input.recorded_, m, e.StoredName);
    WriteOut(out, headers.data(), headers.size());
  } else {
    WriteOut(out, input.recorded_.data(), input.recorded_.size());
  }
  const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
  int64_t copied = 0;
  while (const int64_t n = walker.ReadData(piece.get(), kPiece)) {
    if (Cancel()) throw ECancelled();
    WriteOut(out, piece.get(), size_t(n));
    copied += n;
  }
  if (copied != m.Size) ReportAndRaise(e.StoredName, msg::ErrorReadingFile, "", "");
  WriteZeros(out, Padding(m.Size));
}

bool TTar::AddFile(TStream64& out, TCompEntry& e, int index, const TCompList& list) {
  FileName = e.StoredName;
  if (!BeginFile(index) || !ChooseName(e, list)) return false;
  std::unique_ptr<TFileStream32> source;
  if (!OpenSource(e, source)) return false;
  struct stat st {};
  TTarFields f;
  f.Name = e.StoredName;
  f.Folder = e.IsFolder;
  f.Size = source ? source->Size() : 0;
  f.MTime = EntryTimeOf(e);
  f.Mode = ::stat(e.SourcePath.c_str(), &st) == 0 ? uint32_t(st.st_mode & 07777) : 0;
  f.Uid = UnixUID;
  f.Gid = UnixGID;
  f.UName = UnixUName;
  f.GName = UnixGName;
  const std::vector<uint8_t> headers = MemberHeaders(f);
  WriteOut(out, headers.data(), headers.size());
  FileBytesLeft = f.Size;
  int64_t copied = 0;
  if (source) {
    const std::unique_ptr<uint8_t[]> piece(new uint8_t[kPiece]);
    while (copied < f.Size) {
      if (Cancel()) throw ECancelled();
      const int64_t n = ReadSource(*source, piece.get(), std::min(kPiece, f.Size - copied));
      if (n == 0) break;
      WriteOut(out, piece.get(), size_t(n));
      copied += n;
      ReportProgress(f.Size, copied, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
    }
  }
  // The header holds the size the file had: one that shrank while it was read is made up
  // with zeros, so that the archive stays whole, and reported.
  if (copied < f.Size) {
    DoError(e.SourcePath, "changed while it was read", msg::FileSizeDifferent, "");
    WriteZeros(out, f.Size - copied);
    e.SourcePath.clear();  // a move keeps what was not stored whole
  }
  WriteZeros(out, Padding(f.Size));
  if (OnEnd) OnEnd(*this, FileName, copied == f.Size);
  return true;
}

TPackedTar::~TPackedTar() = default;

bool TPackedTar::ReadDirectory(TStream64& archive, TCompList& list) {
  uint8_t head[4] = {};
  // No `compress` is written here: a .tar.Z is read, never updated.
  if (PackedKindOf(head, archive.ReadAt(0, head, sizeof head)) == TPackedKind::Compress) {
    DoError(ArchiveFile(), "", msg::UnsupportedArchiveType, "");
    return false;
  }
  return TTar::ReadDirectory(archive, list);
}

void TPackedTar::WriteEntries(TStream64* archive, TStream64& out, TCompList& list) {
  // What a failed run left goes first, before its workers do.
  FTar.reset();
  FPacker.reset();
  FPacker = MakePacker(out);
  FTar = std::make_unique<TPackingStream>(*FPacker);
  TTar::WriteEntries(archive, *FTar, list);
}

void TPackedTar::WriteDirectory(TStream64&, const TCompList& list) {
  TTar::WriteDirectory(*FTar, list);
  const bool finished = FinishPacker(*FPacker);
  FTar.reset();
  FPacker.reset();
  if (!finished) ReportAndRaise(ArchiveFile(), msg::ErrorWritingFile, "", "");
}

TTarGZ::TTarGZ() : TPackedTar(".tgz", atTarGz, TCompressMethod::cmTarGz) {}

TTarGZ::~TTarGZ() = default;

std::unique_ptr<IByteSink> TTarGZ::MakePacker(TStream64& out) {
  FWorkers = std::make_unique<TWorkers>(WorkerThreads(Threads));
  // The TAR's own name goes into the header, as `gzip` would store it.
  return std::make_unique<TGzipWriter>(out, UnpackedName(TPackedKind::Gzip, "", ArchiveFile()),
                                       uint32_t(std::time(nullptr)), int(DeflateType),
                                       FWorkers.get());
}

bool TTarGZ::FinishPacker(IByteSink& packer) {
  const bool finished = static_cast<TGzipWriter&>(packer).Finish();
  FWorkers.reset();
  return finished;
}

TTarBZ::TTarBZ() : TPackedTar(".tbz", atTarBz, TCompressMethod::cmTarBz) {}

std::unique_ptr<IByteSink> TTarBZ::MakePacker(TStream64& out) {
  try {
    return std::make_unique<TBZCompressStream>(out, std::clamp(CompressLevel, 1, 9));
  } catch (const Ebz2Error& error) {
    ReportAndRaise(ArchiveFile(), msg::UnknownError, error.what(), "");
  }
}

bool TTarBZ::FinishPacker(IByteSink& packer) {
  return static_cast<TBZCompressStream&>(packer).Finish();
}

}  // namespace qel
