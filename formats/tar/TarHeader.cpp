#include "formats/tar/TarHeader.h"

#include <algorithm>
#include <cstring>

#include "formats/tar/TarWalker.h"

namespace qel::tar {
namespace {

// Field offsets and sizes of the header block.
constexpr size_t kName = 0, kNameSize = 100;
constexpr size_t kMode = 100, kUid = 108, kGid = 116, kIdSize = 8;
constexpr size_t kSize = 124, kMTime = 136, kBigSize = 12;
constexpr size_t kChecksum = 148, kChecksumSize = 8;
constexpr size_t kTypeFlag = 156;
constexpr size_t kLinkName = 157;
constexpr size_t kMagic = 257;
constexpr size_t kUName = 265, kGName = 297, kOwnerSize = 32;
constexpr size_t kPrefix = 345, kPrefixSize = 155;

using TBlock = std::array<uint8_t, kBlock>;

// `digits` octal digits, zero-padded, then a NUL; false when the value does not fit.
bool PutOctal(uint8_t* field, size_t digits, int64_t value) {
  if (value < 0 || (digits < 21 && value >= int64_t(1) << (3 * digits))) return false;
  for (size_t i = digits; i-- > 0; value >>= 3) field[i] = uint8_t('0' + (value & 7));
  field[digits] = 0;
  return true;
}

// Octal when the value fits the field, else GNU base-256 (two's complement below a 0x80 or
// 0xFF marker byte).
void PutNumber(uint8_t* field, size_t size, int64_t value) {
  if (PutOctal(field, size - 1, value)) return;
  for (size_t i = size; i-- > 1; value >>= 8) field[i] = uint8_t(value & 0xFF);
  field[0] = value < 0 ? 0xFF : 0x80;
}

void PutText(uint8_t* field, size_t size, std::string_view text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(size, text.size()));
}

void SetChecksum(TBlock& b) {
  std::memset(&b[kChecksum], ' ', kChecksumSize);
  uint32_t sum = 0;
  for (const uint8_t c : b) sum += c;
  // Six digits, a NUL and the space already there, as GNU tar writes it.
  PutOctal(&b[kChecksum], 6, sum);
}

void Append(std::vector<uint8_t>& out, const TBlock& b) {
  out.insert(out.end(), b.begin(), b.end());
}

// A GNU long-name ('L') or long-link ('K') block and the name it carries.
void AppendLongName(std::vector<uint8_t>& out, char type, std::string_view name) {
  TBlock b{};
  PutText(&b[kName], kNameSize, "././@LongLink");
  PutOctal(&b[kMode], 7, 0);
  PutOctal(&b[kUid], 7, 0);
  PutOctal(&b[kGid], 7, 0);
  PutNumber(&b[kSize], kBigSize, int64_t(name.size()) + 1);
  PutOctal(&b[kMTime], 11, 0);
  b[kTypeFlag] = uint8_t(type);
  std::memcpy(&b[kMagic], "ustar  ", 8);
  PutText(&b[kUName], kOwnerSize - 1, "root");
  PutText(&b[kGName], kOwnerSize - 1, "root");
  SetChecksum(b);
  Append(out, b);
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
  out.resize(out.size() + size_t(Padding(int64_t(out.size()))), 0);
}

}  // namespace

std::optional<int64_t> ReadNumber(const uint8_t* field, size_t size) {
  if (size == 0) return 0;
  if (field[0] == 0x80 || field[0] == 0xFF) {
    const bool negative = field[0] == 0xFF;
    uint64_t v = negative ? ~uint64_t(0) : 0;
    for (size_t i = 1; i < size; ++i) {
      // Only sign bits may be shifted out, and the sign must survive the shift.
      if (negative ? (v >> 55) != 0x1FF : (v >> 55) != 0) return std::nullopt;
      v = (v << 8) | field[i];
    }
    return int64_t(v);
  }
  size_t i = 0;
  while (i < size && (field[i] == ' ' || field[i] == 0)) ++i;
  uint64_t v = 0;
  for (; i < size && field[i] >= '0' && field[i] <= '7'; ++i) {
    if (v >> 60) return std::nullopt;
    v = v * 8 + uint64_t(field[i] - '0');
  }
  if (i < size && field[i] != ' ' && field[i] != 0) return std::nullopt;
  return int64_t(v);
}

bool IsZeroBlock(const uint8_t* block) {
  return std::all_of(block, block + kBlock, [](uint8_t c) { return c == 0; });
}

