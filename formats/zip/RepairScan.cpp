#include "formats/zip/RepairScan.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "codecs/crypto/ZipCrypto.h"
#include "engine/base/Bytes.h"
#include "formats/zip/DataDescriptor.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/NameCodec.h"
#include "formats/zip/ZipAes.h"

namespace qel::zip {

namespace {

constexpr uint16_t kMethodStored = 0;
// What a compressor may add to incompressible data: its block headers (a few bytes per
// block) and stream headers; sizes beyond this are garbage rather than a poor compression.
constexpr uint64_t kFixedGrowth = 1024;
constexpr uint64_t kGrowthDivisor = 16;
constexpr uint16_t kMaxJudgedExtra = 4096;

// The compression methods a ZIP entry may name; any other value is garbage.
constexpr std::array<uint16_t, 21> kKnownMethods = {0,  1,  2,  3,  4,  5,  6,  8,  9,  10, 12,
                                                    14, 18, 19, 20, 93, 94, 95, 96, 97, 98};

// A skip table for a four-byte signature: the distance from a byte to the signature's last
// byte when it is one of the signature's bytes, four for every other byte.
using TSkipTable = std::array<uint8_t, 256>;

constexpr TSkipTable SkipTableFor(uint32_t signature) {
  TSkipTable table{};
  table.fill(4);
  for (int k = 0; k < 4; ++k) table[(signature >> (8 * k)) & 0xFF] = uint8_t(3 - k);
  return table;
}

constexpr TSkipTable kLocalSkip = SkipTableFor(kSigLocal);
constexpr TSkipTable kDescriptorSkip = SkipTableFor(kSigDataDescriptor);

// The first `signature` at or after `from` with at least `room` bytes (its own included)
// left in the file.
std::optional<uint64_t> FindSignature(std::span<const uint8_t> file, uint64_t from,
                                      uint32_t signature, const TSkipTable& skip, uint64_t room) {
  for (uint64_t i = from + 3; i < file.size();) {
    const uint8_t step = skip[file[i]];
    if (step != 0) {
      i += step;
      continue;
    }
    const uint64_t at = i - 3;
    if (file.size() - at < room) return std::nullopt;  // later ones have less room still
    if (GetU32(file.data() + at) == signature) return at;
    i += 4;
  }
  return std::nullopt;
}

// The data descriptor closing the data of an entry is the first one whose compressed size is
// its distance from the data's start; earlier signatures are bytes of the data (a stored
// archive holds descriptors of its own). The file's descriptors are listed once, by the start
// they close, so that no candidate searches the rest of the file again.
class TDescriptorIndex {
 public:
  explicit TDescriptorIndex(std::span<const uint8_t> file) : file_(file) {}

  // `wide`: with 64-bit sizes, as after a header with a Zip64 field.
  std::optional<TDescriptor> Closing(uint64_t dataAt, bool wide) {
    std::vector<std::pair<uint64_t, uint64_t>>& starts = Starts(wide);
    const auto it = std::lower_bound(starts.begin(), starts.end(), std::pair(dataAt, uint64_t(0)));
    if (it == starts.end() || it->first != dataAt) return std::nullopt;
    return ReadDescriptor(file_.data() + it->second, it->second, wide);
  }

 private:
  // (start closed, descriptor position), sorted; made on first use.
  std::vector<std::pair<uint64_t, uint64_t>>& Starts(bool wide) {
    std::optional<std::vector<std::pair<uint64_t, uint64_t>>>& starts = starts_[wide];
    if (starts) return *starts;
    starts.emplace();
    const uint64_t size = wide ? kDescriptor64Size : kDescriptorSize;
    uint64_t from = 0;
    while (auto at = FindSignature(file_, from, kSigDataDescriptor, kDescriptorSkip, size)) {
      const TDescriptor d = ReadDescriptor(file_.data() + *at, *at, wide);
      if (d.Packed <= *at) starts->emplace_back(*at - d.Packed, *at);
      from = *at + 4;
    }
    std::sort(starts->begin(), starts->end());
    return *starts;
  }

