// The Unix `compress` (.Z) stream, decoded on demand: an LZW code of 9 up to 16 bits read
// least-significant bit first, in groups of eight codes whose rest is skipped whenever the
// code widens or (block mode) a clear code resets the table. The file has no length or check
// value, so a file cut short simply ends. Archive formats embed the same coding without the
// file's header (TLzwRawFormat).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "codecs/io/CodecIo.h"

namespace qel {

enum class TLzwError {
  None,
  NotCompress,        // the magic bytes 1F 9D are missing
  IncompleteCodeSet,  // flag bits 5-6 are set
  BadMaxBits,         // the largest code width is below 9 or above 16
  CorruptInput,       // a first code that is no byte, or a code above the next free one
};

// What the header of a .Z file would say, for codes that start at the source's first byte.
struct TLzwRawFormat {
  uint32_t maxBits = 16;  // 9 to 16
  bool blockMode = true;
};

class TLzwDecompressStream {
 public:
  // `source` yields the file's bytes from its start and must outlive the stream.
  explicit TLzwDecompressStream(const TCodecSource& source);
  // `source` yields codes from its first byte on, coded as `raw` says.
  TLzwDecompressStream(const TCodecSource& source, TLzwRawFormat raw);
  TLzwDecompressStream(const TLzwDecompressStream&) = delete;
  TLzwDecompressStream& operator=(const TLzwDecompressStream&) = delete;

  // Decodes into `buffer` until `count` bytes were produced or the data ended; answers how
  // many. The first call reads the header (if any), even for a count of 0. Damage ends the data
  // after what came before it was delivered, with Error() set.
  int64_t Read(void* buffer, int64_t count);

  // No more data: it ended cleanly or failed.
  bool Ended() const { return ended_; }
  TLzwError Error() const { return error_; }
  // Compressed bytes taken from the source so far.
  uint64_t Consumed() const { return consumed_; }

 private:
  // Where the decoder stands between reads: plain values, copied into locals for the loop.
  struct TState {
    uint64_t bitPos;      // the next code's first bit, counted from the start of the file
    uint64_t widthStart;  // where the current code width began: groups count from here
    uint32_t width;
    uint32_t maxCode;  // past this next free code the code widens
    uint32_t next;     // the next free code
    int32_t oldCode;   // the previous code, -1 before the first
    uint32_t finChar;  // the first byte of the previous code's string
  };

  bool ReadHeader();
  void Start(uint64_t firstBit);
  // Has the `width` bits from `bitPos` on in the input buffer; false when the input ends first.
  bool Fill(uint64_t bitPos, uint32_t width);
  int64_t Decode(uint8_t* out, int64_t count);
  void Fail(TLzwError error);

  const TCodecSource& source_;
  // Per code: the code of its string but the last byte, and that byte. Each table is small
  // enough for an allocator's pools, which keeps making a stream cheap.
  std::unique_ptr<uint16_t[]> prefixes_;
  std::unique_ptr<uint8_t[]> suffixes_;
  std::unique_ptr<uint16_t[]> lengths_;  // per code, the length of its string
  // A string longer than the room left in the caller's buffer is decoded here and handed out
  // by the reads that follow.
  std::unique_ptr<uint8_t[]> pending_;
  size_t pendingAt_ = 0, pendingEnd_ = 0;
  std::unique_ptr<uint8_t[]> input_;
  uint64_t inputStart_ = 0;  // the file offset of input_[0]
  size_t inputSize_ = 0;     // the bytes of input_ that hold input
  bool sourceEnded_ = false;
  uint64_t consumed_ = 0;

  TState state_{};
  bool blockMode_ = false;
  uint32_t tableEnd_ = 0;  // 2^maxbits: no code is added at or past it
  uint32_t maxBits_ = 0;
  bool raw_ = false;  // no header: maxBits_ and blockMode_ are given
  bool started_ = false;
  bool ended_ = false;
  TLzwError error_ = TLzwError::None;
};

}  // namespace qel
