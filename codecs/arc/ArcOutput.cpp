#include "codecs/arc/ArcOutput.h"

namespace qel {
namespace {

constexpr uint8_t kRepeat = 0x90;
constexpr size_t kPiece = size_t(1) << 15;

}  // namespace

TArcOutput::TArcOutput(bool rle, const TCodecSink& sink, uint64_t size)
    : sink_(sink), size_(size), rle_(rle) {
  out_.reserve(kPiece + 256);
}

void TArcOutput::Expand(uint8_t c) {
  if (repeat_) {
    repeat_ = false;
    if (c == 0) {
      // A literal 0x90 is not the byte a later repeat repeats: that stays the one before.
      Emit(kRepeat);
    } else {
      for (int n = c - 1; n > 0; --n) Emit(last_);
    }
  } else if (c == kRepeat) {
    repeat_ = true;
  } else {
    last_ = c;
    Emit(c);
  }
}

bool TArcOutput::Flush(bool all) {
  if (out_.empty() || (!all && out_.size() < kPiece)) return true;
  if (!sink_(out_)) return false;
  delivered_ += out_.size();
  out_.clear();
  return true;
}

TDecodeResult TArcOutput::Finish(TDecodeStatus status) {
  if (status != TDecodeStatus::Aborted && !Flush(true)) status = TDecodeStatus::Aborted;
  if (status == TDecodeStatus::Ok && delivered_ < size_) status = TDecodeStatus::UnexpectedEnd;
  return {status, delivered_};
}

}  // namespace qel