  std::span<const uint8_t> file_;
  std::optional<std::vector<std::pair<uint64_t, uint64_t>>> starts_[2];
};

// Whether an entry's sizes fit each other: stored data is exactly as long as the file,
// compressed data may be a little longer (incompressible input), and encryption adds its
// header (and for AES its salt, verifier and authentication code).
bool SizesHoldTogether(const LocalHeader& h, const TZipExtra& x, uint64_t packed,
                       uint64_t unpacked) {
  uint16_t method = h.Method;
  uint64_t overhead = 0;
  if (h.Flags & kFlagEncrypted) {
    if (method == kMethodAes) {
      if (!x.Aes || !IsAesStrength(x.Aes->Strength)) return false;
      method = x.Aes->Method;
      overhead = AesSaltSize(x.Aes->Strength) + kAesVerifierSize + kAesAuthCodeSize;
    } else {
      overhead = kZipCryptoHeaderSize;
    }
  } else if (method == kMethodAes) {
    return false;
  }
  if (std::find(kKnownMethods.begin(), kKnownMethods.end(), method) == kKnownMethods.end() ||
      packed < overhead) {
    return false;
  }
  const uint64_t body = packed - overhead;
  if (method == kMethodStored) return body == unpacked;
  return body <= unpacked || body - unpacked <= unpacked / kGrowthDivisor + kFixedGrowth;
}

// Judges the candidate whose signature is at `at` (with a whole fixed header after it); sets
// `next` to the end of an intact entry.
TCandidate Judge(std::span<const uint8_t> file, TDescriptorIndex& descriptors, uint64_t at,
                 uint64_t& next) {
  TCandidate c;
  const LocalHeader h = UnpackLocal(file.data() + at);
  const uint64_t nameAt = at + kLocalHeaderSize;
  if (h.NameLength == 0 || h.NameLength > kRepairMaxNameLength ||
      h.NameLength > file.size() - nameAt) {
    return c;
  }
  const std::string_view stored(reinterpret_cast<const char*>(file.data() + nameAt), h.NameLength);
  if (std::any_of(stored.begin(), stored.end(), [](char b) { return uint8_t(b) < 0x20; })) return c;
  const uint64_t extraAt = nameAt + h.NameLength;
  // Candidates overlap in a hostile file: an extra field walked in full for each of them
  // would cost thousands of times the file's size. Real entries keep theirs small.
  if (h.ExtraLength > kMaxJudgedExtra || h.ExtraLength > file.size() - extraAt) return c;
  const std::span<const uint8_t> extra = file.subspan(extraAt, h.ExtraLength);
  LocalHeader sized = h;  // the Zip64 field fills in its sizes
  const TZipExtra x = ReadLocalExtra(extra, stored, sized);
  c.Name = DecodeLocalName(stored, x);

  const uint64_t dataAt = extraAt + h.ExtraLength;
  TFoundEntry e;
  e.Header = h;
  e.Packed = FullCompressedSize(sized, x);
  e.Unpacked = FullUncompressedSize(sized, x);
  uint64_t end = 0;
  if (h.Flags & kFlagDataDescriptor) {
    const auto d = descriptors.Closing(dataAt, HasExtraField(extra, kExtraZip64));
    if (!d) return c;
    e.Header.Crc = d->Crc;
    e.Packed = d->Packed;
    e.Unpacked = d->Unpacked;
    end = d->End;
  } else {
    if (e.Packed > file.size() - dataAt) return c;
    end = dataAt + e.Packed;
  }
  if (!SizesHoldTogether(h, x, e.Packed, e.Unpacked)) return c;
  e.Offset = at;
  e.Length = end - at;
  e.StoredName = stored;
  e.Extra.assign(extra.begin(), extra.end());
  c.Entry = std::move(e);
  next = end;
  return c;
}

}  // namespace

void ScanLocalHeaders(std::span<const uint8_t> file,
                      const std::function<void(const TCandidate&)>& found) {
  TDescriptorIndex descriptors(file);
  uint64_t from = 0;
  while (auto at = FindSignature(file, from, kSigLocal, kLocalSkip, kLocalHeaderSize)) {
    uint64_t next = *at + 4;
    found(Judge(file, descriptors, *at, next));
    from = next;
  }
}

}  // namespace qel::zip
