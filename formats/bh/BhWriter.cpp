#include "formats/bh/BhWriter.h"

#include <algorithm>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/checksum/Crc.h"
#include "codecs/deflate/CompressStream.h"
#include "codecs/lzh/LzhEncoder.h"
#include "engine/base/DateTime.h"
#include "engine/base/Errors.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/StoreStream.h"
#include "engine/text/EntryNames.h"
#include "formats/bh/BhHeader.h"

namespace qel {

using namespace bh;

namespace {

constexpr uint8_t kAttrDirectory = 0x10;

// The file being stored changed its size while it was read: it has no one content to store.
struct ESourceChanged {};

// The name as BH stores it: DOS separators, the OEM code page where it gives the name
// back, else UTF-8 (which readers recognise as such).
std::string StoredBytes(const WideString& name) {
  std::string bytes = text::EncodeOemName(name).value_or(name);
  std::replace(bytes.begin(), bytes.end(), '/', '\\');
  return bytes;
}

}  // namespace

TBlakHole::TBlakHole() : TCompBase(".bh") {
  ForceArcType(atBh);
  InitCompressMethod(TCompressMethod::cmDeflate);
}

TBlakHole::~TBlakHole() = default;

bool TBlakHole::AcceptsMethod(TCompressMethod method) const {
  using enum TCompressMethod;
  return method == cmStore || method == cmFuse || method == cmDeflate || method == cmBz2;
}

bool TBlakHole::ReadDirectory(TStream64& archive, TCompList& list) {
  const TReadAt readAt = archive.ExactReader();
  return ReadHeaderRun(archive, list,
                       [&](int64_t pos, TCompEntry& e, int64_t& dataStart, int64_t& next) {
                         TBhHeader h;
                         const THeaderRead r = ReadBhHeader(readAt, archive.Size(), pos, h);
                         e.StoredName = EntryName(h);
                         e.IsFolder = e.StoredName.ends_with('/');
                         e.Size = h.Unpacked;
                         e.Time = DosDateTimeToUnix(h.DosTime);
                         e.Attr = h.Attr;
                         dataStart = h.DataStart;
                         next = h.Next;
                         return r;
                       });
}

void TBlakHole::WriteEntries(TStream64* archive, TStream64& out, TCompList& list) {
  if (archive) CopyPrefix(*archive, out, list);
  WriteInOrder(
      list, archive != nullptr,
      [&](size_t at, int index) { return CompressFile(out, list[at], index, list); },
      [&](const TCompEntry& e) { CopyKept(*archive, out, e); });
}

// The archive ends where the entries do.
void TBlakHole::WriteDirectory(TStream64&, const TCompList&) {}

void TBlakHole::CopyKept(TStream64& archive, TStream64& out, const TCompEntry& e) {
  TBhHeader h;
  // The header must still be the entry's own.
  if (ReadBhHeader(archive.ExactReader(), archive.Size(), e.Offset, h) != THeaderRead::Ok ||
      size_t(h.DataStart - h.Position) != e.Header.size())
    ReportAndRaise(e.StoredName, msg::BadFileHeader,
                   "the archive is left as it was; repair it first", "");
  int64_t from = h.Position;
  if (e.State == TEntryState::esRename) {
    h.Name = StoredBytes(e.StoredName);
    if (kFixedHeader + int64_t(h.Name.size()) > 0xFFFF)
      ReportAndRaise(e.StoredName, msg::InvalidFileName, "", "");
    const std::vector<uint8_t> header = BhHeaderBytes(h);
    WriteOut(out, header.data(), header.size());
    from = h.DataStart;  // the extra area is not kept: the header says it is empty
  }
  if (!archive.SetPosition(from)) ReportAndRaise(e.StoredName, msg::ErrorReadingFile, "", "");
  CopyKeptBytes(archive, out, h.Next - from, e.StoredName);
}

bool TBlakHole::CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list) {
  FileName = e.StoredName;
  if (!BeginFile(index) || !ChooseName(e, list)) return false;
  TBhHeader h;
  h.Name = StoredBytes(e.StoredName);
  if (kFixedHeader + int64_t(h.Name.size()) > 0xFFFF) {
    DoError(e.SourcePath, "its name is longer than a BH header holds", msg::SkippedFile, "");
    return false;
  }
  std::unique_ptr<TFileStream32> source;
  if (!OpenSource(e, source)) return false;
  const int64_t size = source ? source->Size() : 0;
  // Folders and empty files are stored, never enciphered; so is everything at the
  // super-fast type, as in ZIP.
  uint8_t method = bmStored;
  if (size > 0 && !StoredAsIs(e.SourcePath) && DeflateType != TDeflateType::dtDeflateS) {
    switch (CompressMethod()) {
      case TCompressMethod::cmFuse:
        method = bmFuse;
        break;
      case TCompressMethod::cmBz2:
        method = bmBzip2;
        break;
      case TCompressMethod::cmDeflate:
        method = bmDeflate;
        break;
      default:
        break;
    }
  }
  std::optional<TZipCryptoKeys> keys;
  if (size > 0 && !Password().empty()) keys.emplace(SeedDataKeys, Password());
  // The sizes are 32 bits, and the compressed one counts the cipher's header.
  if (size + (keys ? int64_t(kZipCryptoHeaderSize) : 0) > int64_t(UINT32_MAX)) {
    DoError(e.SourcePath, "4 GiB or more, more than a BH entry holds", msg::SkippedFile, "");
    return false;
  }
  FileBytesLeft = size;
  h.DosTime = UnixToDosDateTime(EntryTimeOf(e));
  h.Attr = uint16_t(e.IsFolder ? kAttrDirectory : e.Attr);
  h.Unpacked = uint32_t(size);
  const int64_t offset = out.Position();
  std::vector<uint8_t> header = BhHeaderBytes(h);
  WriteOut(out, header.data(), header.size());
  // A file that grows or shrinks while it is read (a log being written) is left out, and
  // so is one whose content changed between the CRC pass and the data pass.
  TWritten data{bmStored, 0};
  if (source) {
    try {
      // The cipher's header carries the CRC, so the file is read once for it first.
      if (keys) {
        const std::optional<uint32_t> crc = SourceCrc(*source, size, e.SourcePath);
        if (!crc) return LeaveOutChanged(out, offset, e.SourcePath);
        const std::optional<TZipCryptoHeader> head = MakeZipCryptoHeader(*keys, *crc);
        if (!head) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
        WriteOut(out, head->data(), head->size());
        h.Crc = *crc;
      }
      data = WriteData(*source, out, method, keys, size);
    } catch (const ESourceChanged&) {
      return LeaveOutChanged(out, offset, e.SourcePath);
    }
    if (keys && data.Crc != h.Crc) return LeaveOutChanged(out, offset, e.SourcePath);
  }
  h.Method = data.Method;
  h.Crc = data.Crc;
  h.Flags = keys ? kFlagEncrypted : 0;
  if (h.Method == bmDeflate || h.Method == bmBzip2) h.Flags |= DeflateOptionFlags(int(DeflateType));
  const int64_t end = out.Position();
  h.Packed = uint32_t(end - offset - int64_t(header.size()));
  header = BhHeaderBytes(h);
  if (!out.SetPosition(offset)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
  WriteOut(out, header.data(), header.size());
  if (!out.SetPosition(end)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
  if (OnEnd) OnEnd(*this, FileName, true);
  return true;
}

TBlakHole::TWritten TBlakHole::WriteData(TStream64& source, TStream64& out, uint8_t method,
                                         const std::optional<TZipCryptoKeys>& keys, int64_t size) {
  const int64_t start = out.Position();
  // Each pass enciphers from the state after the cipher's header.
  const auto cipher = [&]() -> std::unique_ptr<IDataCipher> {
    if (!keys) return nullptr;
    return std::make_unique<TZipCryptoEncipher>(*keys);
  };
  // The CRC when the stream came out smaller than the file.
  const auto finish = [&](auto& stream) -> std::optional<uint32_t> {
    uint32_t crc = 0;
    if (!PumpSource(source, stream, size, &crc)) throw ESourceChanged();
    if (!stream.Finish()) {
      if (Cancel()) throw ECancelled();
      ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
    }
    if (out.Position() - start >= size) return std::nullopt;
    return crc;
  };
  if (method != bmStored) {
    std::unique_ptr<IDataCipher> pass = cipher();
    std::optional<uint32_t> crc;
    if (method == bmFuse) {
      TStoreStream sink(out, TCrcWidth::crc32, pass.get());
      crc = Fuse(source, sink, size);
    } else if (method == bmDeflate) {
      TCompressStream deflate(out, int(DeflateType), pass.get());
      crc = finish(deflate);
    } else {
      try {
        TBZCompressStream bzip2(out, Bz2BlockSize(int(DeflateType)), pass.get());
        crc = finish(bzip2);
      } catch (const Ebz2Error& error) {
        ReportAndRaise(FileName, msg::UnknownError, error.what(), "");
      }
    }
    if (crc) return {method, *crc};
    // Not smaller than the file: cut back and store it. The progress goes back for the
    // second pass.
    ArchiveBytesLeft += size - FileBytesLeft;
    if (!out.SetSize(start) || !out.SetPosition(start))
      ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
  }
  const std::unique_ptr<IDataCipher> pass = cipher();
  TStoreStream store(out, TCrcWidth::crc32, pass.get());
  uint32_t crc = 0;
  if (!PumpSource(source, store, size, &crc)) throw ESourceChanged();
  return {bmStored, crc};
}

std::optional<uint32_t> TBlakHole::Fuse(TStream64& source, IByteSink& sink, int64_t size) {
  if (!source.SetPosition(0)) ReportAndRaise(FileName, msg::ErrorReadingFile, "", "");
  FileBytesLeft = size;
  uint32_t crc = 0;
  int64_t total = 0;
  const TCodecSource read = EncoderSource(source, size, [&](const uint8_t* data, size_t n) {
    crc = Crc32(crc, data, n);
    total += int64_t(n);
  });
  const TCodecSink write = [&](std::span<const uint8_t> data) {
    if (!sink.WriteFully(data.data(), int64_t(data.size())))
      ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
    return true;
  };
  if (!FEncoder) FEncoder = std::make_unique<TLzhEncoder>(kFuse);
  const TLzhEncodeStatus status = FEncoder->Encode(read, write);
  // The coder reads to the end of the file: more or less than its size is a changed file.
  if (status == TLzhEncodeStatus::Ok && total != size) throw ESourceChanged();
  if (status != TLzhEncodeStatus::Ok || int64_t(FEncoder->Written()) >= size) return std::nullopt;
  return crc;
}

}  // namespace qel
