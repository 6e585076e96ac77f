#include "engine/packed/GzipReader.h"

#include "codecs/checksum/Crc.h"
#include "codecs/inflate/DecompressStream.h"
#include "engine/base/Messages.h"
#include "engine/packed/GzipHeader.h"
#include "engine/streams/Stream.h"

namespace qel {

namespace {

constexpr int64_t kTrailer = 8;

// The message that refuses a member, 0 when it can be decoded.
int Refusal(const gzip::TGzipHeader& h) {
  if (h.Method != gzip::kDeflated) return msg::UnsupportedMethod;
  if (h.Flags & gzip::kMultiPart) return msg::MultiPartGzip;
  if (h.Flags & gzip::kEncrypted) return msg::PasswordProtected;
  if (h.Flags & gzip::kReserved) return msg::UnknownFlags;
  return 0;
}

}  // namespace

TGzipReader::TGzipReader(TStream64& file, int64_t dataAt) : file_(file), size_(file.Size()) {
  StartMember(dataAt);
}

TGzipReader::~TGzipReader() = default;

void TGzipReader::StartMember(int64_t dataAt) {
  crc_ = length_ = 0;
  if (!file_.SetPosition(dataAt)) {
    state_ = TPackedState::Truncated;
    return;
  }
  inflate_ = std::make_unique<TDecompressStream>(file_);
}

int64_t TGzipReader::Decode(uint8_t* buffer, int64_t count) {
  if (!inflate_) return 0;
  const int64_t n = inflate_->Read(buffer, count);
  crc_ = Crc32(crc_, buffer, size_t(n));
  length_ += uint32_t(n);
  consumed_ = file_.Position();
  if (n > 0) return n;
  switch (inflate_->Status()) {
    case InflateStatus::StreamEnd:
      EndMember();
      break;
    case InflateStatus::NeedInput:
    case InflateStatus::UnexpectedEnd:
      state_ = TPackedState::Truncated;
      break;
    default:
      state_ = TPackedState::Damaged;
      break;
  }
  return 0;
}

void TGzipReader::EndMember() {
  inflate_.reset();  // leaves the file just behind the member's Deflate data
  const int64_t at = file_.Position();
  uint8_t trailer[kTrailer];
  if (at < 0 || !file_.ReadExactAt(at, trailer, kTrailer)) {
    state_ = TPackedState::Truncated;
    return;
  }
  if (GetU32(trailer) != crc_ || GetU32(trailer + 4) != length_) {
    state_ = TPackedState::Damaged;
    return;
  }
  consumed_ = at + kTrailer;
  // Another member may follow (concatenated files, parallel compressors); anything else
  // behind the last one, such as the zeros of a tape block, is not data.
  gzip::TGzipHeader h;
  uint8_t id[2];
  if (!file_.ReadExactAt(consumed_, id, 2) || id[0] != gzip::kId1 || id[1] != gzip::kGzip) {
    state_ = TPackedState::Intact;
    return;
  }
  if (!gzip::ReadGzipHeader(file_.ExactReader(), size_, consumed_, h)) {
    state_ = TPackedState::Truncated;
    return;
  }
  if (Refusal(h) != 0) {
    state_ = TPackedState::Damaged;
    return;
  }
  StartMember(h.DataAt);
}

std::unique_ptr<TPackedStream> OpenGzip(TStream64& file, int& refusal) {
  gzip::TGzipHeader h;
  if (!gzip::ReadGzipHeader(file.ExactReader(), file.Size(), 0, h)) {
    refusal = msg::BadFileHeader;
    return nullptr;
  }
  refusal = Refusal(h);
  if (refusal != 0) return nullptr;
  return std::make_unique<TGzipReader>(file, h.DataAt);
}

}  // namespace qel
