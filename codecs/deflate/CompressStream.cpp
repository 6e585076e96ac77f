#include "codecs/deflate/CompressStream.h"

#include <algorithm>
#include <cstring>

#include "codecs/checksum/Crc.h"

namespace qel {

namespace {

// Runs the blocks of a stream given no workers, on the caller's thread.
TWorkers& CallersThread() {
  static TWorkers none(0);
  return none;
}

}  // namespace

TCompressStream::TCompressStream(IByteSink& destination, int levelIndex, IDataCipher* cipher,
                                 TWorkers* workers)
    : destination_(destination),
      cipher_(cipher),
      workers_(workers ? *workers : CallersThread()),
      level_(levelIndex),
      buffer_(size_t(kBufferSize)) {}

bool TCompressStream::Stopped() {
  if (!cancelled_ && Cancel && Cancel->load() != 0) cancelled_ = true;
  return failed_ || cancelled_;
}

void TCompressStream::Submit(bool last) {
  const size_t dictionary = dictionary_;
  const int level = level_;
  std::vector<uint8_t> next;
  if (!last) {
    // The next block is primed with this one's last 32 KiB.
    next.reserve(kDeflateWindow + kDeflateBlockSize);
    next.assign(block_.end() - std::ptrdiff_t(kDeflateWindow), block_.end());
  }
  inFlight_.push_back(workers_.Run([input = std::move(block_), dictionary, level, last]() {
    return DeflateBlock(input.data() + dictionary, input.size() - dictionary, dictionary, level,
                        last);
  }));
  block_ = std::move(next);
  dictionary_ = block_.size();
  // Enough blocks wait to keep every thread busy while the oldest is written.
  const size_t limit = size_t(workers_.Threads()) + 1;
  while (!inFlight_.empty() && !failed_ &&
         (inFlight_.size() > limit ||
          inFlight_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready))
    TakeOldest();
}

void TCompressStream::TakeOldest() {
  const TDeflatedBlock block = inFlight_.front().get();
  inFlight_.pop_front();
  if (!block.Ok) {
    failed_ = true;
    return;
  }
  if (!cipher_) crc_ = Crc32Combine(crc_, block.Crc, block.InputSize);
  const uint8_t* data = block.Data.data();
  size_t left = block.Data.size();
  while (left > 0 && !failed_) {
    const size_t n = std::min(left, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, data, n);
    buffered_ += n;
    data += n;
    left -= n;
    if (buffered_ == buffer_.size()) WriteBuffer(buffered_);
  }
}

void TCompressStream::WriteBuffer(size_t size) {
  if (!WriteEnciphered(destination_, cipher_, buffer_.data(), size)) failed_ = true;
  buffered_ = 0;
}

int64_t TCompressStream::Write(const void* buffer, int64_t count) {
  if (finished_ || count < 0) return 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  int64_t taken = 0;
  while (taken < count && !Stopped()) {
    // A full block goes only once more input comes: the last block ends the stream.
    if (block_.size() == dictionary_ + kDeflateBlockSize) Submit(false);
    const size_t room = dictionary_ + kDeflateBlockSize - block_.size();
    const size_t n = size_t(std::min<int64_t>(count - taken, int64_t(room)));
    block_.insert(block_.end(), in + taken, in + taken + n);
    taken += int64_t(n);
    totalIn_ += int64_t(n);
    Progress.Moved(int64_t(n));
  }
  return taken == count && !failed_ ? count : 0;
}

bool TCompressStream::Finish() {
  if (!finished_) {
    finished_ = true;
    if (!Stopped()) Submit(true);
    while (!inFlight_.empty() && !Stopped()) TakeOldest();
    if (!Stopped() && buffered_ > 0) WriteBuffer(buffered_);
    // What a stop left in flight is no longer wanted.
    inFlight_.clear();
  }
  return !failed_ && !cancelled_;
}

}  // namespace qel
