#include "tests/support/RarBuilder.h"

#include <algorithm>

#include "codecs/checksum/Blake2sp.h"
#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"

namespace qel::test {

namespace {

// Sets the block's 16-bit header CRC and appends it.
void AppendBlock(Bytes& out, Bytes block) {
  PutU16(&block[5], uint16_t(block.size()));
  PutU16(&block[0], uint16_t(Crc32(0, block.data() + 2, block.size() - 2)));
  out.insert(out.end(), block.begin(), block.end());
}

Bytes StartVolume(bool first, bool volume, bool newNumbering) {
  Bytes out = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  Bytes main(13, 0);
  main[2] = 0x73;
  const uint16_t flags = uint16_t((volume ? 0x0001 : 0) | (newNumbering ? 0x0010 : 0) |
                                  (volume && first ? 0x0100 : 0));
  PutU16(&main[3], flags);
  AppendBlock(out, main);
  return out;
}

void EndVolume(Bytes& out, bool more) {
  Bytes end(7, 0);
  end[2] = 0x7B;
  PutU16(&end[3], uint16_t(0x4000 | (more ? 0x0001 : 0)));
  AppendBlock(out, end);
}

void AppendPart(Bytes& out, const TRarFile& f, size_t from, size_t size, bool before, bool after) {
  Bytes h(32, 0);
  h[2] = 0x74;
  const uint16_t flags = uint16_t(0x8000 | (before ? 0x01 : 0) | (after ? 0x02 : 0) |
                                  (f.folder ? 0xE0 : 0) | (f.encrypted ? 0x04 : 0));
  PutU16(&h[3], flags);
  PutU32(&h[7], uint32_t(size));
  PutU32(&h[11], uint32_t(f.data.size()));
  h[15] = f.host;
  // Parts before the last carry the CRC of their own bytes, the last one the whole file's.
  PutU32(&h[16],
         after ? Crc32(0, f.data.data() + from, size) : Crc32(0, f.data.data(), f.data.size()));
  PutU32(&h[20], 0x5A8E4A21);  // 2025-04-14 09:17:02
  h[24] = 29;
  h[25] = 0x30;
  PutU16(&h[26], uint16_t(f.name.size()));
  PutU32(&h[28], f.attr | (f.folder && f.host != 3 ? 0x10 : 0));
  h.insert(h.end(), f.name.begin(), f.name.end());
  AppendBlock(out, h);
  out.insert(out.end(), f.data.begin() + long(from), f.data.begin() + long(from + size));
}

}  // namespace

std::vector<Bytes> BuildRar4(const std::vector<TRarFile>& files, size_t volumeData,
                             bool newNumbering) {
  const bool volumes = volumeData != 0;
  std::vector<Bytes> out{StartVolume(true, volumes, newNumbering)};
  size_t room = volumes ? volumeData : SIZE_MAX;
  for (const TRarFile& f : files) {
    size_t from = 0;
    do {
      if (room == 0) {
        EndVolume(out.back(), true);
        out.push_back(StartVolume(false, volumes, newNumbering));
        room = volumeData;
      }
      const size_t size = std::min(room, f.data.size() - from);
      AppendPart(out.back(), f, from, size, from > 0, from + size < f.data.size());
      from += size;
      room -= size;
    } while (from < f.data.size());
  }
  EndVolume(out.back(), false);
  return out;
}

namespace {

void PutVint(Bytes& out, uint64_t v) {
  for (; v >= 0x80; v >>= 7) out.push_back(uint8_t(v | 0x80));
  out.push_back(uint8_t(v));
}

// A RAR 5 block: CRC-32, header size, then `header` (type, flags, sizes and fields).
void AppendBlock5(Bytes& out, const Bytes& header) {
  Bytes size;
  PutVint(size, header.size());
  uint32_t crc = Crc32(0, size.data(), size.size());
  crc = Crc32(crc, header.data(), header.size());
  const size_t at = out.size();
  out.resize(at + 4);
  PutU32(&out[at], crc);
  out.insert(out.end(), size.begin(), size.end());
  out.insert(out.end(), header.begin(), header.end());
}

}  // namespace

Bytes BuildRar5(const std::vector<TRarFile>& files, bool blake2) {
  Bytes out = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
  AppendBlock5(out, {1, 0, 0});  // main header: no flags
  for (const TRarFile& f : files) {
    Bytes extra;
    if (blake2) {
      TBlake2sp hash;
      hash.Update(f.data.data(), f.data.size());
      const std::array<uint8_t, 32> digest = hash.Final();
      extra = {34, 2, 0};  // record size, hash record, BLAKE2sp
      extra.insert(extra.end(), digest.begin(), digest.end());
    }
    Bytes h;
    PutVint(h, 2);                                // file header
    PutVint(h, 0x2 | (extra.empty() ? 0 : 0x1));  // data area, extra area
    if (!extra.empty()) PutVint(h, extra.size());
    PutVint(h, f.data.size());
    PutVint(h, (f.folder ? 0x1 : 0) | 0x2 | (blake2 ? 0 : 0x4));  // time, CRC
    PutVint(h, f.data.size());
    PutVint(h, f.attr);
    h.resize(h.size() + 4);
    PutU32(&h[h.size() - 4], 1744622222);
    if (!blake2) {
      h.resize(h.size() + 4);
      PutU32(&h[h.size() - 4], Crc32(0, f.data.data(), f.data.size()));
    }
    PutVint(h, 0);  // stored
    PutVint(h, f.host == 3 ? 1 : 0);
    PutVint(h, f.name.size());
    h.insert(h.end(), f.name.begin(), f.name.end());
    h.insert(h.end(), extra.begin(), extra.end());
    AppendBlock5(out, h);
    out.insert(out.end(), f.data.begin(), f.data.end());
  }
  AppendBlock5(out, {5, 0, 0});  // end of archive
  return out;
}

}  // namespace qel::test