uint32_t StoredChecksum(const uint8_t* block) {
  if (block[kChecksum] & 0x80) return 0;
  const std::optional<int64_t> v = ReadNumber(block + kChecksum, kChecksumSize);
  return v && *v <= int64_t(UINT32_MAX) ? uint32_t(*v) : 0;
}

bool ChecksumHolds(const uint8_t* block) {
  if (IsZeroBlock(block) || (block[kChecksum] & 0x80)) return false;
  const std::optional<int64_t> stored = ReadNumber(block + kChecksum, kChecksumSize);
  if (!stored) return false;
  int64_t unsignedSum = 0, signedSum = 0;
  for (size_t i = 0; i < size_t(kBlock); ++i) {
    const bool own = i >= kChecksum && i < kChecksum + kChecksumSize;
    unsignedSum += own ? ' ' : block[i];
    signedSum += own ? ' ' : int8_t(block[i]);
  }
  return *stored == unsignedSum || *stored == signedSum;
}

std::vector<uint8_t> MemberHeaders(const TTarFields& f) {
  std::string name = f.Name;
  if (f.Folder && (name.empty() || name.back() != '/')) name += '/';
  std::vector<uint8_t> out;
  if (name.size() > kNameSize) AppendLongName(out, 'L', name);
  TBlock b{};
  PutText(&b[kName], kNameSize, name);
  const uint32_t perm = f.Mode == 0 ? (f.Folder ? 0755 : 0644) : f.Mode & 07777;
  PutNumber(&b[kMode], kIdSize, (f.Folder ? 0040000 : 0100000) | perm);
  PutNumber(&b[kUid], kIdSize, f.Uid);
  PutNumber(&b[kGid], kIdSize, f.Gid);
  PutNumber(&b[kSize], kBigSize, f.Folder ? 0 : f.Size);
  PutNumber(&b[kMTime], kBigSize, f.MTime);
  b[kTypeFlag] = f.Folder ? '5' : '0';
  std::memcpy(&b[kMagic], "ustar  ", 8);
  PutText(&b[kUName], kOwnerSize - 1, f.UName);
  PutText(&b[kGName], kOwnerSize - 1, f.GName);
  SetChecksum(b);
  Append(out, b);
  return out;
}

std::vector<uint8_t> RenamedHeaders(const TTarMember& m, std::string_view newName) {
  std::vector<uint8_t> out;
  if (m.LinkName.size() > kNameSize) AppendLongName(out, 'K', m.LinkName);
  if (newName.size() > kNameSize) AppendLongName(out, 'L', newName);
  TBlock b = m.Header;
  PutText(&b[kName], kNameSize, newName);
  PutText(&b[kLinkName], kNameSize, m.LinkName);
  // Old GNU headers keep other data where ustar has its prefix.
  if (std::memcmp(&b[kMagic], "ustar", 6) == 0) std::memset(&b[kPrefix], 0, kPrefixSize);
  // A pax header that gave them is not written again: the block itself must hold them.
  if (ReadNumber(&b[kSize], kBigSize) != m.Size) PutNumber(&b[kSize], kBigSize, m.Size);
  if (ReadNumber(&b[kMTime], kBigSize) != m.MTime) PutNumber(&b[kMTime], kBigSize, m.MTime);
  SetChecksum(b);
  Append(out, b);
  return out;
}

std::vector<uint8_t> PaxHeadersWithout(const uint8_t* header, std::string_view records,
                                       std::initializer_list<std::string_view> dropped) {
  std::string kept;
  while (!records.empty()) {
    // "LEN key=value\n", LEN counting the whole record, as the walk checked it.
    const size_t space = records.find(' ');
    size_t length = 0;
    for (size_t i = 0; i < space && i < records.size(); ++i)
      length = length * 10 + size_t(records[i] - '0');
    if (space == std::string_view::npos || length == 0 || length > records.size()) break;
    const std::string_view record = records.substr(0, length);
    const std::string_view key = record.substr(space + 1, record.find('=') - space - 1);
    if (std::find(dropped.begin(), dropped.end(), key) == dropped.end()) kept += record;
    records.remove_prefix(length);
  }
  if (kept.empty()) return {};
  TBlock b;
  std::memcpy(b.data(), header, kBlock);
  PutNumber(&b[kSize], kBigSize, int64_t(kept.size()));
  SetChecksum(b);
  std::vector<uint8_t> v(b.begin(), b.end());
  v.insert(v.end(), kept.begin(), kept.end());
  v.resize(v.size() + size_t(Padding(int64_t(kept.size()))));
  return v;
}

}  // namespace qel::tar
