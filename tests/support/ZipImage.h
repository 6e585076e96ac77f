// Stored-entry ZIP archives built in memory, byte by byte. The layout is written here
// independently of the engine's record code, so tests of the readers check the engine
// against a second account of the format rather than against itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"

namespace qel::test {

using Bytes = std::vector<uint8_t>;

struct ZipEntry {
  std::string name;
  std::string data;
};

struct ZipOptions {
  std::string comment;
  size_t prefix = 0;         // filler bytes in front; the recorded offsets do not count them
  bool zip64 = false;        // Zip64 end record and locator; the end record's fields saturated
  bool extendedEnd = false;  // the engine's 64-bit end record instead of the standard one
  // Non-zero: every local, central and end record uses the enciphered signature family and
  // its fixed part (not the name) is XORed with this byte.
  uint8_t headerKey = 0;
};

struct ZipImage {
  Bytes bytes;
  std::vector<int64_t> localPos;  // positions in `bytes`, prefix included
  int64_t centralPos = 0;
  int64_t centralSize = 0;
  int64_t zip64EndPos = -1;
  int64_t locatorPos = -1;
  int64_t endPos = 0;
};

inline void Put16(Bytes& b, uint64_t v) {
  for (int i = 0; i < 2; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void Put32(Bytes& b, uint64_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void Put64(Bytes& b, uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void PatchU32(Bytes& b, int64_t pos, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[size_t(pos) + size_t(i)] = uint8_t(v >> (8 * i));
}
inline void PatchU64(Bytes& b, int64_t pos, uint64_t v) {
  for (int i = 0; i < 8; ++i) b[size_t(pos) + size_t(i)] = uint8_t(v >> (8 * i));
}
inline void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

inline ZipImage BuildStoredZip(const std::vector<ZipEntry>& entries, const ZipOptions& opt = {}) {
  constexpr uint32_t kDosTime = 0x58A96000;  // 2024-05-09 12:00:00
  ZipImage img;
  Bytes& b = img.bytes;
  b.assign(opt.prefix, 'x');
  const uint64_t base = opt.prefix;
  auto signature = [&](uint32_t plain) { Put32(b, opt.headerKey ? plain + 0x100 : plain); };
  auto encipherFrom = [&](size_t from) {
    for (size_t i = from; opt.headerKey && i < b.size(); ++i) b[i] ^= opt.headerKey;
  };

  std::vector<uint32_t> crcs;
  for (const ZipEntry& e : entries) {
    img.localPos.push_back(int64_t(b.size()));
    crcs.push_back(Crc32(0, e.data.data(), e.data.size()));
    signature(0x04034B50);
    size_t body = b.size();
    Put16(b, 10);  // version needed
    Put16(b, 0);   // flags
    Put16(b, 0);   // stored
    Put32(b, kDosTime);
    Put32(b, crcs.back());
    Put32(b, e.data.size());
    Put32(b, e.data.size());
    Put16(b, e.name.size());
    Put16(b, 0);
    encipherFrom(body);
    Append(b, e.name);
    Append(b, e.data);
  }

  img.centralPos = int64_t(b.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    signature(0x02014B50);
    size_t body = b.size();
    Put16(b, 20);  // version made by
    Put16(b, 10);  // version needed
    Put16(b, 0);
    Put16(b, 0);
    Put32(b, kDosTime);
    Put32(b, crcs[i]);
    Put32(b, entries[i].data.size());
    Put32(b, entries[i].data.size());
    Put16(b, entries[i].name.size());
    Put16(b, 0);  // extra
    Put16(b, 0);  // comment
    Put16(b, 0);  // disk
    Put16(b, 0);  // internal attributes
    Put32(b, 0);  // external attributes
    Put32(b, uint64_t(img.localPos[i]) - base);
    encipherFrom(body);
    Append(b, entries[i].name);
  }
  img.centralSize = int64_t(b.size()) - img.centralPos;
  const uint64_t count = entries.size();
  const uint64_t recordedCentral = uint64_t(img.centralPos) - base;

  if (opt.zip64) {
    img.zip64EndPos = int64_t(b.size());
    Put32(b, 0x06064B50);
    Put64(b, 44);  // size of the rest of the record
    Put16(b, 45);
    Put16(b, 45);
    Put32(b, 0);
    Put32(b, 0);
    Put64(b, count);
    Put64(b, count);
    Put64(b, uint64_t(img.centralSize));
    Put64(b, recordedCentral);
    img.locatorPos = int64_t(b.size());
    Put32(b, 0x07064B50);
    Put32(b, 0);
    Put64(b, uint64_t(img.zip64EndPos) - base);
    Put32(b, 1);
  }

  img.endPos = int64_t(b.size());
  if (opt.extendedEnd) {
    signature(0x06055B50);
    size_t body = b.size();
    Put32(b, 0);
    Put32(b, 0);
    Put64(b, count);
    Put64(b, count);
    Put64(b, uint64_t(img.centralSize));
    Put64(b, recordedCentral);
    Put16(b, opt.comment.size());
    encipherFrom(body);
  } else {
    signature(0x06054B50);
    size_t body = b.size();
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, opt.zip64 ? 0xFFFF : count);
    Put16(b, opt.zip64 ? 0xFFFF : count);
    Put32(b, opt.zip64 ? 0xFFFFFFFF : uint64_t(img.centralSize));
    Put32(b, opt.zip64 ? 0xFFFFFFFF : recordedCentral);
    Put16(b, opt.comment.size());
    encipherFrom(body);
  }
  Append(b, opt.comment);
  return img;
}

// Two small text entries: enough for a central directory of more than one header.
inline std::vector<ZipEntry> TwoEntries() {
  return {{"a.txt", "alpha alpha alpha\n"}, {"dir/b.txt", "bravo\n"}};
}

}  // namespace qel::test
