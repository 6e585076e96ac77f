// The LZX encoder, as cabinets hold LZX: a stream of frames of 32 KiB of input, each coded
// into the bytes of one data block, the match history carried from frame to frame.
//
// Every frame is one block of its own, so that its bytes end on a 16-bit boundary, as the
// decoders expect at a data block's end, and no match reaches past the frame's end. A block
// is verbatim or aligned-offset, whichever codes smaller, or uncompressed when neither makes
// the frame smaller: an incompressible frame grows by 16 or 17 bytes at most.
//
// Matches are found through hash chains and chosen lazily, weighed by a rough cost in bits
// rather than by length alone: a far match costs up to 17 extra bits for its offset, while
// the three repeated offsets cost none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/LzxBitWriter.h"
#include "codecs/lzx/LzxMatchFinder.h"
#include "codecs/lzx/LzxTables.h"

namespace qel {

inline constexpr size_t kLzxFrameSize = 32768;

class TLzxEncoder {
 public:
  // 15..21 (others are taken as the nearest).
  explicit TLzxEncoder(int windowBits);
  ~TLzxEncoder();
  TLzxEncoder(const TLzxEncoder&) = delete;
  TLzxEncoder& operator=(const TLzxEncoder&) = delete;

  // Codes the stream's next frame: `frame` is at most kLzxFrameSize bytes, exactly that
  // many for every frame but the stream's last. Appends the frame's coded bytes to `out`;
  // they end on a 16-bit boundary, so that they form one data block of their own that a
  // decoder can take alone. An empty frame codes to nothing.
  void EncodeFrame(std::span<const uint8_t> frame, std::vector<uint8_t>& out);

 private:
  // What the parser picked at a place: a match (a repeated offset or a distance), or
  // nothing worth more than literals.
  struct TChoice {
    int Length = 0;
    int Repeat = -1;  // 0-2, or -1 for a match by distance
    uint32_t Distance = 0;
    int Gain = 0;  // bits saved against literals, roughly
  };
  // A block's symbol: a literal or a match's main element with what follows it.
  struct TSymbol {
    uint16_t Main;
    uint8_t LengthSymbol;
    uint8_t ExtraBits;
    uint32_t Extra;
  };

  void Parse(size_t begin, size_t end);
  TChoice Choose(size_t at, size_t end, int depth) const;
  void PutLiteral(uint8_t c);
  void PutMatch(const TChoice& match);
  void WriteCompressed(lzx::TBitWriter& bits, size_t size);
  void WriteUncompressed(lzx::TBitWriter& bits, std::span<const uint8_t> frame) const;

  const int mainSymbols_;
  lzx::TMatchFinder finder_;
  bool started_ = false;
  bool lastStored_ = false;  // the last frame did not shrink
  uint32_t repeats_[lzx::kRepeats] = {1, 1, 1};

  // The frame being coded.
  std::vector<TSymbol> symbols_;
  uint32_t mainFreq_[lzx::kMaxMainSymbols] = {};
  uint32_t lengthFreq_[lzx::kLengthSymbols] = {};
  uint32_t alignedFreq_[lzx::kAlignedSymbols] = {};
  uint8_t mainLengths_[lzx::kMaxMainSymbols] = {};
  uint8_t lengthLengths_[lzx::kLengthSymbols] = {};

  // The trees of the last compressed block, which the next one's are sent against.
  uint8_t prevMain_[lzx::kMaxMainSymbols] = {};
  uint8_t prevLength_[lzx::kLengthSymbols] = {};
};

}  // namespace qel
