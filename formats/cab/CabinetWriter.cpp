#include "formats/cab/CabinetWriter.h"

#include <algorithm>
#include <cstring>

#include "engine/base/Bytes.h"
#include "engine/streams/Stream.h"
#include "formats/cab/CabChecksum.h"
#include "formats/cab/CabFrames.h"
#include "formats/cab/CabHeader.h"

namespace qel::cab {

namespace {

constexpr size_t kMaxRecords = 0xFFFF;
// Coded blocks go to the spool, and the spool to the cabinet, in pieces of about this size.
constexpr size_t kSpoolPiece = size_t(1) << 20;

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (uint8_t(c) & 0x80) == 0; });
}

}  // namespace

TCabinetWriter::TCabinetWriter(TStream64& spool, int deflateLevel)
    : spool_(spool),
      spoolStart_(std::max<int64_t>(spool.Position(), 0)),
      coder_(std::make_unique<TFrameCoder>(deflateLevel)),
      frame_(kFrameSize) {
  blocks_.reserve(kSpoolPiece + kFrameSize + 64);
}

TCabinetWriter::~TCabinetWriter() = default;

bool TCabinetWriter::BeginFile(const TCabFile& file, uint16_t compressionWord) {
  if (fileOpen_) EndFile();
  if (failed_ || finished_ || !CanWrite(compressionWord) || file.Size > kMaxFolderBytes ||
      file.Name.empty() || file.Name.size() > kMaxNameBytes ||
      file.Name.find('\0') != std::string::npos || files_.size() >= kMaxRecords)
    return false;
  // cbFile and uoffFolderStart are 32 bits as well, but a folder's 65535 frames come first.
  const bool fits = !folders_.empty() && folders_.back().Word == compressionWord &&
                    folderBytes_ + file.Size <= kMaxFolderBytes;
  if (!fits) {
    // Folder numbers from 0xFFFD on mean continued data, not a folder.
    if (folders_.size() >= kFromPrevious) return false;
    if (!EndFolder()) return false;
    StartFolder(compressionWord);
  }
  TFileRecord r;
  r.Name = file.Name;
  r.FolderOffset = uint32_t(folderBytes_);
  r.Folder = uint16_t(folders_.size() - 1);
  r.Date = file.Date;
  r.Time = file.Time;
  r.Attributes = uint16_t(file.Attributes | (IsAscii(file.Name) ? 0 : kAttrUtf8Name));
  files_.push_back(std::move(r));
  fileBytes_ = 0;
  fileOpen_ = true;
  return true;
}

bool TCabinetWriter::Write(std::span<const uint8_t> data) {
  if (failed_ || !fileOpen_) return false;
  // A file that grew while it was read keeps what the folder still holds.
  data = data.first(size_t(std::min<uint64_t>(data.size(), kMaxFolderBytes - folderBytes_)));
  folderBytes_ += data.size();
  fileBytes_ += data.size();
  while (!data.empty()) {
    if (frameFill_ == 0 && data.size() >= kFrameSize) {
      // Whole frames are coded where they stand.
      if (!CodeFrame(data.first(kFrameSize))) return false;
      data = data.subspan(kFrameSize);
      continue;
    }
    const size_t n = std::min(data.size(), kFrameSize - frameFill_);
    std::memcpy(frame_.data() + frameFill_, data.data(), n);
    frameFill_ += n;
    data = data.subspan(n);
    if (frameFill_ == kFrameSize) {
      frameFill_ = 0;
      if (!CodeFrame(frame_)) return false;
    }
  }
  return true;
}

uint64_t TCabinetWriter::EndFile() {
  if (!fileOpen_) return 0;
  fileOpen_ = false;
  files_.back().Size = uint32_t(fileBytes_);
  return fileBytes_;
}

void TCabinetWriter::StartFolder(uint16_t word) {
  TFolder f;
  f.DataStart = spooled_ + int64_t(blocks_.size());
  f.Word = word;
  folders_.push_back(f);
  folderBytes_ = 0;
  coder_->Start(word);
}

