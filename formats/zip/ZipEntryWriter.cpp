// Compressing one file into a ZIP archive: a placeholder local header, the cipher's header,
// the data (deflated or bzip2-compressed, or stored when that would enlarge it), the
// authentication code, and the local header completed in place.
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "codecs/bzip2/BZCompressStream.h"
#include "codecs/bzip2/Bz2Errors.h"
#include "codecs/checksum/Crc.h"
#include "codecs/crypto/ZipCrypto.h"
#include "codecs/deflate/CompressStream.h"
#include "engine/base/DateTime.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/StoreStream.h"
#include "engine/text/Utf8.h"
#include "formats/zip/DeflateAhead.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/HeaderCrypt.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/ZipAes.h"
#include "formats/zip/ZipWriter.h"

namespace qel {

using namespace zip;

namespace {

constexpr uint16_t kMethodStore = 0;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kMethodBzip2 = 12;
constexpr uint16_t kMethodPpmd = 98;
// APPNOTE's version needed to extract: the base, bzip2 and PPMd.
constexpr uint16_t kVersionBase = 20;
constexpr uint16_t kVersionBzip2 = 46;
constexpr uint16_t kVersionPpmd = 63;

uint16_t VersionNeeded(uint16_t method) {
  return method == kMethodBzip2  ? kVersionBzip2
         : method == kMethodPpmd ? kVersionPpmd
                                 : kVersionBase;
}

// The AES key strength (1-3) the method asks for; 0 for none.
uint8_t AesStrength(TEncryptionMethod m) {
  using enum TEncryptionMethod;
  switch (m) {
    case emAes1_128:
    case emAes2_128:
      return 1;
    case emAes1_192:
    case emAes2_192:
      return 2;
    case emAes1_256:
    case emAes2_256:
      return 3;
    default:
      return 0;
  }
}

// The file's Unix mode (type and permission bits) as it is now; 0 when it cannot be read.
uint32_t UnixModeOf(const WideString& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0xFFFF : 0;
}

// The file being stored changed its size while it was read: it has no one content to store.
struct ESourceChanged {};

}  // namespace

// The cipher of one entry and how to start it again when the data is written a second time.
struct TZipBase::TEntryCipher {
  std::optional<TZipCryptoKeys> CryptoKeys;  // ZipCrypto: the state after its header
  uint8_t AesStrength = 0;
  std::unique_ptr<IDataCipher> Cipher;
  std::unique_ptr<TZipAesEncipher> Aes;

