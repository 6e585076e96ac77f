#include "formats/rar/RarBlocks.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "engine/base/DateTime.h"
#include "engine/text/EntryNames.h"
#include "engine/text/Utf8.h"

namespace qel::rar {

namespace {

// RAR 1.5 to 4.x block types and flags.
enum : uint8_t { kMainHead = 0x73, kFileHead = 0x74, kServiceHead = 0x7A, kEndHead = 0x7B };
enum : uint16_t {
  kLongBlock = 0x8000,  // a 32-bit data size follows the block head
  // Main header.
  kMainVolume = 0x0001,
  kMainComment = 0x0002,  // RAR 2 keeps the comment inside the main header
  kMainLock = 0x0004,
  kMainSolid = 0x0008,
  kMainNewNumbering = 0x0010,
  kMainPassword = 0x0080,  // every header after this one is enciphered
  kMainFirstVolume = 0x0100,
  // File header.
  kFileSplitBefore = 0x0001,
  kFileSplitAfter = 0x0002,
  kFilePassword = 0x0004,
  kFileComment = 0x0008,  // RAR 2 keeps the file's comment inside its header
  kFileSolid = 0x0010,
  kFileDictMask = 0x00E0,  // all bits set marks a folder
  kFileLarge = 0x0100,     // 64-bit sizes
  kFileUnicode = 0x0200,
  kFileSalt = 0x0400,
  kFileExtTime = 0x1000,
  // End-of-archive block.
  kEndNextVolume = 0x0001,
};
constexpr uint64_t kMaxSize = uint64_t(INT64_MAX);  // what a file's size can be here
constexpr int kMainSize = 13;  // the main header's fixed part, all RAR 2's CRC covers
constexpr int kFileFixed = 32;

constexpr uint8_t kSignature4[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
constexpr uint8_t kSignature5[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};

bool CrcMatches(const std::vector<uint8_t>& h, size_t end, uint16_t stored) {
  return end <= h.size() && (Crc32(0, h.data() + 2, end - 2) & 0xFFFF) == stored;
}

// The Unicode name RAR 3 stores after the OEM name and a zero byte: a run of 16-bit
// characters coded against the OEM bytes, with one high byte shared by the whole name.
// Answers UTF-16LE bytes; stops where the coded bytes or the OEM name run out.
std::string DecodeRar4Unicode(const uint8_t* oem, size_t oemSize, const uint8_t* enc,
                              size_t encSize) {
  std::string out;
  const auto put = [&](unsigned unit) {
    out += char(unit & 0xFF);
    out += char(unit >> 8);
  };
  size_t ep = 0;
  if (encSize == 0) return out;
  const unsigned high = enc[ep++];
  unsigned flags = 0;
  int flagBits = 0;
  constexpr size_t kMaxUnits = 2048;
  while (ep < encSize && out.size() / 2 < kMaxUnits) {
    if (flagBits == 0) {
      flags = enc[ep++];
      flagBits = 8;
    }
    switch (flags >> 6) {
      case 0:  // a character below 256
        if (ep >= encSize) return out;
        put(enc[ep++]);
        break;
      case 1:  // a character with the shared high byte
        if (ep >= encSize) return out;
        put(enc[ep++] | (high << 8));
        break;
      case 2:  // a whole 16-bit character
        if (ep + 1 >= encSize) return out;
        put(enc[ep] | (enc[ep + 1] << 8));
        ep += 2;
        break;
      default: {  // a run taken from the OEM name, corrected or as it stands
        if (ep >= encSize) return out;
        unsigned length = enc[ep++];
        const bool corrected = length & 0x80;
        unsigned correction = 0;
        if (corrected) {
          if (ep >= encSize) return out;
          correction = enc[ep++];
        }
        for (length = (length & 0x7F) + 2; length > 0; --length) {
          const size_t at = out.size() / 2;
          if (at >= oemSize) return out;
          put(corrected ? ((oem[at] + correction) & 0xFF) | (high << 8) : oem[at]);
        }
        break;
      }
    }
    flags = (flags << 2) & 0xFF;
    flagBits -= 2;
  }
  return out;
}

std::string Rar4Name(const uint8_t* p, size_t size, bool unicode) {
  if (unicode) {
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(p, 0, size));
    std::string name;
    if (!zero) {
      name = text::SanitizeUtf8(std::string_view(reinterpret_cast<const char*>(p), size));
    } else {
      const size_t oemSize = size_t(zero - p);
      const std::string units = DecodeRar4Unicode(p, oemSize, zero + 1, size - oemSize - 1);
      name = text::Utf16LeToUtf8(reinterpret_cast<const uint8_t*>(units.data()), units.size() / 2);
    }
    text::UseForwardSlashes(name);
    return name;
  }
  return text::DecodeEntryName(std::string_view(reinterpret_cast<const char*>(p), size),
                               text::TNameCodePage::Oem);
}

// RAR 3's extended times: a flags word, then per time its fields; only the modification
// time is kept, whose one extra second the DOS time cannot hold.
bool ReadExtTime(const std::vector<uint8_t>& h, size_t p, TRarPart& part) {
  if (p + 2 > h.size()) return false;
  const unsigned flags = GetU16(&h[p]);
  p += 2;
  for (int i = 0; i < 4; ++i) {
    const unsigned mode = (flags >> ((3 - i) * 4)) & 0xF;
    if (!(mode & 8)) continue;
    if (i != 0) p += 4;  // the other times carry a DOS time of their own
    p += mode & 3;       // fractions of a second
    if (p > h.size()) return false;
    if (i == 0) part.UnixTime = DosDateTimeToUnix(part.DosTime) + ((mode & 4) ? 1 : 0);
  }
  return true;
}

bool ReadVint(const uint8_t*& p, const uint8_t* end, uint64_t& value) {
  value = 0;
  for (int shift = 0; shift < 64 && p < end; shift += 7) {
    const uint8_t b = *p++;
    value |= uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

}  // namespace

int RarSignatureVersion(const uint8_t* data) {
  if (std::memcmp(data, kSignature5, sizeof kSignature5) == 0) return 5;
  if (std::memcmp(data, kSignature4, sizeof kSignature4) == 0) return 4;
  return 0;
}

bool TRarBlockReader::Read(int64_t pos, uint8_t* data, int64_t size) const {
  return pos >= 0 && size >= 0 && pos <= size_ && size <= size_ - pos && read_(pos, data, size);
}

THeaderRead TRarBlockReader::Open(TReadAt read, int64_t volumeSize, int64_t start) {
  read_ = std::move(read);
  size_ = volumeSize;
  archive_ = {};
  ended_ = moreVolumes_ = lastSplitAfter_ = false;
  uint8_t sig[8];
  if (!Read(start, sig, sizeof sig)) return THeaderRead::Bad;
  switch (RarSignatureVersion(sig)) {
    case 4:
      pos_ = start + int64_t(sizeof kSignature4);
      return OpenRar4();
    case 5:
      pos_ = start + int64_t(sizeof kSignature5);
      archive_.Rar5 = true;
      return OpenRar5();
    default:
      return THeaderRead::Bad;
  }
}

THeaderRead TRarBlockReader::Next(TRarPart& part) {
  if (ended_ || archive_.EncryptedHeaders) return THeaderRead::End;
  part = {};
  const THeaderRead r = archive_.Rar5 ? NextRar5(part) : NextRar4(part);
  if (r != THeaderRead::Ok) ended_ = true;
  lastSplitAfter_ = r == THeaderRead::Ok && part.SplitAfter;
  return r;
}

// ---- RAR 1.5 to 4.x ----

THeaderRead TRarBlockReader::OpenRar4() {
  uint8_t head[7];
  if (!Read(pos_, head, 7) || head[2] != kMainHead) return THeaderRead::Bad;
  const unsigned flags = GetU16(head + 3);
  const unsigned size = GetU16(head + 5);
  std::vector<uint8_t> h(size);
  if (size < kMainSize || !Read(pos_, h.data(), size)) return THeaderRead::Bad;
  const uint16_t crc = GetU16(head);
  if (!CrcMatches(h, size, crc) && !CrcMatches(h, kMainSize, crc)) return THeaderRead::Bad;
  archive_.Volume = flags & kMainVolume;
  archive_.Commented = flags & kMainComment;
  archive_.Locked = flags & kMainLock;
  archive_.Solid = flags & kMainSolid;
  archive_.NewNumbering = flags & kMainNewNumbering;
  archive_.EncryptedHeaders = flags & kMainPassword;
  archive_.FirstVolume = flags & kMainFirstVolume;
  pos_ += size;
  return THeaderRead::Ok;
}

THeaderRead TRarBlockReader::NextRar4(TRarPart& part) {
  for (;;) {
    uint8_t head[7];
    // Archives before RAR 3 end without an end block: a set goes on where a file does. A
    // block head cut short is damage.
    if (!Read(pos_, head, 7)) {
      moreVolumes_ = archive_.Volume && lastSplitAfter_;
      return pos_ == size_ ? THeaderRead::End : THeaderRead::Bad;
    }
    const uint8_t type = head[2];
    const unsigned flags = GetU16(head + 3);
    const unsigned size = GetU16(head + 5);
    if (size < 7 || type < 0x72 || type > kEndHead) return THeaderRead::Bad;
    std::vector<uint8_t> h(size);
    if (!Read(pos_, h.data(), size)) return THeaderRead::Bad;
    const bool fileLike = type == kFileHead || type == kServiceHead;
    uint64_t dataSize = 0;
    if (fileLike) {
      if (size < kFileFixed + ((flags & kFileLarge) ? 8u : 0u)) return THeaderRead::Bad;
      dataSize = GetU32(&h[7]);
      if (flags & kFileLarge) dataSize |= uint64_t(GetU32(&h[32])) << 32;
    } else if (flags & kLongBlock) {
      if (size < 11) return THeaderRead::Bad;
      dataSize = GetU32(&h[7]);
    }
    const int64_t blockStart = pos_;
    const int64_t dataStart = pos_ + size;
    if (dataSize > uint64_t(size_ - dataStart)) return THeaderRead::Bad;
    pos_ = dataStart + int64_t(dataSize);
    if (type == kEndHead) {
      moreVolumes_ = archive_.Volume && (flags & kEndNextVolume);
      return THeaderRead::End;
    }
    if (type != kFileHead) continue;

    size_t p = (flags & kFileLarge) ? 40 : kFileFixed;
    const size_t nameSize = GetU16(&h[26]);
    if (p + nameSize > size) return THeaderRead::Bad;
    // RAR 2 files with a comment have it inside the header, outside what the CRC covers.
    const uint16_t crc = GetU16(&h[0]);
    if (!CrcMatches(h, size, crc) && !((flags & kFileComment) && CrcMatches(h, p + nameSize, crc)))
      return THeaderRead::Bad;
    part.Packed = dataSize;
    part.Unpacked = GetU32(&h[11]) | ((flags & kFileLarge) ? uint64_t(GetU32(&h[36])) << 32 : 0);
    if (part.Unpacked > kMaxSize) return THeaderRead::Bad;
    part.HostOS = h[15];
    part.Crc = GetU32(&h[16]);
    part.DosTime = GetU32(&h[20]);
    part.UnpVer = h[24];
    part.Method = h[25];
    part.Attr = GetU32(&h[28]);
    part.Name = Rar4Name(&h[p], nameSize, flags & kFileUnicode);
    p += nameSize;
    if (flags & kFileSalt) p += 8;
    if (p > size || ((flags & kFileExtTime) && !ReadExtTime(h, p, part))) return THeaderRead::Bad;
    part.SplitBefore = flags & kFileSplitBefore;
    part.SplitAfter = flags & kFileSplitAfter;
    part.Encrypted = flags & kFilePassword;
    part.Solid = flags & kFileSolid;
    const unsigned dict = (flags & kFileDictMask) >> 5;
    const bool unixHost = part.HostOS == kHostUnix;
    part.Directory = dict == 7 || (unixHost ? (part.Attr & 0xF000) == 0x4000 : part.Attr & 0x10);
    part.DictSizeKB = part.Directory ? 0 : 64u << dict;
    if (unixHost && (part.Attr & 0xF000) == 0xA000) part.LinkType = kLinkUnixSymlink;
    part.HeaderStart = blockStart;
    part.DataStart = dataStart;
    return THeaderRead::Ok;
  }
}

// ---- RAR 5 ----

namespace {

enum : uint64_t { kHead5Main = 1, kHead5File = 2, kHead5Crypt = 4, kHead5End = 5 };
enum : uint64_t {
  kBlockExtra = 0x1,
  kBlockData = 0x2,
  kBlockSplitBefore = 0x8,
  kBlockSplitAfter = 0x10,
};
constexpr uint64_t kMaxHeader5 = 2 << 20;  // RAR 5 never writes a longer header

// One RAR 5 block: its header bytes after the size field, and where its data lies.
struct TBlock5 {
  std::vector<uint8_t> Body;  // from the type field to the end of the header
  uint64_t Type = 0, Flags = 0, ExtraSize = 0, DataSize = 0;
  size_t FieldsAt = 0;  // where the type's own fields start in Body
  int64_t DataStart = 0;
};

THeaderRead ReadBlock5(const TReadAt& read, int64_t size, int64_t pos, TBlock5& b) {
  uint8_t start[14];
  const int64_t have = std::min<int64_t>(sizeof start, size - pos);
  if (have < 6 || !read(pos, start, have)) return THeaderRead::Bad;
  const uint8_t* p = start + 4;
  uint64_t headerSize = 0;
  if (!ReadVint(p, start + have, headerSize) || headerSize == 0 || headerSize > kMaxHeader5)
    return THeaderRead::Bad;
  const int64_t bodyAt = pos + (p - start);
  if (int64_t(headerSize) > size - bodyAt) return THeaderRead::Bad;
  b.Body.resize(headerSize);
  if (!read(bodyAt, b.Body.data(), int64_t(headerSize))) return THeaderRead::Bad;
  // The CRC covers the size field and the header.
  uint32_t crc = Crc32(0, start + 4, size_t(p - (start + 4)));
  crc = Crc32(crc, b.Body.data(), b.Body.size());
  if (crc != GetU32(start)) return THeaderRead::Bad;
  const uint8_t* q = b.Body.data();
  const uint8_t* end = q + b.Body.size();
  if (!ReadVint(q, end, b.Type) || !ReadVint(q, end, b.Flags)) return THeaderRead::Bad;
  if ((b.Flags & kBlockExtra) && !ReadVint(q, end, b.ExtraSize)) return THeaderRead::Bad;
  if ((b.Flags & kBlockData) && !ReadVint(q, end, b.DataSize)) return THeaderRead::Bad;
  b.FieldsAt = size_t(q - b.Body.data());
  if (b.ExtraSize > b.Body.size() - b.FieldsAt) return THeaderRead::Bad;
  b.DataStart = bodyAt + int64_t(headerSize);
  if (b.DataSize > uint64_t(size - b.DataStart)) return THeaderRead::Bad;
  return THeaderRead::Ok;
}

}  // namespace

THeaderRead TRarBlockReader::OpenRar5() {
  archive_.NewNumbering = true;
  TBlock5 b;
  if (ReadBlock5(read_, size_, pos_, b) != THeaderRead::Ok) return THeaderRead::Bad;
  if (b.Type == kHead5Crypt) {
    archive_.EncryptedHeaders = true;
    return THeaderRead::Ok;
  }
  if (b.Type != kHead5Main) return THeaderRead::Bad;
  const uint8_t* q = b.Body.data() + b.FieldsAt;
  const uint8_t* end = b.Body.data() + b.Body.size() - b.ExtraSize;
  uint64_t flags = 0, number = 0;
  if (!ReadVint(q, end, flags) || ((flags & 0x2) && !ReadVint(q, end, number)))
    return THeaderRead::Bad;
  archive_.Volume = flags & 0x1;
  archive_.FirstVolume = archive_.Volume && !(flags & 0x2);
  archive_.Solid = flags & 0x4;
  archive_.Locked = flags & 0x10;
  pos_ = b.DataStart + int64_t(b.DataSize);
  return THeaderRead::Ok;
}

namespace {

// The extra records of a file header that the listing shows: encryption, times, links.
bool ReadFileExtra5(const uint8_t* q, const uint8_t* end, TRarPart& part) {
  bool keyed = false;
  while (q < end) {
    uint64_t size = 0, type = 0;
    if (!ReadVint(q, end, size) || size == 0 || size > uint64_t(end - q)) return false;
    const uint8_t* recEnd = q + size;
    if (!ReadVint(q, recEnd, type)) return false;
    uint64_t flags = 0;
    switch (type) {
      case 1:  // encryption: with its "MAC" flag the stored check values are keyed
        part.Encrypted = true;
        if (!ReadVint(q, recEnd, flags) || !ReadVint(q, recEnd, flags)) return false;
        if (flags & 0x2) part.HasCrc = part.HasBlake2 = false;
        keyed = flags & 0x2;
        break;
      case 2:  // the data's hash: type 0 is BLAKE2sp
        if (!ReadVint(q, recEnd, flags)) return false;
        if (flags == 0 && recEnd - q >= 32 && !keyed) {
          std::memcpy(part.Blake2.data(), q, 32);
          part.HasBlake2 = true;
        }
        break;
      case 3:  // times: Unix seconds or Windows file times
        if (!ReadVint(q, recEnd, flags)) return false;
        if (flags & 0x2) {
          if (flags & 0x1) {
            if (recEnd - q < 4) return false;
            part.UnixTime = GetU32(q);
          } else {
            if (recEnd - q < 8) return false;
            part.UnixTime = FileTimeToUnix(GetU64(q));
          }
          part.DosTime = UnixToDosDateTime(part.UnixTime);
        }
        break;
      case 5:  // redirection: a link of some kind
        if (!ReadVint(q, recEnd, flags)) return false;
        part.LinkType = uint8_t(flags == 0 || flags > 255 ? 255 : flags);
        break;
      default:
        break;
    }
    q = recEnd;
  }
  return true;
}

}  // namespace

THeaderRead TRarBlockReader::NextRar5(TRarPart& part) {
  for (;;) {
    TBlock5 b;
    // RAR 5 always ends with its end block: a volume without one was cut short.
    if (pos_ >= size_) return THeaderRead::Bad;
    if (ReadBlock5(read_, size_, pos_, b) != THeaderRead::Ok) return THeaderRead::Bad;
    const int64_t blockStart = pos_;
    pos_ = b.DataStart + int64_t(b.DataSize);
    const uint8_t* q = b.Body.data() + b.FieldsAt;
    const uint8_t* extra = b.Body.data() + b.Body.size() - b.ExtraSize;
    if (b.Type == kHead5End) {
      uint64_t flags = 0;
      if (!ReadVint(q, extra, flags)) return THeaderRead::Bad;
      moreVolumes_ = archive_.Volume && (flags & 0x1);
      return THeaderRead::End;
    }
    if (b.Type != kHead5File) continue;  // service headers, and kinds to come

    uint64_t fileFlags = 0, unpacked = 0, attr = 0, compression = 0, host = 0, nameSize = 0;
    if (!ReadVint(q, extra, fileFlags) || !ReadVint(q, extra, unpacked) ||
        !ReadVint(q, extra, attr))
      return THeaderRead::Bad;
    if (fileFlags & 0x2) {
      if (extra - q < 4) return THeaderRead::Bad;
      part.UnixTime = GetU32(q);
      part.DosTime = UnixToDosDateTime(part.UnixTime);
      q += 4;
    }
    part.HasCrc = fileFlags & 0x4;
    if (part.HasCrc) {
      if (extra - q < 4) return THeaderRead::Bad;
      part.Crc = GetU32(q);
      q += 4;
    }
    if (!ReadVint(q, extra, compression) || !ReadVint(q, extra, host) ||
        !ReadVint(q, extra, nameSize) || nameSize > uint64_t(extra - q))
      return THeaderRead::Bad;
    part.Name = text::SanitizeUtf8(std::string_view(reinterpret_cast<const char*>(q), nameSize));
    if (!ReadFileExtra5(extra, b.Body.data() + b.Body.size(), part)) return THeaderRead::Bad;
    if (!part.HasCrc) part.Crc = 0;
    part.Directory = fileFlags & 0x1;
    part.Unpacked = (fileFlags & 0x8) ? 0 : unpacked;
    if (part.Unpacked > kMaxSize) return THeaderRead::Bad;
    part.Attr = uint32_t(attr);
    part.HostOS = host == 1 ? kHostUnix : kHostWin32;
    part.UnpVer = (compression & 0x3F) == 0 ? 50 : 70;
    part.Solid = compression & 0x40;
    part.Method = uint8_t(0x30 + ((compression >> 7) & 7));
    part.DictSizeKB = part.Directory ? 0 : uint32_t(128) << ((compression >> 10) & 0xF);
    part.Packed = b.DataSize;
    part.SplitBefore = b.Flags & kBlockSplitBefore;
    part.SplitAfter = b.Flags & kBlockSplitAfter;
    part.HeaderStart = blockStart;
    part.DataStart = b.DataStart;
    return THeaderRead::Ok;
  }
}

}  // namespace qel::rar
