#include "formats/zip/ZipFix.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codecs/checksum/Crc.h"
#include "codecs/inflate/InflateMember.h"
#include "engine/base/Errors.h"
#include "engine/base/FileSystem.h"
#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/zip/DirectoryWriter.h"
#include "formats/zip/EncryptionMethod.h"
#include "formats/zip/ExtraFields.h"
#include "formats/zip/RepairScan.h"

namespace qel {

using namespace zip;

namespace {

[[noreturn]] void Raise(int code, const std::string& file, int error = 0) {
  std::string text(MessageText(code));
  if (!file.empty()) text += " " + file;
  if (error != 0) text += ": " + std::string(std::strerror(error));
  throw E_RAISE(code, text);
}

// The damaged file mapped into memory read-only: large files cost address space, not memory.
class TMappedFile {
 public:
  explicit TMappedFile(TFileStream32& file) {
    const int64_t size = file.Size();
    if (size <= 0) return;
    void* p = mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, file.Handle(), 0);
    if (p == MAP_FAILED) Raise(msg::ErrorReadingFile, file.FileName(), errno);
    data_ = static_cast<const uint8_t*>(p);
    size_ = size_t(size);
  }
  ~TMappedFile() {
    if (data_) munmap(const_cast<uint8_t*>(data_), size_);
  }
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  std::span<const uint8_t> Bytes() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// A rescued entry's central record. Version made by 0 and zero attributes: nothing is known
// of the host that made it. The local extra field goes along but for its size fields, which
// the directory writer makes anew (an AES entry cannot be read without its field there).
TCentralRecord CentralRecordFor(const TFoundEntry& e, uint64_t offset) {
  TCentralRecord rec;
  CentralHeader& h = rec.Header;
  h.VersionMadeBy = 0;
  h.VersionNeeded = e.Header.VersionNeeded;
  h.Flags = e.Header.Flags;
  h.Method = e.Header.Method;
  h.DosDateTime = e.Header.DosDateTime;
  h.Crc = e.Header.Crc;
  h.InternalAttr = 0;
  h.ExternalAttr = 0;
  rec.Name = e.StoredName;
  rec.Extra = e.Extra;
  RemoveExtraField(rec.Extra, kExtraZip64);
  RemoveExtraField(rec.Extra, kExtraSizeExtension);
  rec.Packed = e.Packed;
  rec.Unpacked = e.Unpacked;
  rec.Offset = offset;
  return rec;
}

// Whether the entry's data decodes to its size and CRC-32. Encrypted entries and methods
// this engine does not decode are taken on the word of their headers.
bool DataPasses(std::span<const uint8_t> damaged, const TFoundEntry& e) {
  const LocalHeader& h = e.Header;
  if ((h.Flags & kFlagEncrypted) || (h.Method != 0 && h.Method != 8 && h.Method != 9)) return true;
  std::span<const uint8_t> data = damaged.subspan(
      size_t(e.Offset + kLocalHeaderSize + h.NameLength + h.ExtraLength), size_t(e.Packed));
  uint32_t crc = 0;
  uint64_t decoded = 0;
  const auto sink = [&](std::span<const uint8_t> piece) {
    crc = Crc32(crc, piece.data(), piece.size());
    decoded += piece.size();
    return true;
  };
  if (h.Method == 0) {
    sink(data);
  } else {
    const auto source = [&data](uint8_t* buffer, size_t size) {
      const size_t n = std::min(size, data.size());
      std::copy_n(data.begin(), n, buffer);
      data = data.subspan(n);
      return n;
    };
    const TInflateResult result = InflateMember(
        h.Method == 9 ? DeflateVariant::Deflate64 : DeflateVariant::Deflate, source, sink);
    if (result.Status != InflateStatus::StreamEnd) return false;
  }
  return decoded == e.Unpacked && crc == h.Crc;
}

}  // namespace

void TZipFix::Repair(const WideString& damagedFile, const WideString& outputFile) {
  std::unique_ptr<TFileStream32> input = TFileStream32::Open(damagedFile, fmOpenRead);
  if (!input) Raise(msg::ErrorOpeningFile, damagedFile, errno);
  if (SameFile(damagedFile, outputFile)) Raise(msg::SameInputOutput, outputFile);
  const TMappedFile damaged(*input);
  std::unique_ptr<TFileStream32> output = TFileStream32::Open(outputFile, fmCreate);
  if (!output) Raise(msg::ErrorCreatingFile, outputFile, errno);
  try {
    Rescue(damaged.Bytes(), *output);
  } catch (...) {
    // A half-written archive would pass for a repaired one.
    output.reset();
    std::remove(outputFile.c_str());
    throw;
  }
}

void TZipFix::Repair(TStream64* input, TStream64* output) {
  if (!input || !output)
    throw E_RAISE(msg::RequiredPropertyNotAssigned,
                  "No input or no output stream has been defined");
  if (input == output) Raise(msg::SameInputOutput, "");
  if (auto* memory = dynamic_cast<TMemoryStream32*>(input)) {
    Rescue({memory->Data(), size_t(memory->Size())}, *output);
    return;
  }
  const int64_t size = input->Size();
  std::vector<uint8_t> bytes(size_t(std::max<int64_t>(size, 0)));
  if (size < 0 || !input->ReadExactAt(0, bytes.data(), size)) Raise(msg::ErrorReadingFile, "");
  Rescue(bytes, *output);
}

void TZipFix::Rescue(std::span<const uint8_t> damaged, TStream64& output) {
  std::vector<TCentralRecord> records;
  ScanLocalHeaders(damaged, [&](const TCandidate& c) {
    FVerdict = TRescueVerdict::Corrupted;
    if (c.Entry) {
      const TFoundEntry& e = *c.Entry;
      FVerdict = DataPasses(damaged, e) ? TRescueVerdict::Intact
                 : KeepDamaged          ? TRescueVerdict::DataFailedKept
                                        : TRescueVerdict::DataFailed;
    }
    if (FVerdict == TRescueVerdict::Intact || FVerdict == TRescueVerdict::DataFailedKept) {
      const TFoundEntry& e = *c.Entry;
      const int64_t offset = output.Position();
      if (offset < 0 || !output.WriteFully(damaged.data() + e.Offset, int64_t(e.Length)))
        Raise(msg::ErrorWritingFile, "");
      records.push_back(CentralRecordFor(e, uint64_t(offset)));
    }
    if (OnFileFound) OnFileFound(*this, c.Name, FVerdict == TRescueVerdict::Intact);
  });
  if (!WriteCentralDirectory(output, records, "", nullptr)) Raise(msg::ErrorWritingFile, "");
}

}  // namespace qel
