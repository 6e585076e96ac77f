#include "formats/lha/UnLha.h"

#include <optional>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "codecs/io/StoredCopy.h"
#include "codecs/lzh/LarcDecoder.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "formats/lha/MacBinary.h"

namespace qel {

using namespace lha;

namespace {

constexpr TLzhParams kStaticParams[] = {kLh4, kLh5, kLh6, kLh7};

// The DOS date-time the entry is reported with: its Unix time's where it has one.
uint32_t DosTimeOf(const TLhaHeader& h) {
  return h.UnixTime >= 0 ? UnixToDosDateTime(h.UnixTime) : h.DosTime;
}

}  // namespace

TUnLha::TUnLha() = default;
TUnLha::~TUnLha() = default;

int64_t TUnLha::Collect(std::vector<TLhaHeader>& entries) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  int64_t packedTotal = 0;
  int64_t pos = std::max<int64_t>(HeaderOffset(), 0);
  TLhaHeader h;
  while (!Cancel()) {
    const THeaderRead r = ReadLhaHeader(readAt, fileSize, pos, h);
    if (r == THeaderRead::End) break;
    if (r == THeaderRead::Bad) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    pos = h.Next;
    // Links are never made from an archive.
    if (h.IsLink() || !MatchesSpec(EntryName(h))) continue;
    NoteEntryDate(DosTimeOf(h));
    packedTotal += int64_t(h.Packed);
    entries.push_back(h);
  }
  return packedTotal;
}

void TUnLha::Decode(const TLhaHeader& h) {
  const WideString stored = EntryName(h);
  TUnEntry entry;
  entry.StoredName = stored;
  entry.PackedSize = int64_t(h.Packed);
  entry.UnpackedSize = int64_t(h.Unpacked);
  entry.DosDateTime = DosTimeOf(h);
  entry.UnixTime = h.UnixTime;
  entry.ExternalAttr = h.Attr;
  if (h.UnixMode) {
    entry.ExternalAttr |= uint32_t(*h.UnixMode) << 16;
    entry.HostSystem = 3;
  }
  const TLhaMethod method = h.Kind();
  const bool folder = method == TLhaMethod::Folder;
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return;
  const WideString& name = IsDiskMode() ? OutputName() : stored;
  if (method == TLhaMethod::Unsupported) {
    DoError(stored, std::string(h.Method, 5), msg::UnsupportedMethod, "");
    PassOver(name);
    return;
  }
  if (!ArchiveStream()->SetPosition(h.DataStart)) {
    DoError(stored, "", msg::ErrorReadingFile, "");
    PassOver(name);
    return;
  }
  if (!OpenOutput()) return;
  bool intact = false;
  try {
    intact = DecodeData(h, method);
  } catch (const E_RAISE&) {
    AbandonOutput();
    return;
  }
  FinishFile();
  // The verdict is DecodeData's: the bytes written may be fewer than those the CRC covers.
  const uint32_t written = DataCrc() & 0xFFFF;
  VerifyCRC(TCrcWidth::crc16, intact ? written : written ^ 1);
}

bool TUnLha::DecodeData(const TLhaHeader& h, TLhaMethod method) {
  // Stored data shorter than its packed size ends where the file does.
  uint64_t left = method == TLhaMethod::Stored ? std::min(h.Packed, h.Unpacked) : h.Packed;
  const TCodecSource source = [&](uint8_t* buffer, size_t size) {
    const size_t got = ReadInput(buffer, size_t(std::min<uint64_t>(size, left)), false);
    left -= got;
    return got;
  };
  // The CRC covers every decoded byte; a Mac file goes out as its data fork alone.
  uint16_t crc = 0;
  uint64_t decoded = 0, keepFrom = 0, keepTo = UINT64_MAX;
  std::vector<uint8_t> head;  // a Mac entry's first bytes, until they tell what it is
  bool undecided = h.Os == 'm' && h.Unpacked >= kMacBinaryHeader;
  const auto deliver = [&](std::span<const uint8_t> data, uint64_t at) {
    const uint64_t from = std::max(at, keepFrom), to = std::min(at + data.size(), keepTo);
    if (from < to) WriteOutput(data.data() + (from - at), size_t(to - from), TCrcWidth::crc16);
  };
  const TCodecSink sink = [&](std::span<const uint8_t> data) {
    crc = Crc16(crc, data.data(), data.size());
    const uint64_t at = decoded;
    decoded += data.size();
    if (!undecided) {
      deliver(data, at);
      return true;
    }
    head.insert(head.end(), data.begin(), data.end());
    if (head.size() < kMacBinaryHeader) return true;
    undecided = false;
    const std::string name = EntryName(h);
    const std::optional<uint64_t> fork =
        MacBinaryDataFork(std::span<const uint8_t, kMacBinaryHeader>(head.data(), kMacBinaryHeader),
                          h.Unpacked, name.substr(name.rfind('/') + 1));
    if (fork) {
      keepFrom = kMacBinaryHeader;
      keepTo = kMacBinaryHeader + *fork;
    }
    deliver(head, 0);
    return true;
  };
  TDecodeResult result;
  switch (method) {
    case TLhaMethod::Stored:
      result = CopyStored(source, sink);
      break;
    case TLhaMethod::Lzs:
    case TLhaMethod::Lz5:
      result = DecodeLarc(method == TLhaMethod::Lz5 ? TLarcMethod::Lz5 : TLarcMethod::Lzs, source,
                          sink, h.Unpacked);
      break;
    case TLhaMethod::Lh1:
      if (!FLh1) FLh1 = std::make_unique<TLh1Decoder>();
      result = FLh1->Decode(source, sink, h.Unpacked);
      break;
    default: {
      const size_t k = size_t(method) - size_t(TLhaMethod::Lh4);
      if (!FStatic[k]) FStatic[k] = std::make_unique<TLzhDecoder>(kStaticParams[k]);
      result = FStatic[k]->Decode(source, sink, h.Unpacked);
      break;
    }
  }
  if (undecided) deliver(head, 0);
  return result.Status == TDecodeStatus::Ok && result.Decoded == h.Unpacked && crc == h.Crc;
}

}  // namespace qel
