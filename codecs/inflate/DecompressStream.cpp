#include "codecs/inflate/DecompressStream.h"

#include <algorithm>
#include <cstring>

#include "codecs/inflate/Inflater.h"

namespace qel {

TDecompressStream::TDecompressStream(ISeekableSource& source, TInputFilter filter)
    : source_(source),
      filter_(std::move(filter)),
      startPos_(source.Seek(0, TSeekOrigin::soCurrent)),
      sourcePos_(startPos_),
      decoder_(std::make_unique<Inflater>(DeflateVariant::Deflate)),
      io_(kIoBufferSize) {}

TDecompressStream::~TDecompressStream() {
  size_t unused = input_.size();
  if (status_ == InflateStatus::StreamEnd) unused += decoder_->UnusedInputBytes();
  source_.Seek(sourcePos_ - int64_t(unused), TSeekOrigin::soBeginning);
}

int64_t TDecompressStream::Read(void* buffer, int64_t count) {
  return ReadChunk(buffer, count, count);
}

int64_t TDecompressStream::ReadChunk(void* buffer, int64_t inChunk, int64_t outCount) {
  auto* dst = static_cast<uint8_t*>(buffer);
  int64_t produced = 0;
  while (produced < outCount) {
    if (!output_.empty()) {
      const size_t n = size_t(std::min<int64_t>(outCount - produced, int64_t(output_.size())));
      std::memcpy(dst + produced, output_.data(), n);
      output_ = output_.subspan(n);
      produced += int64_t(n);
      continue;
    }
    if (status_ == InflateStatus::StreamEnd || IsInflateError(status_)) break;
    if (input_.empty()) {
      const int64_t want = std::clamp<int64_t>(inChunk, 1, int64_t(io_.size()));
      lastFetch_ = 0;
      if (source_.Seek(sourcePos_, TSeekOrigin::soBeginning) == sourcePos_)
        lastFetch_ = std::max<int64_t>(0, source_.Read(io_.data(), want));
      if (lastFetch_ == 0) {
        status_ = InflateStatus::NeedInput;
        break;
      }
      sourcePos_ += lastFetch_;
      if (filter_) filter_(io_.data(), size_t(lastFetch_));
      input_ = std::span<const uint8_t>(io_.data(), size_t(lastFetch_));
    }
    status_ = decoder_->Decode(input_);
    output_ = decoder_->TakeOutput();
  }
  position_ += produced;
  return produced;
}

int64_t TDecompressStream::Skip(int64_t count) {
  uint8_t scratch[4096];
  while (count > 0) {
    const int64_t got = Read(scratch, std::min<int64_t>(count, sizeof scratch));
    if (got == 0) break;
    count -= got;
  }
  return position_;
}

int64_t TDecompressStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (origin == TSeekOrigin::soBeginning && offset == 0) {
    decoder_->Reset();
    sourcePos_ = startPos_;
    input_ = output_ = {};
    position_ = 0;
    status_ = InflateStatus::Ok;
    return 0;
  }
  if (origin == TSeekOrigin::soCurrent && offset > 0) return Skip(offset);
  if (origin == TSeekOrigin::soBeginning && offset > position_) return Skip(offset - position_);
  return position_;
}

}  // namespace qel
