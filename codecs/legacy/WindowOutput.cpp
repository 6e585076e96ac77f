#include "codecs/legacy/WindowOutput.h"

namespace qel {
namespace {

constexpr size_t kPiece = size_t(1) << 15;

}  // namespace

TWindowOutput::TWindowOutput(size_t windowSize, const TCodecSink& sink, uint64_t size)
    : sink_(sink), size_(size), window_(windowSize, 0), mask_(windowSize - 1) {
  out_.reserve(kPiece);
}

void TWindowOutput::Copy(size_t distance, size_t length) {
  size_t from = (at_ - distance) & mask_;
  for (size_t i = 0; i < length && !Full(); ++i) {
    Put(window_[from]);
    from = (from + 1) & mask_;
  }
}

bool TWindowOutput::Flush(bool all) {
  if (out_.empty() || (!all && out_.size() < kPiece)) return true;
  if (!sink_(out_)) return false;
  delivered_ += out_.size();
  out_.clear();
  return true;
}

}  // namespace qel