  bool Enciphered() const { return CryptoKeys || AesStrength; }
  uint64_t Overhead() const {
    if (CryptoKeys) return kZipCryptoHeaderSize;
    return AesStrength ? AesSaltSize(AesStrength) + kAesVerifierSize + kAesAuthCodeSize : 0;
  }
};

bool TZipBase::CompressFile(TStream64& out, TCompEntry& e, int index, const TCompList& list,
                            const TDeflated* deflated) {
  FileName = e.StoredName;
  std::unique_ptr<TFileStream32> source;
  if (!BeginFile(index) || !OpenSource(e, source)) return false;
  const int64_t size = source ? source->Size() : 0;
  FileBytesLeft = size;

  // The method: folders and empty files are stored, never enciphered.
  uint16_t method = kMethodStore;
  uint16_t flags = 0;
  if (size > 0 && CompressMethod() != TCompressMethod::cmStore &&
      DeflateType != TDeflateType::dtDeflateS) {
    if (CompressMethod() == TCompressMethod::cmDeflate) {
      method = kMethodDeflate;
      flags |= DeflateOptionFlags(int(DeflateType));
    } else if (CompressMethod() == TCompressMethod::cmBz2) {
      method = kMethodBzip2;
    } else if (CompressMethod() == TCompressMethod::cmPPMDi) {
      method = kMethodPpmd;
    } else {
      DoError(e.SourcePath, "", msg::UnsupportedMethod, "");
      return false;
    }
  }
  TEntryCipher cipher;
  if (size > 0 && !Password().empty()) {
    // A spanned archive is read by tools of its own era: ZipCrypto for every enciphered entry.
    if (EncryptionMethod == TEncryptionMethod::emZip_V2 ||
        (FSpanning && AesStrength(EncryptionMethod)))
      cipher.CryptoKeys.emplace(SeedDataKeys, Password());
    else
      cipher.AesStrength = AesStrength(EncryptionMethod);
  }
  if (cipher.Enciphered()) flags |= kFlagEncrypted;
  if (!ChooseName(e, list)) return false;

  // A name beyond ASCII is written in UTF-8 with the flag that says so: every tool of today
  // reads that back, while a DOS code page is only read as such where it was made.
  TEncodedName name = EncodeName(e.StoredName);
  const bool ascii = std::all_of(e.StoredName.begin(), e.StoredName.end(),
                                 [](char c) { return (unsigned char)c < 0x80; });
  if (!ascii && text::IsValidUtf8(e.StoredName)) {
    name = {e.StoredName, kMadeByUtf8};
    flags |= kFlagUtf8Name;
  }
  LocalHeader h;
  h.Flags = flags;
  h.Method = cipher.AesStrength ? kMethodAes : method;
  h.VersionNeeded = VersionNeeded(method);
  const int64_t time = EntryTimeOf(e);
  h.DosDateTime = UnixToDosDateTime(time);
  const int64_t offset = out.Position();
  // Decided before the data exists: room for the largest the entry can become.
  const bool wide =
      uint64_t(size) + cipher.Overhead() >= kZip64Marker || uint64_t(offset) >= kZip64Marker;
  TAesExtra aes;
  aes.Strength = cipher.AesStrength;
  auto headerBytes = [&](uint64_t packed, uint64_t unpacked) {
    std::vector<uint8_t> extra;
    LocalHeader fixed = h;
    if (wide) {
      StoreLocalSizes(extra, fixed, packed, unpacked, true);
    } else {
      fixed.CompressedSize = uint32_t(packed);
      fixed.UncompressedSize = uint32_t(unpacked);
    }
    if (cipher.AesStrength) AppendAesField(extra, aes);
    AppendUnixTimeField(extra, time);
    fixed.NameLength = uint16_t(name.Bytes.size());
    fixed.ExtraLength = uint16_t(extra.size());
    if (EncryptHeaders) fixed.Signature = kSigLocal + kEncipheredDelta;
    std::vector<uint8_t> bytes(kLocalHeaderSize);
    Pack(fixed, bytes.data());
    bytes.insert(bytes.end(), name.Bytes.begin(), name.Bytes.end());
    if (EncryptHeaders) EncipherHeader(SeedHeaderKeys, bytes, RecordKind::Local);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
  };
  std::vector<uint8_t> placeholder = headerBytes(0, uint64_t(size));
  WriteOut(out, placeholder.data(), placeholder.size());
  const int64_t dataStart = out.Position();
  // A file that grows or shrinks while it is read (a log being written) is left out and
  // the archive is cut back to before it; the other files are stored.
  const auto leaveOut = [&] { return LeaveOutChanged(out, offset, e.SourcePath); };

  // ZipCrypto's header carries the CRC, so the file is read once for it first.
  uint32_t crc = 0;
  if (cipher.CryptoKeys && source) {
    const std::optional<uint32_t> sourceCrc = SourceCrc(*source, size, e.SourcePath);
    if (!sourceCrc) return leaveOut();
    crc = *sourceCrc;
    std::optional<TZipCryptoHeader> head = MakeZipCryptoHeader(*cipher.CryptoKeys, crc);
    if (!head) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
    WriteOut(out, head->data(), head->size());
  }
  // Starts (or starts again) the cipher for the data; AES writes a fresh salt each time.
  auto startCipher = [&] {
    if (cipher.CryptoKeys) {
      cipher.Cipher = std::make_unique<TZipCryptoEncipher>(*cipher.CryptoKeys);
    } else if (cipher.AesStrength) {
      std::optional<TZipAesStart> start = StartZipAesEntry(Password(), cipher.AesStrength);
      if (!start) {
        DoError(e.SourcePath, "", msg::InvalidPassword, "");
        return false;
      }
      WriteOut(out, start->Preamble.data(), start->Preamble.size());
      cipher.Aes = std::make_unique<TZipAesEncipher>(start->Keys);
    }
    return true;
  };
  const int64_t cipherStart = out.Position();
  if (!startCipher()) return false;
  IDataCipher* dataCipher = cipher.Aes ? cipher.Aes.get() : cipher.Cipher.get();

  // What was deflated ahead stands for the file unless the file changed since.
  if (deflated &&
      (!deflated->Ok || deflated->Size != size || method != kMethodDeflate || dataCipher))
    deflated = nullptr;
  std::optional<std::pair<uint64_t, uint32_t>> data;
  if (deflated && deflated->Data.size() <= uint64_t(size)) {
    WriteOut(out, deflated->Data.data(), deflated->Data.size());
    FileBytesLeft = 0;
    ArchiveBytesLeft -= size;
    ReportProgress(size, size, FArchiveTotal, FArchiveTotal - ArchiveBytesLeft);
    data = std::make_pair(uint64_t(deflated->Data.size()), deflated->Crc);
  } else if (source) {
    try {
      // A file deflated ahead to more than its size is stored straight away.
      if (deflated) {
        method = kMethodStore;
        h.Flags &= uint16_t(~0x0006);
      }
      data = WriteData(*source, out, method, dataCipher, size);
      if (!data) {
        // Compressing would enlarge the file: cut back and store it.
        method = kMethodStore;
        h.Flags &= uint16_t(~0x0006);
        if (!out.SetSize(cipherStart) || !out.SetPosition(cipherStart))
          ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
        if (!startCipher()) return false;
        dataCipher = cipher.Aes ? cipher.Aes.get() : cipher.Cipher.get();
        data = WriteData(*source, out, method, dataCipher, size);
      }
      if (!data) return false;
    } catch (const ESourceChanged&) {
      return leaveOut();
    }
  }
  if (cipher.Aes) {
    const TAesAuthCode code = cipher.Aes->AuthCode();
    WriteOut(out, code.data(), code.size());
  }
  // An AES entry's CRC is left 0 (its authentication code checks it); ZipCrypto's came first.
  // A file whose content changed after the CRC pass is not what its header claims.
  if (cipher.CryptoKeys && data && data->second != crc) return leaveOut();
  if (!cipher.Enciphered() && data) crc = data->second;
  if (cipher.AesStrength) crc = 0;
  aes.Method = method;
  if (!cipher.AesStrength) h.Method = method;
  h.VersionNeeded = VersionNeeded(method);
  h.Crc = crc;
  const int64_t end = out.Position();
  const uint64_t packed = uint64_t(end - dataStart);
  const std::vector<uint8_t> final = headerBytes(packed, uint64_t(size));
  if (!out.SetPosition(offset)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");
  WriteOut(out, final.data(), final.size());
  if (!out.SetPosition(end)) ReportAndRaise(e.SourcePath, msg::ErrorWritingFile, "", "");

  TCentralRecord rec;
  // Host 3 with the mode and the exact time, as Linux tools write them: the exec bit and odd
  // seconds survive a round trip. A name left in the OEM code page needs host 0 to be read
  // back in it.
  const bool oemName = !ascii && name.VersionMadeBy == kMadeByOem;
  rec.Header.VersionMadeBy = oemName ? kMadeByOem : kMadeByUnix;
  rec.Header.VersionNeeded = std::max(wide ? kVersionZip64 : kVersionBase, VersionNeeded(method));
  rec.Header.Flags = h.Flags;
  rec.Header.Method = h.Method;
  rec.Header.DosDateTime = h.DosDateTime;
  rec.Header.Crc = crc;
  rec.Header.ExternalAttr = e.Attr | (e.IsFolder ? 0x10 : 0);
  if (!oemName) rec.Header.ExternalAttr |= UnixModeOf(e.SourcePath) << 16;
  rec.Name = name.Bytes;
  if (cipher.AesStrength) AppendAesField(rec.Extra, aes);
  AppendUnixTimeField(rec.Extra, time);
  rec.Packed = packed;
  rec.Unpacked = uint64_t(size);
  rec.Offset = uint64_t(offset);
  FCentral.push_back(std::move(rec));
  if (OnEnd) OnEnd(*this, FileName, true);
  return true;
}

std::optional<std::pair<uint64_t, uint32_t>> TZipBase::WriteData(TStream64& source, TStream64& out,
                                                                 uint16_t method,
                                                                 IDataCipher* cipher,
                                                                 int64_t size) {
  const int64_t start = out.Position();
  // The header was written for `size` bytes: a file that shrank or grew meanwhile is not
  // what it claims. An enciphered entry's CRC is taken here, where the streams take none,
  // for the writer to hold against the one its cipher's header carries.
  uint32_t read = 0;
  auto pump = [&](IByteSink& sink) {
    if (!PumpSource(source, sink, size, cipher ? &read : nullptr)) throw ESourceChanged();
  };
  // The compressed data, or nothing when it came out larger than the file.
  auto compress = [&](auto& stream) -> std::optional<std::pair<uint64_t, uint32_t>> {
    pump(stream);
    if (!stream.Finish()) {
      if (Cancel()) throw ECancelled();
      ReportAndRaise(FileName, msg::ErrorWritingFile, "", "");
    }
    if (out.Position() - start > size) {
      // Progress goes back for the second pass.
      ArchiveBytesLeft += size;
      return std::nullopt;
    }
    return std::make_pair(uint64_t(out.Position() - start), cipher ? read : stream.CRC());
  };
  if (method == kMethodDeflate) {
    TCompressStream deflate(out, int(DeflateType), cipher, FWorkers.get());
    return compress(deflate);
  }
  if (method == kMethodPpmd) {
    // Order 16 and 64 MB, restarting when the memory is full: the word 0x03FF.
    TPpmdCompressStream ppmd(out, FPpmd, TPpmdParams{}, cipher);
    if (ppmd.Failed())
      ReportAndRaise(FileName, msg::UnknownError, "not enough memory for PPMd", "");
    return compress(ppmd);
  }
  if (method == kMethodBzip2) {
    try {
      TBZCompressStream bzip2(out, Bz2BlockSize(int(DeflateType)), cipher);
      return compress(bzip2);
    } catch (const Ebz2Error& error) {
      ReportAndRaise(FileName, msg::UnknownError, error.what(), "");
    }
  }
  TStoreStream store(out, TCrcWidth::crc32, cipher);
  pump(store);
  return std::make_pair(uint64_t(out.Position() - start), cipher ? read : store.CRC());
}

}  // namespace qel
