#include "codecs/lzw/LzwDecompressStream.h"

#include <algorithm>
#include <cstring>

namespace qel {

namespace {

constexpr uint8_t kMagic[2] = {0x1F, 0x9D};
constexpr uint8_t kMaxBitsMask = 0x1F, kUnknownFlags = 0x60, kBlockModeFlag = 0x80;
constexpr uint32_t kFirstWidth = 9, kLastWidth = 16;
constexpr uint32_t kClear = 256;
constexpr uint32_t kTableSize = uint32_t(1) << kLastWidth;
// Input is fetched in pieces of this size; a code read as three bytes may pass the last byte
// of input by two, into the padding.
constexpr size_t kInputChunk = size_t(1) << 16;
constexpr size_t kPadding = 4;

// Moves past the rest of the current group of eight codes, counted from where the width began,
// as the compressor pads it.
void SkipGroup(uint64_t& bitPos, uint64_t& widthStart, uint32_t width) {
  const uint64_t group = 8 * uint64_t(width);
  bitPos = widthStart + (bitPos - widthStart + group - 1) / group * group;
  widthStart = bitPos;
}

}  // namespace

TLzwDecompressStream::TLzwDecompressStream(const TCodecSource& source)
    : source_(source),
      // Left unset: a code is looked up only once its entry was written.
      prefixes_(std::make_unique_for_overwrite<uint16_t[]>(kTableSize)),
      suffixes_(std::make_unique_for_overwrite<uint8_t[]>(kTableSize)),
      lengths_(std::make_unique_for_overwrite<uint16_t[]>(kTableSize)),
      pending_(std::make_unique_for_overwrite<uint8_t[]>(kTableSize)),
      input_(std::make_unique_for_overwrite<uint8_t[]>(kInputChunk + kPadding)) {
  for (uint32_t c = 0; c < 256; ++c) lengths_[c] = 1;
}

TLzwDecompressStream::TLzwDecompressStream(const TCodecSource& source, TLzwRawFormat raw)
    : TLzwDecompressStream(source) {
  raw_ = true;
  maxBits_ = std::clamp(raw.maxBits, kFirstWidth, kLastWidth);
  blockMode_ = raw.blockMode;
}

void TLzwDecompressStream::Fail(TLzwError error) {
  error_ = error;
  ended_ = true;
}

bool TLzwDecompressStream::Fill(uint64_t bitPos, uint32_t width) {
  while ((inputStart_ + inputSize_) * 8 < bitPos + width) {
    if (sourceEnded_) return false;
    // Everything before the code's first byte is done with, including bytes a skipped group
    // left behind, which may lie past what was read.
    const size_t drop = size_t(std::min<uint64_t>((bitPos >> 3) - inputStart_, inputSize_));
    std::memmove(input_.get(), input_.get() + drop, inputSize_ - drop);
    inputSize_ -= drop;
    inputStart_ += drop;
    const size_t got = source_(input_.get() + inputSize_, kInputChunk - inputSize_);
    sourceEnded_ = got == 0;
    inputSize_ += got;
    consumed_ += got;
    // The bits past the input that a code's three bytes take in are masked off, but read.
    std::fill_n(input_.get() + inputSize_, kPadding, 0);
  }
  return true;
}

bool TLzwDecompressStream::ReadHeader() {
  if (!Fill(0, 24) || input_[0] != kMagic[0] || input_[1] != kMagic[1]) {
    Fail(TLzwError::NotCompress);
    return false;
  }
  const uint8_t flags = input_[2];
  if (flags & kUnknownFlags) {
    Fail(TLzwError::IncompleteCodeSet);
    return false;
  }
  maxBits_ = flags & kMaxBitsMask;
  if (maxBits_ < kFirstWidth || maxBits_ > kLastWidth) {
    Fail(TLzwError::BadMaxBits);
    return false;
  }
  blockMode_ = (flags & kBlockModeFlag) != 0;
  Start(24);
  return true;
}

void TLzwDecompressStream::Start(uint64_t firstBit) {
  tableEnd_ = uint32_t(1) << maxBits_;
  // Even at a largest width of 9 the first widening comes after code 511, as the compressor
  // has it: such files go on in 10-bit codes.
  state_ = {.bitPos = firstBit,
            .widthStart = firstBit,
            .width = kFirstWidth,
            .maxCode = (uint32_t(1) << kFirstWidth) - 1,
            .next = blockMode_ ? kClear + 1 : kClear,
            .oldCode = -1,
            .finChar = 0};
}

int64_t TLzwDecompressStream::Read(void* buffer, int64_t count) {
  if (!started_) {
    started_ = true;
    if (raw_)
      Start(0);
    else
      ReadHeader();
  }
  if (count <= 0) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t made = 0;
  if (pendingAt_ < pendingEnd_) {
    made = int64_t(std::min<uint64_t>(pendingEnd_ - pendingAt_, uint64_t(count)));
    std::memcpy(out, pending_.get() + pendingAt_, size_t(made));
    pendingAt_ += size_t(made);
  }
  if (made < count && !ended_) made += Decode(out + made, count - made);
  return made;
}

int64_t TLzwDecompressStream::Decode(uint8_t* out, int64_t count) {
  // Locals, not members: stores through `out` could alias members and force reloads.
  TState s = state_;
  uint16_t* const prefixes = prefixes_.get();
  uint8_t* const suffixes = suffixes_.get();
  uint16_t* const lengths = lengths_.get();
  const uint8_t* const in = input_.get();
  uint64_t inStart = inputStart_, inEndBits = (inputStart_ + inputSize_) * 8;
  int64_t made = 0;
  while (made < count) {
    if (s.next > s.maxCode) {
      SkipGroup(s.bitPos, s.widthStart, s.width);
      ++s.width;
      s.maxCode = s.width == maxBits_ ? tableEnd_ : (uint32_t(1) << s.width) - 1;
      continue;
    }
    if (s.bitPos + s.width > inEndBits) {
      // Trailing bits too few for a code are no data.
      if (!Fill(s.bitPos, s.width)) {
        ended_ = true;
        break;
      }
      inStart = inputStart_;
      inEndBits = (inputStart_ + inputSize_) * 8;
    }
    const uint8_t* at = in + ((s.bitPos >> 3) - inStart);
    const uint32_t bits = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16;
    const uint32_t code = (bits >> (s.bitPos & 7)) & ((uint32_t(1) << s.width) - 1);
    s.bitPos += s.width;

    if (s.oldCode < 0) {
      if (code > 255) {
        Fail(TLzwError::CorruptInput);
        break;
      }
      out[made++] = uint8_t(code);
      s.finChar = code;
      s.oldCode = int32_t(code);
      continue;
    }
    if (code == kClear && blockMode_) {
      // The code after a clear adds an entry at 256 that no code reaches, so the strings
      // start at 257 again, in step with the compressor.
      SkipGroup(s.bitPos, s.widthStart, s.width);
      s.width = kFirstWidth;
      s.maxCode = (uint32_t(1) << kFirstWidth) - 1;
      s.next = kClear;
      continue;
    }
    if (code > s.next) {
      Fail(TLzwError::CorruptInput);
      break;
    }
    // A code not yet in the table (KwKwK) is the previous string and its own first byte.
    const bool known = code < s.next;
    const uint32_t length = known ? lengths[code] : lengths[s.oldCode] + 1u;
    const bool fits = int64_t(length) <= count - made;
    uint8_t* const dest = fits ? out + made : pending_.get();
    uint8_t* p = dest + length;
    uint32_t c = code;
    if (!known) {
      *--p = uint8_t(s.finChar);
      c = uint32_t(s.oldCode);
    }
    while (c > 255) {
      *--p = suffixes[c];
      c = prefixes[c];
    }
    *--p = uint8_t(c);
    s.finChar = c;
    if (fits) {
      made += length;
    } else {
      const size_t part = size_t(count - made);
      std::memcpy(out + made, dest, part);
      pendingAt_ = part;
      pendingEnd_ = length;
      made = count;
    }
    if (s.next < tableEnd_) {
      prefixes[s.next] = uint16_t(s.oldCode);
      suffixes[s.next] = uint8_t(s.finChar);
      lengths[s.next] = uint16_t(lengths[s.oldCode] + 1);
      ++s.next;
    }
    s.oldCode = int32_t(code);
  }
  state_ = s;
  return made;
}

}  // namespace qel
