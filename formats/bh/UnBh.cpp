#include "formats/bh/UnBh.h"

#include <algorithm>

#include "codecs/bzip2/Bz2Decode.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/io/StoredCopy.h"
#include "engine/base/Messages.h"
#include "engine/extract/EntryPassword.h"

namespace qel {

using namespace bh;

namespace {

bool Decodable(uint8_t method) {
  switch (method) {
    case bmStored:
    case bmLzh:
    case bmDeflateOld:
    case bmFuse:
    case bmDeflate:
    case bmBzip2:
      return true;
    default:
      return false;
  }
}

// An old writer's stored data is not enciphered, whatever the flags say.
bool DataEnciphered(const TBhHeader& h) {
  return h.Encrypted() && !(h.Method == bmStored && h.OldWriter());
}

}  // namespace

TUnBh::TUnBh() = default;
TUnBh::~TUnBh() = default;

int64_t TUnBh::Collect(std::vector<TBhHeader>& entries) {
  const TReadAt readAt = HeaderReadAt();
  const int64_t fileSize = ArchiveStream()->Size();
  int64_t pos = std::max<int64_t>(HeaderOffset(), 0);
  int64_t packedTotal = 0;
  TBhHeader h;
  while (!Cancel()) {
    const THeaderRead r = ReadBhHeader(readAt, fileSize, pos, h);
    if (r == THeaderRead::End) break;
    if (r == THeaderRead::Bad) {
      DoError(ArchiveFile(), "", msg::BadFileHeader, "");
      break;
    }
    pos = h.Next;
    if (!MatchesSpec(EntryName(h))) continue;
    NoteEntryDate(h.DosTime);
    packedTotal += h.DataSize();
    entries.push_back(h);
  }
  return packedTotal;
}

void TUnBh::Decode(const TBhHeader& h) {
  const std::string stored = EntryName(h);
  TUnEntry entry;
  entry.StoredName = stored;
  // The cipher's header is read on its own: the data and the job's totals are without it.
  entry.PackedSize = h.DataSize();
  entry.UnpackedSize = h.Unpacked;
  entry.DosDateTime = h.DosTime;
  entry.ExternalAttr = h.Attr;
  if (DataEnciphered(h)) entry.Decipher = &FCipher;
  if (h.Encrypted()) entry.Encryption = TEncryptionMethod::emZip_V2;
  // A name that ends in a separator is a folder, whatever its sizes say.
  const bool folder = stored.ends_with('/');
  if (!BuildOutputName(entry) || !PrepareEntry(folder) || folder) return;
  const WideString& name = IsDiskMode() ? OutputName() : stored;
  if (!Decodable(h.Method)) {
    DoError(stored, std::to_string(h.Method), msg::UnsupportedMethod, "");
    PassOver(name);
    return;
  }
  if (h.Encrypted() && !Unlock(h, name)) {
    PassOver(name);
    return;
  }
  const int64_t dataStart = h.DataStart + (h.Packed - h.DataSize());
  DecodeEntry(dataStart, TCrcWidth::crc32, h.Crc,
              [&](const TCodecSource& source, const TCodecSink& sink) {
                return DecodeData(h, source, sink);
              });
}

bool TUnBh::Unlock(const TBhHeader& h, const WideString& name) {
  TZipCryptoHeader head;
  if (h.Packed < head.size() ||
      ArchiveStream()->ReadAt(h.DataStart, head.data(), int64_t(head.size())) !=
          int64_t(head.size())) {
    DoError(name, "", msg::BadFileHeader, "");
    return false;
  }
  // The header's last byte deciphers to the CRC's top byte (BH has no data descriptors).
  const uint8_t check = uint8_t(h.Crc >> 24);
  const auto fits = [&](std::string_view password) {
    const std::optional<TZipCryptoKeys> keys =
        CheckZipCryptoPassword(SeedDataKeys, password, head, check);
    if (!keys) return false;
    FCipher.Use(h.OldWriter() ? TZipCryptoKeys(SeedDataKeys, password) : *keys);
    return true;
  };
  return ObtainPassword(*this, name, fits);
}

TDecodeResult TUnBh::DecodeData(const TBhHeader& h, const TCodecSource& source,
                                const TCodecSink& sink) {
  switch (h.Method) {
    case bmStored:
      return CopyStored(source, sink);
    case bmLzh:
      if (!FLzh) FLzh = std::make_unique<TLzhDecoder>(kLh5);
      return FLzh->Decode(source, sink, h.Unpacked);
    case bmFuse:
      // -lh6-'s parameters: 15 dictionary bits, so every distance the format allows reaches
      // back into the window.
      if (!FFuse) FFuse = std::make_unique<TLzhDecoder>(kLh6);
      return FFuse->Decode(source, sink, h.Unpacked);
    case bmBzip2:
      try {
        return Bz2Decode(source, sink, h.Unpacked);
      } catch (const Ebz2Error& error) {  // libbz2 itself failed, not the data
        ReportAndRaise(EntryName(h), msg::UnknownError, error.what(), "");
      }
    default: {
      const TInflateResult r = FInflater.Run(DeflateVariant::Deflate, source, sink);
      return {r.Status == InflateStatus::StreamEnd ? TDecodeStatus::Ok : TDecodeStatus::Corrupt,
              r.Decoded};
    }
  }
}

}  // namespace qel
