#include "formats/zip/ExtraFields.h"

#include <algorithm>

#include "codecs/checksum/Crc.h"
#include "engine/base/Bytes.h"
#include "engine/text/Utf8.h"

namespace qel::zip {
namespace {

// The header fields a Zip64 field stands in for, in the order its values appear.
struct Zip64Targets {
  uint32_t* Uncompressed;
  uint32_t* Compressed;
  uint32_t* LocalOffset;  // nullptr in a local header
  uint16_t* DiskStart;    // nullptr in a local header
};

// Each value is present only when its header field is all ones, and is read only while
// the field's data still holds it; a missing value ends the field.
void ReadZip64(std::span<const uint8_t> data, const Zip64Targets& t, TZipExtra& x) {
  size_t at = 0;
  auto take = [&](uint32_t* field, uint32_t& high) {
    if (!field || *field != kZip64Marker) return true;
    if (data.size() - at < 8) return false;
    const uint64_t value = GetU64(data.data() + at);
    at += 8;
    *field = uint32_t(value);
    high = uint32_t(value >> 32);
    return true;
  };
  if (!take(t.Uncompressed, x.UncompressedHigh) || !take(t.Compressed, x.CompressedHigh) ||
      !take(t.LocalOffset, x.LocalOffsetHigh)) {
    return;
  }
  if (t.DiskStart && *t.DiskStart == kZip64DiskMarker && data.size() - at >= 4) {
    x.DiskStart = GetU32(data.data() + at);
  }
}

// The modification time of an NTFS-times field: after 4 reserved bytes come tagged
// attributes, and attribute 1 starts with the modification FILETIME (100 ns since 1601).
std::optional<int64_t> NtfsModification(std::span<const uint8_t> data) {
  constexpr uint64_t kTicksPerSecond = 10'000'000;
  constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
  size_t at = 4;
  while (data.size() >= at + 4) {
    const uint16_t tag = GetU16(data.data() + at);
    const size_t size = GetU16(data.data() + at + 2);
    at += 4;
    if (size > data.size() - at) break;
    if (tag == 1 && size >= 8) {
      const uint64_t ticks = GetU64(data.data() + at);
      if (ticks == 0) break;
      return int64_t(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
    }
    at += size;
  }
  return std::nullopt;
}

// A Unicode path field is version 1, the CRC-32 of the name the header holds, then the
// name in UTF-8. A CRC that does not match means the entry was renamed by a tool that left
// the field behind: the field no longer describes the entry and is ignored.
std::optional<std::string> UnicodePath(std::span<const uint8_t> data, std::string_view storedName) {
  if (data.size() < 5 || data[0] != 1) return std::nullopt;
  if (GetU32(data.data() + 1) != Crc32(0, storedName.data(), storedName.size())) {
    return std::nullopt;
  }
  std::string name(reinterpret_cast<const char*>(data.data() + 5), data.size() - 5);
  if (name.empty() || !text::IsValidUtf8(name)) return std::nullopt;
  return name;
}

TZipExtra Walk(std::span<const uint8_t> area, std::string_view storedName,
               const Zip64Targets& targets) {
  TZipExtra x;
  size_t pos = 0;
  while (area.size() - pos > 4) {
    const uint16_t id = GetU16(area.data() + pos);
    const size_t size = GetU16(area.data() + pos + 2);
    if (size > area.size() - pos - 4) break;
    const std::span<const uint8_t> field = area.subspan(pos, 4 + size);
    const std::span<const uint8_t> data = field.subspan(4);
    const uint8_t* d = data.data();
    switch (id) {
      case kExtraZip64:
        ReadZip64(data, targets, x);
        break;
      case kExtraSizeExtension:
        if (size >= 8) {
          x.CompressedHigh = GetU16(d);
          x.UncompressedHigh = GetU16(d + 2);
          x.LocalOffsetHigh = GetU32(d + 4);
        }
        break;
      case kExtraNtfsTimes:
        x.NtfsTimes.assign(field.begin(), field.end());
        x.NtfsModified = NtfsModification(data);
        break;
      case kExtraUnixTimes:
        // Flag bit 0 announces the modification time, 32-bit Unix seconds (read unsigned:
        // writers past 2038 count on it).
        if (size >= 5 && (d[0] & 1)) x.UnixModified = int64_t(GetU32(d + 1));
        break;
      case kExtraStrongEncryption:
        x.StrongEncryption.assign(field.begin(), field.end());
        break;
      case kExtraUnicodePath:
        if (auto name = UnicodePath(data, storedName)) x.UnicodeName = std::move(name);
        break;
      case kExtraAes:
        if (size >= 7) x.Aes = TAesExtra{GetU16(d), GetU16(d + 2), d[4], GetU16(d + 5)};
        break;
      default:
        break;
    }
    pos += 4 + size;
  }
  return x;
}

void AppendField(std::vector<uint8_t>& extra, uint16_t id, const uint8_t* data, size_t size) {
  uint8_t head[4];
  PutU16(head, id);
  PutU16(head + 2, uint16_t(size));
  extra.insert(extra.end(), head, head + 4);
  extra.insert(extra.end(), data, data + size);
}

void RaiseToZip64(uint16_t& versionNeeded) {
  versionNeeded = std::max(versionNeeded, kVersionZip64);
}

}  // namespace

TZipExtra ReadLocalExtra(std::span<const uint8_t> area, std::string_view storedName,
                         LocalHeader& h) {
  return Walk(area, storedName, {&h.UncompressedSize, &h.CompressedSize, nullptr, nullptr});
}

TZipExtra ReadCentralExtra(std::span<const uint8_t> area, std::string_view storedName,
                           CentralHeader& h) {
  return Walk(area, storedName,
              {&h.UncompressedSize, &h.CompressedSize, &h.LocalOffset, &h.DiskStart});
}

void AppendAesField(std::vector<uint8_t>& extra, const TAesExtra& aes) {
  uint8_t d[kAesFieldSize - 4];
  PutU16(d, aes.VendorVersion);
  PutU16(d + 2, aes.VendorId);
  d[4] = aes.Strength;
  PutU16(d + 5, aes.Method);
  AppendField(extra, kExtraAes, d, sizeof d);
}

bool AppendUnixTimeField(std::vector<uint8_t>& extra, int64_t modified) {
  if (modified < 0 || modified > int64_t(UINT32_MAX)) return false;
  uint8_t d[5] = {1};  // flag bit 0: the modification time follows
  PutU32(d + 1, uint32_t(modified));
  AppendField(extra, kExtraUnixTimes, d, sizeof d);
  return true;
}

bool AppendSizeExtension(std::vector<uint8_t>& extra, uint64_t compressed, uint64_t uncompressed,
                         uint64_t localOffset) {
  const uint64_t compressedHigh = compressed >> 32, uncompressedHigh = uncompressed >> 32;
  if (compressedHigh > 0xFFFF || uncompressedHigh > 0xFFFF) return false;
  uint8_t d[kSizeExtensionFieldSize - 4];
  PutU16(d, uint16_t(compressedHigh));
  PutU16(d + 2, uint16_t(uncompressedHigh));
  PutU32(d + 4, uint32_t(localOffset >> 32));
  AppendField(extra, kExtraSizeExtension, d, sizeof d);
  return true;
}

bool StoreLocalSizes(std::vector<uint8_t>& extra, LocalHeader& h, uint64_t compressed,
                     uint64_t uncompressed, bool reserve) {
  if (!reserve && compressed < kZip64Marker && uncompressed < kZip64Marker) {
    h.CompressedSize = uint32_t(compressed);
    h.UncompressedSize = uint32_t(uncompressed);
    return false;
  }
  h.CompressedSize = h.UncompressedSize = kZip64Marker;
  uint8_t d[16];
  PutU64(d, uncompressed);
  PutU64(d + 8, compressed);
  AppendField(extra, kExtraZip64, d, sizeof d);
  RaiseToZip64(h.VersionNeeded);
  return true;
}

bool StoreCentralSizes(std::vector<uint8_t>& extra, CentralHeader& h, uint64_t compressed,
                       uint64_t uncompressed, uint64_t localOffset) {
  uint8_t d[24];
  size_t size = 0;
  auto store = [&](uint32_t& field, uint64_t value) {
    if (value < kZip64Marker) {
      field = uint32_t(value);
      return;
    }
    field = kZip64Marker;
    PutU64(d + size, value);
    size += 8;
  };
  store(h.UncompressedSize, uncompressed);
  store(h.CompressedSize, compressed);
  store(h.LocalOffset, localOffset);
  if (size == 0) return false;
  AppendField(extra, kExtraZip64, d, size);
  RaiseToZip64(h.VersionNeeded);
  return true;
}

}  // namespace qel::zip
