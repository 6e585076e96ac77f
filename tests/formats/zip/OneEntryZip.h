// The first entry of an archive a peer tool made, found through the central directory (the
// local header's sizes are not final when the tool streamed the entry), and archives of one
// entry built from given header fields, for peers to read back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/zip/ExtraFields.h"
#include "formats/zip/Records.h"

namespace qel::test {

struct ZipEntryView {
  zip::CentralHeader central;
  zip::LocalHeader local;
  zip::TZipExtra extra;       // from the local header
  std::vector<uint8_t> data;  // the entry's data as stored
};

// Empty when the archive (without a comment) does not hold what its records claim.
inline std::optional<ZipEntryView> FirstEntry(const std::vector<uint8_t>& zip) {
  using namespace zip;
  if (zip.size() < kEndRecordSize) return std::nullopt;
  const EndRecord end = UnpackEnd(zip.data() + zip.size() - kEndRecordSize);
  if (end.Signature != kSigEnd || uint64_t(end.CentralOffset) + kCentralHeaderSize > zip.size())
    return std::nullopt;
  ZipEntryView v;
  v.central = UnpackCentral(zip.data() + end.CentralOffset);
  const uint64_t at = v.central.LocalOffset;
  if (v.central.Signature != kSigCentral || at + kLocalHeaderSize > zip.size()) return std::nullopt;
  v.local = UnpackLocal(zip.data() + at);
  const uint64_t name = at + kLocalHeaderSize;
  const uint64_t extra = name + v.local.NameLength;
  const uint64_t data = extra + v.local.ExtraLength;
  if (v.local.Signature != kSigLocal || data + v.central.CompressedSize > zip.size())
    return std::nullopt;
  const std::string storedName(zip.begin() + std::ptrdiff_t(name),
                               zip.begin() + std::ptrdiff_t(extra));
  v.extra = ReadLocalExtra({zip.data() + extra, v.local.ExtraLength}, storedName, v.local);
  v.data.assign(zip.begin() + std::ptrdiff_t(data),
                zip.begin() + std::ptrdiff_t(data + v.central.CompressedSize));
  return v;
}

// An archive of one entry: `h` with its name and extra lengths and compressed size filled in.
inline std::vector<uint8_t> OneEntryZip(zip::LocalHeader h, const std::string& name,
                                        const std::vector<uint8_t>& extra,
                                        const std::vector<uint8_t>& data) {
  using namespace zip;
  h.NameLength = uint16_t(name.size());
  h.ExtraLength = uint16_t(extra.size());
  h.CompressedSize = uint32_t(data.size());
  std::vector<uint8_t> out(kLocalHeaderSize);
  Pack(h, out.data());
  out.insert(out.end(), name.begin(), name.end());
  out.insert(out.end(), extra.begin(), extra.end());
  out.insert(out.end(), data.begin(), data.end());

  CentralHeader c;
  c.VersionNeeded = h.VersionNeeded;
  c.Flags = h.Flags;
  c.Method = h.Method;
  c.DosDateTime = h.DosDateTime;
  c.Crc = h.Crc;
  c.CompressedSize = h.CompressedSize;
  c.UncompressedSize = h.UncompressedSize;
  c.NameLength = h.NameLength;
  c.ExtraLength = h.ExtraLength;
  EndRecord e;
  e.EntriesThisDisk = e.TotalEntries = 1;
  e.CentralOffset = uint32_t(out.size());
  e.CentralSize = uint32_t(kCentralHeaderSize + name.size() + extra.size());
  const size_t at = out.size();
  out.resize(at + kCentralHeaderSize);
  Pack(c, out.data() + at);
  out.insert(out.end(), name.begin(), name.end());
  out.insert(out.end(), extra.begin(), extra.end());
  const size_t endAt = out.size();
  out.resize(endAt + kEndRecordSize);
  Pack(e, out.data() + endAt);
  return out;
}

}  // namespace qel::test
