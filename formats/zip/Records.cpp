#include "formats/zip/Records.h"

#include "engine/base/Bytes.h"

namespace qel::zip {

SignatureClass ClassifySignature(uint32_t signature) {
  struct Known {
    uint32_t Plain;
    RecordKind Kind;
  };
  static constexpr Known kKnown[] = {{kSigLocal, RecordKind::Local},
                                     {kSigCentral, RecordKind::Central},
                                     {kSigEnd, RecordKind::End},
                                     {kSigExtendedEnd, RecordKind::ExtendedEnd}};
  for (const Known& k : kKnown) {
    if (signature == k.Plain) return {k.Kind, false};
    if (signature == k.Plain + kEncipheredDelta) return {k.Kind, true};
  }
  return {};
}

LocalHeader UnpackLocal(const uint8_t* p) {
  LocalHeader h;
  h.Signature = GetU32(p);
  h.VersionNeeded = GetU16(p + 4);
  h.Flags = GetU16(p + 6);
  h.Method = GetU16(p + 8);
  h.DosDateTime = GetU32(p + 10);
  h.Crc = GetU32(p + 14);
  h.CompressedSize = GetU32(p + 18);
  h.UncompressedSize = GetU32(p + 22);
  h.NameLength = GetU16(p + 26);
  h.ExtraLength = GetU16(p + 28);
  return h;
}

CentralHeader UnpackCentral(const uint8_t* p) {
  CentralHeader h;
  h.Signature = GetU32(p);
  h.VersionMadeBy = GetU16(p + 4);
  h.VersionNeeded = GetU16(p + 6);
  h.Flags = GetU16(p + 8);
  h.Method = GetU16(p + 10);
  h.DosDateTime = GetU32(p + 12);
  h.Crc = GetU32(p + 16);
  h.CompressedSize = GetU32(p + 20);
  h.UncompressedSize = GetU32(p + 24);
  h.NameLength = GetU16(p + 28);
  h.ExtraLength = GetU16(p + 30);
  h.CommentLength = GetU16(p + 32);
  h.DiskStart = GetU16(p + 34);
  h.InternalAttr = GetU16(p + 36);
  h.ExternalAttr = GetU32(p + 38);
  h.LocalOffset = GetU32(p + 42);
  return h;
}

EndRecord UnpackEnd(const uint8_t* p) {
  EndRecord h;
  h.Signature = GetU32(p);
  h.ThisDisk = GetU16(p + 4);
  h.CentralDisk = GetU16(p + 6);
  h.EntriesThisDisk = GetU16(p + 8);
  h.TotalEntries = GetU16(p + 10);
  h.CentralSize = GetU32(p + 12);
  h.CentralOffset = GetU32(p + 16);
  h.CommentLength = GetU16(p + 20);
  return h;
}

ExtendedEndRecord UnpackExtendedEnd(const uint8_t* p) {
  ExtendedEndRecord h;
  h.Signature = GetU32(p);
  h.ThisDisk = GetU32(p + 4);
  h.CentralDisk = GetU32(p + 8);
  h.EntriesThisDisk = GetU64(p + 12);
  h.TotalEntries = GetU64(p + 20);
  h.CentralSize = GetU64(p + 28);
  h.CentralOffset = GetU64(p + 36);
  h.CommentLength = GetU16(p + 44);
  return h;
}

Zip64EndRecord UnpackZip64End(const uint8_t* p) {
  Zip64EndRecord h;
  h.Signature = GetU32(p);
  h.RecordSize = GetU64(p + 4);
  h.VersionMadeBy = GetU16(p + 12);
  h.VersionNeeded = GetU16(p + 14);
  h.ThisDisk = GetU32(p + 16);
  h.CentralDisk = GetU32(p + 20);
  h.EntriesThisDisk = GetU64(p + 24);
  h.TotalEntries = GetU64(p + 32);
  h.CentralSize = GetU64(p + 40);
  h.CentralOffset = GetU64(p + 48);
  return h;
}

Zip64Locator UnpackZip64Locator(const uint8_t* p) {
  Zip64Locator h;
  h.Signature = GetU32(p);
  h.EndDisk = GetU32(p + 4);
  h.EndOffset = GetU64(p + 8);
  h.TotalDisks = GetU32(p + 16);
  return h;
}

void Pack(const LocalHeader& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU16(p + 4, h.VersionNeeded);
  PutU16(p + 6, h.Flags);
  PutU16(p + 8, h.Method);
  PutU32(p + 10, h.DosDateTime);
  PutU32(p + 14, h.Crc);
  PutU32(p + 18, h.CompressedSize);
  PutU32(p + 22, h.UncompressedSize);
  PutU16(p + 26, h.NameLength);
  PutU16(p + 28, h.ExtraLength);
}

void Pack(const CentralHeader& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU16(p + 4, h.VersionMadeBy);
  PutU16(p + 6, h.VersionNeeded);
  PutU16(p + 8, h.Flags);
  PutU16(p + 10, h.Method);
  PutU32(p + 12, h.DosDateTime);
  PutU32(p + 16, h.Crc);
  PutU32(p + 20, h.CompressedSize);
  PutU32(p + 24, h.UncompressedSize);
  PutU16(p + 28, h.NameLength);
  PutU16(p + 30, h.ExtraLength);
  PutU16(p + 32, h.CommentLength);
  PutU16(p + 34, h.DiskStart);
  PutU16(p + 36, h.InternalAttr);
  PutU32(p + 38, h.ExternalAttr);
  PutU32(p + 42, h.LocalOffset);
}

void Pack(const EndRecord& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU16(p + 4, h.ThisDisk);
  PutU16(p + 6, h.CentralDisk);
  PutU16(p + 8, h.EntriesThisDisk);
  PutU16(p + 10, h.TotalEntries);
  PutU32(p + 12, h.CentralSize);
  PutU32(p + 16, h.CentralOffset);
  PutU16(p + 20, h.CommentLength);
}

void Pack(const ExtendedEndRecord& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU32(p + 4, h.ThisDisk);
  PutU32(p + 8, h.CentralDisk);
  PutU64(p + 12, h.EntriesThisDisk);
  PutU64(p + 20, h.TotalEntries);
  PutU64(p + 28, h.CentralSize);
  PutU64(p + 36, h.CentralOffset);
  PutU16(p + 44, h.CommentLength);
}

void Pack(const Zip64EndRecord& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU64(p + 4, h.RecordSize);
  PutU16(p + 12, h.VersionMadeBy);
  PutU16(p + 14, h.VersionNeeded);
  PutU32(p + 16, h.ThisDisk);
  PutU32(p + 20, h.CentralDisk);
  PutU64(p + 24, h.EntriesThisDisk);
  PutU64(p + 32, h.TotalEntries);
  PutU64(p + 40, h.CentralSize);
  PutU64(p + 48, h.CentralOffset);
}

void Pack(const Zip64Locator& h, uint8_t* p) {
  PutU32(p, h.Signature);
  PutU32(p + 4, h.EndDisk);
  PutU64(p + 8, h.EndOffset);
  PutU32(p + 16, h.TotalDisks);
}

}  // namespace qel::zip
