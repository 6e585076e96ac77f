#include "formats/cab/CabFrames.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "codecs/lzx/LzxEncoder.h"
#include "engine/base/Bytes.h"
#include "formats/cab/CabinetWriter.h"

namespace qel::cab {

namespace {

// A frame as one final stored Deflate block: the bits 1 (final) and 00 (stored) padded to a byte,
// then LEN and its complement. It bounds a block's size whatever the data.
void StoredDeflate(std::span<const uint8_t> frame, std::vector<uint8_t>& out) {
  const size_t at = out.size();
  out.resize(at + 5 + frame.size());
  out[at] = 0x01;
  PutU16(&out[at + 1], uint16_t(frame.size()));
  PutU16(&out[at + 3], uint16_t(~frame.size()));
  std::memcpy(&out[at + 5], frame.data(), frame.size());
}

}  // namespace

TFrameCoder::TFrameCoder(int deflateLevel)
    : level_(deflateLevel >= -1 && deflateLevel <= 9 ? deflateLevel : Z_DEFAULT_COMPRESSION) {}

TFrameCoder::~TFrameCoder() {
  if (zip_) deflateEnd(zip_.get());
}

void TFrameCoder::Start(uint16_t compressionWord) {
  word_ = compressionWord;
  history_.clear();
  lzx_.reset();
  if (MethodOf(word_) == TCabMethod::Lzx)
    lzx_ = std::make_unique<TLzxEncoder>(LzxWindowBitsOf(word_));
}

bool TFrameCoder::Code(std::span<const uint8_t> frame, std::vector<uint8_t>& out) {
  switch (MethodOf(word_)) {
    case TCabMethod::MsZip:
      return CodeMsZip(frame, out);
    case TCabMethod::Lzx:
      lzx_->EncodeFrame(frame, out);
      return true;
    default:
      out.insert(out.end(), frame.begin(), frame.end());
      return true;
  }
}

bool TFrameCoder::CodeMsZip(std::span<const uint8_t> frame, std::vector<uint8_t>& out) {
  if (!zip_) {
    auto made = std::make_unique<z_stream>();
    // Raw Deflate (negative window bits): the block holds no zlib header or Adler-32.
    if (deflateInit2(made.get(), level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      return false;
    zip_ = std::move(made);
  } else if (deflateReset(zip_.get()) != Z_OK) {
    return false;
  }
  z_stream* z = zip_.get();
  if (!history_.empty() && deflateSetDictionary(z, history_.data(), uInt(history_.size())) != Z_OK)
    return false;

  const size_t at = out.size();
  const size_t storedSize = 5 + frame.size();
  const size_t room = std::max<size_t>(deflateBound(z, uLong(frame.size())), storedSize);
  out.resize(at + 2 + room);
  out[at] = 'C';
  out[at + 1] = 'K';
  z->next_in = const_cast<Bytef*>(frame.data());
  z->avail_in = uInt(frame.size());
  z->next_out = &out[at + 2];
  z->avail_out = uInt(room);
  const int rc = deflate(z, Z_FINISH);
  const size_t made = room - z->avail_out;
  // zlib falls back to stored blocks on its own, but may cut the frame into several; one stored
  // block is never larger.
  if (rc == Z_STREAM_END && made <= storedSize) {
    out.resize(at + 2 + made);
  } else {
    out.resize(at + 2);
    StoredDeflate(frame, out);
  }
  history_.assign(frame.begin(), frame.end());
  return true;
}

}  // namespace qel::cab
