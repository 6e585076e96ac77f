// The pull form of the decoder: a read-only source of the data decoded from raw Deflate
// read out of another source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "codecs/inflate/InflateStatus.h"
#include "codecs/io/ByteIo.h"

namespace qel {

class Inflater;

// Deciphers a chunk of compressed input in place before it is decoded.
using TInputFilter = std::function<void(uint8_t* data, size_t size)>;

class TDecompressStream : public ISeekableSource {
 public:
  static constexpr size_t kIoBufferSize = 131070;

  // Decodes from the source's current position on.
  explicit TDecompressStream(ISeekableSource& source, TInputFilter filter = {});
  // Leaves the source just after the compressed data the decoder used.
  ~TDecompressStream() override;

  // Up to `count` decoded bytes; fewer only when the data ended, failed or the source ran
  // dry (see Status()).
  int64_t Read(void* buffer, int64_t count) override;
  // Read, fetching input in pieces of at most `inChunk` bytes (never more than the I/O
  // buffer holds).
  int64_t ReadChunk(void* buffer, int64_t inChunk, int64_t outCount);
  // Seek(0) starts over; a forward seek decodes and discards; any other seek stays put.
  // Answers the position.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return -1; }

  // StreamEnd once the data ended, NeedInput when the source gave nothing more (a later
  // read tries again), or the failure.
  InflateStatus Status() const { return status_; }
  // The bytes the last fetch from the source returned.
  int64_t LastFetch() const { return lastFetch_; }

 private:
  int64_t Skip(int64_t count);

  ISeekableSource& source_;
  TInputFilter filter_;
  int64_t startPos_;
  int64_t sourcePos_;
  std::unique_ptr<Inflater> decoder_;
  std::vector<uint8_t> io_;
  std::span<const uint8_t> input_;
  std::span<const uint8_t> output_;  // decoded, not yet read
  int64_t position_ = 0;
  int64_t lastFetch_ = 0;
  InflateStatus status_ = InflateStatus::Ok;
};

}  // namespace qel
