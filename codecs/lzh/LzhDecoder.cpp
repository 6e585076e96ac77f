#include "codecs/lzh/LzhDecoder.h"

#include <algorithm>

namespace qel {
namespace {

constexpr int kLiterals = 510;  // 256 bytes and the lengths 3 to 256
constexpr int kLengthSymbols = 19;
constexpr int kLiteralCountBits = 9;
constexpr int kLengthCountBits = 5;
constexpr int kMinMatch = 3;
// Every window of the formats it serves, from ZOO's and LHA's 26,624 bytes up.
constexpr size_t kMinWindow = size_t(1) << 15;

}  // namespace

TLzhDecoder::TLzhDecoder(TLzhParams params)
    : params_(params),
      positions_(params.DictionaryBits + 1),
      windowSize_(std::max(kMinWindow, size_t(1) << params.DictionaryBits)),
      window_(std::make_unique<uint8_t[]>(windowSize_)) {}

TLzhDecoder::~TLzhDecoder() = default;

bool TLzhDecoder::ReadSmallCode(TMsbBitReader& in, int symbols, int countBits, int special,
                                TLzhTable& out) {
  const int n = int(in.Get(countBits));
  if (n == 0) {
    const uint32_t only = in.Get(countBits);
    if (only >= uint32_t(symbols)) return false;
    out.Single(uint16_t(only));
    return true;
  }
  if (n > symbols) return false;
  uint8_t lengths[32] = {};
  for (int i = 0; i < n;) {
    // Three bits, and a length of 7 or more continued in unary: one more per 1 bit.
    int len = int(in.Get(3));
    if (len == 7) {
      while (in.Get(1)) {
        if (++len > TLzhTable::kMaxLength) return false;
      }
    }
    lengths[i++] = uint8_t(len);
    if (i == special) {
      // An encoder that trimmed its count to three may still say that the next ones are
      // zero: the run may pass the count, not the alphabet.
      const int zeros = int(in.Get(2));
      if (i + zeros > symbols) return false;
      i += zeros;  // already zero
    }
  }
  return out.Build({lengths, size_t(symbols)});
}

bool TLzhDecoder::ReadLiteralCode(TMsbBitReader& in) {
  const int n = int(in.Get(kLiteralCountBits));
  if (n == 0) {
    const uint32_t only = in.Get(kLiteralCountBits);
    if (only >= uint32_t(kLiterals)) return false;
    literalCode_.Single(uint16_t(only));
    return true;
  }
  if (n > kLiterals) return false;
  uint8_t lengths[kLiterals] = {};
  for (int i = 0; i < n;) {
    const int c = lengthCode_.Decode(in);
    if (c > 2) {
      lengths[i++] = uint8_t(c - 2);
      continue;
    }
    // Runs of zero lengths: one, 3 to 18, or 20 to 531.
    const int zeros = c == 0 ? 1 : c == 1 ? 3 + int(in.Get(4)) : 20 + int(in.Get(9));
    if (i + zeros > kLiterals) return false;
    i += zeros;
  }
  return literalCode_.Build(lengths);
}

bool TLzhDecoder::ReadBlockHeader(TMsbBitReader& in) {
  return ReadSmallCode(in, kLengthSymbols, kLengthCountBits, 3, lengthCode_) &&
         ReadLiteralCode(in) &&
         ReadSmallCode(in, positions_, params_.PositionCountBits, -1, positionCode_);
}

TDecodeResult TLzhDecoder::Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t size) {
  TMsbBitReader in(source);
  TDecodeResult result;
  uint8_t* const window = window_.get();
  const size_t mask = windowSize_ - 1;
  size_t at = 0;          // where the next byte goes in the window
  uint64_t produced = 0;  // bytes decoded so far, flushed or not
  uint32_t blockLeft = 0;
  const auto flush = [&] {
    if (at == 0) return true;
    if (!sink({window, at})) return false;
    at = 0;
    return true;
  };
  const auto fail = [&](TDecodeStatus status) {
    result.Status = in.Overrun() ? TDecodeStatus::UnexpectedEnd : status;
  };

  while (produced < size) {
    if (blockLeft == 0) {
      blockLeft = in.Get(16);
      if (blockLeft == 0 || !ReadBlockHeader(in) || in.Overrun()) {
        fail(TDecodeStatus::Corrupt);
        break;
      }
    }
    --blockLeft;
    const uint16_t c = literalCode_.Decode(in);
    if (c < 256) {
      window[at++] = uint8_t(c);
      ++produced;
    } else {
      const uint16_t p = positionCode_.Decode(in);
      const uint32_t distance = (p == 0 ? 0 : (1u << (p - 1)) + in.Get(p - 1)) + 1;
      if (distance > produced || distance > windowSize_) {
        fail(TDecodeStatus::Corrupt);
        break;
      }
      const uint64_t length = std::min<uint64_t>(c - 256 + kMinMatch, size - produced);
      size_t from = (at - distance) & mask;
      if (from + length <= at && at + length <= windowSize_) {
        // Behind the write position and clear of the window's end: one straight copy,
        // overlapping forwards byte by byte as a repeat must.
        for (uint64_t i = 0; i < length; ++i) window[at + i] = window[from + i];
        at += length;
      } else {
        for (uint64_t i = 0; i < length; ++i) {
          window[at] = window[from];
          from = (from + 1) & mask;
          if (++at == windowSize_ && !flush()) {
            result.Status = TDecodeStatus::Aborted;
            return result;
          }
        }
      }
      produced += length;
    }
    if (at == windowSize_ && !flush()) {
      result.Status = TDecodeStatus::Aborted;
      result.Decoded = produced - windowSize_;
      return result;
    }
    if (in.Overrun()) {
      fail(TDecodeStatus::UnexpectedEnd);
      break;
    }
  }
  // Whatever was decoded goes out, also before a failure: the caller's CRC says the rest.
  if (!flush()) result.Status = TDecodeStatus::Aborted;
  result.Decoded = produced;
  return result;
}

}  // namespace qel
