// One 512-byte TAR header block: its numeric fields, its checksum, and the headers the writer
// makes. Blocks are read in every dialect that is met (v7, old GNU, ustar, pax); new members
// are written in the old GNU form, with a GNU long-name block before a name of more than 100
// bytes, which every tar reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::tar {

struct TTarMember;

inline constexpr int64_t kBlock = 512;
// The zeros that fill the last block of `size` bytes of data.
constexpr int64_t Padding(int64_t size) { return (kBlock - size % kBlock) % kBlock; }
inline constexpr size_t kMaxLongName = 64 * 1024;  // a longer GNU long name or pax record set is
                                                   // a bad header

// A numeric field: octal digits (leading spaces and NULs skipped, ending at the first NUL or
// space after the digits; a field of nothing but those reads as 0), read as 64-bit; or GNU
// base-256 (first byte 0x80: positive, 0xFF: negative, big-endian in the rest). nullopt when
// it overflows 64 bits or holds something else.
std::optional<int64_t> ReadNumber(const uint8_t* field, size_t size);
bool IsZeroBlock(const uint8_t* block);
// The stored checksum equals the sum of the 512 bytes as unsigned values with the 8 checksum
// bytes counted as spaces (or the signed sum, as some old writers made it). An all-zero block
// fails.
bool ChecksumHolds(const uint8_t* block);
uint32_t StoredChecksum(const uint8_t* block);  // for the listing's CRC column; 0 when unreadable

// What the writer knows of one new member.
struct TTarFields {
  std::string Name;  // UTF-8, '/'-separated; a folder's ends with '/' (added when missing)
  bool Folder = false;
  int64_t Size = 0;   // 0 for folders
  int64_t MTime = 0;  // Unix seconds
  uint32_t Mode = 0;  // permission bits (07777 at most)
  uint32_t Uid = 2, Gid = 2;
  std::string UName = "root", GName = "root";
};
// The blocks that go before the member's data, a multiple of 512 bytes.
std::vector<uint8_t> MemberHeaders(const TTarFields& f);

// Headers for a kept member written again under a new name (renaming in an update): the
// member's own header block as stored, with the name replaced (a long-name block first when
// the new name is longer than 100 bytes), the ustar prefix field cleared, size and mtime as
// the member has them (pax or base-256 values kept: sizes >= 8 GiB in base-256), a GNU 'K'
// block first when the link name is longer than 100 bytes, checksum recomputed.
std::vector<uint8_t> RenamedHeaders(const TTarMember& m, std::string_view newName);

// A pax extended header block (`header`) and its records again, less those of the `dropped`
// keys (the name and link a renamed member's own headers now carry), padded to whole
// blocks; empty when no record is left.
std::vector<uint8_t> PaxHeadersWithout(const uint8_t* header, std::string_view records,
                                       std::initializer_list<std::string_view> dropped);

}  // namespace qel::tar
