#include "codecs/ppmd/PpmdZip.h"

#include <algorithm>

#include "codecs/checksum/Crc.h"
#include "codecs/ppmd/PpmdCoder.h"

namespace qel {

using namespace ppmd;

uint16_t TPpmdParams::Word() const {
  return uint16_t((Order - 1) | (MemoryMB - 1) << 4 | unsigned(Restore) << 12);
}

std::optional<TPpmdParams> TPpmdParams::FromWord(uint16_t word) {
  const unsigned order = (word & 0x0F) + 1u;
  const unsigned restore = word >> 12;
  if (order < kMinOrder || restore > 2) return std::nullopt;
  return TPpmdParams{order, ((word >> 4) & 0xFFu) + 1,
                     restore == 0 ? TRestore::Restart : TRestore::CutOff};
}

namespace {

// Decoded data reaches the sink in pieces of this size.
constexpr size_t kOutPiece = 32768;

// The model for `params`, its memory allocated; null when the memory cannot be had.
TPpmdModel* PrepareModel(TPpmdState& state, const TPpmdParams& params) {
  if (!state) state = std::make_unique<TPpmdModel>();
  if (!state->Allocate(params.MemoryMB << 20)) return nullptr;
  state->Init(params.Order, params.Restore);
  return state.get();
}

}  // namespace

TDecodeResult PpmdDecode(TPpmdState& state, const TCodecSource& source, const TCodecSink& sink,
                         uint64_t size) {
  TByteFeed in(source);
  const int low = in.Next(), high = in.Next();
  if (high < 0) return {TDecodeStatus::UnexpectedEnd, 0};
  if (size == 0) return {};
  const std::optional<TPpmdParams> params = TPpmdParams::FromWord(uint16_t(low | high << 8));
  TPpmdModel* model = params ? PrepareModel(state, *params) : nullptr;
  if (!model) return {TDecodeStatus::Corrupt, 0};

  TRangeDecoder rc(in);
  if (!rc.Init()) return {TDecodeStatus::Corrupt, 0};
  std::unique_ptr<uint8_t[]> out(new uint8_t[kOutPiece]);
  TDecodeResult result;
  while (result.Decoded < size) {
    const size_t piece = size_t(std::min<uint64_t>(kOutPiece, size - result.Decoded));
    size_t n = 0;
    int symbol = 0;
    while (n < piece && (symbol = DecodeSymbol(*model, rc)) >= 0 && !rc.RanOut())
      out[n++] = uint8_t(symbol);
    if (n && !sink({out.get(), n})) return {TDecodeStatus::Aborted, result.Decoded};
    result.Decoded += n;
    if (rc.RanOut()) return {TDecodeStatus::UnexpectedEnd, result.Decoded};
    // An end mark before the entry's size: the data is shorter than its header says.
    if (symbol < 0) return {TDecodeStatus::Corrupt, result.Decoded};
  }
  return result;
}

TPpmdCompressStream::TPpmdCompressStream(IByteSink& destination, TPpmdState& state,
                                         const TPpmdParams& params, IDataCipher* cipher)
    : destination_(destination),
      model_(PrepareModel(state, params)),
      cipher_(cipher),
      out_(new uint8_t[kPiece + TRangeEncoder::kMaxSymbolBytes]),
      rc_(out_.get()) {
  failed_ = model_ == nullptr;
  const uint16_t word = params.Word();
  uint8_t* at = out_.get();
  *at++ = uint8_t(word);
  *at++ = uint8_t(word >> 8);
  rc_.SetOut(at);
}

int64_t TPpmdCompressStream::Write(const void* buffer, int64_t count) {
  if (failed_ || finished_) return 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  if (!cipher_) crc_ = Crc32(crc_, in, size_t(count));
  for (int64_t i = 0; i < count; ++i) {
    EncodeSymbol(*model_, rc_, in[i]);
    if (rc_.Out() >= out_.get() + kPiece && !Drain(false)) return 0;
  }
  return count;
}

bool TPpmdCompressStream::Finish() {
  if (finished_ || failed_) return !failed_;
  finished_ = true;
  EncodeSymbol(*model_, rc_, kEndMark);
  rc_.Flush();
  return Drain(true);
}

// Writes the full pieces (or everything) and moves what is left to the front.
bool TPpmdCompressStream::Drain(bool all) {
  uint8_t* const start = out_.get();
  const size_t have = size_t(rc_.Out() - start);
  const size_t take = all ? have : have / kPiece * kPiece;
  if (!WriteEnciphered(destination_, cipher_, start, take)) {
    failed_ = true;
    return false;
  }
  std::copy(start + take, start + have, start);
  rc_.SetOut(start + (have - take));
  return true;
}

}  // namespace qel