bool TCabinetWriter::EndFolder() {
  if (frameFill_ == 0) return true;
  const size_t n = frameFill_;
  frameFill_ = 0;
  return CodeFrame(std::span(frame_).first(n));
}

bool TCabinetWriter::CodeFrame(std::span<const uint8_t> frame) {
  const size_t at = blocks_.size();
  blocks_.resize(at + kDataHeaderSize);
  if (!coder_->Code(frame, blocks_)) {
    failed_ = true;
    return false;
  }
  const std::span<const uint8_t> coded = std::span(blocks_).subspan(at + kDataHeaderSize);
  // Store and MSZIP stay far below; only a faulty encoder could pass it.
  if (coded.size() > kMaxCodedBlock) {
    failed_ = true;
    return false;
  }
  uint8_t* h = &blocks_[at];
  PutU32(h, DataBlockChecksum(coded, uint16_t(frame.size())));
  PutU16(h + 4, uint16_t(coded.size()));
  PutU16(h + 6, uint16_t(frame.size()));
  ++folders_.back().Blocks;
  return blocks_.size() < kSpoolPiece || FlushBlocks();
}

bool TCabinetWriter::FlushBlocks() {
  if (!spool_.WriteFully(blocks_.data(), int64_t(blocks_.size()))) failed_ = true;
  spooled_ += int64_t(blocks_.size());
  blocks_.clear();
  // No cabinet holds more; better to stop here than after coding the rest.
  if (spooled_ > int64_t(UINT32_MAX)) failed_ = true;
  return !failed_;
}

bool TCabinetWriter::Finish(TStream64& out) {
  if (fileOpen_) EndFile();
  if (finished_ || failed_) return false;
  finished_ = true;
  if (!EndFolder() || !FlushBlocks()) return false;

  size_t filesSize = 0;
  for (const TFileRecord& r : files_) filesSize += kFileSize + r.Name.size() + 1;
  const size_t coffFiles = kHeaderSize + kFolderSize * folders_.size();
  const uint64_t dataStart = coffFiles + filesSize;
  const uint64_t total = dataStart + uint64_t(spooled_);
  if (total > UINT32_MAX) return false;

  std::vector<uint8_t> head(dataStart);
  uint8_t* p = head.data();
  std::memcpy(p, "MSCF", 4);
  PutU32(p + 8, uint32_t(total));
  PutU32(p + 16, uint32_t(coffFiles));
  p[24] = 3;  // version 1.3
  p[25] = 1;
  PutU16(p + 26, uint16_t(folders_.size()));
  PutU16(p + 28, uint16_t(files_.size()));
  // flags, setID and iCabinet stay 0: one cabinet, no reserved areas.
  p += kHeaderSize;
  for (const TFolder& f : folders_) {
    PutU32(p, uint32_t(dataStart + uint64_t(f.DataStart)));
    PutU16(p + 4, uint16_t(f.Blocks));
    PutU16(p + 6, f.Word);
    p += kFolderSize;
  }
  for (const TFileRecord& r : files_) {
    PutU32(p, r.Size);
    PutU32(p + 4, r.FolderOffset);
    PutU16(p + 8, r.Folder);
    PutU16(p + 10, r.Date);
    PutU16(p + 12, r.Time);
    PutU16(p + 14, r.Attributes);
    std::memcpy(p + kFileSize, r.Name.data(), r.Name.size());
    p += kFileSize + r.Name.size() + 1;
  }
  if (!out.WriteFully(head.data(), int64_t(head.size()))) return false;

  if (spooled_ == 0) return true;
  if (!spool_.SetPosition(spoolStart_)) return false;
  std::vector<uint8_t> piece(size_t(std::min<int64_t>(spooled_, kSpoolPiece)));
  for (int64_t left = spooled_; left > 0;) {
    const int64_t n = std::min<int64_t>(left, int64_t(piece.size()));
    if (spool_.ReadFully(piece.data(), n) != n || !out.WriteFully(piece.data(), n)) return false;
    left -= n;
  }
  return true;
}

}  // namespace qel::cab
