// The LZH encoder: writes the static-Huffman block format the LZH decoder reads, for LHA's
// -lh5- and -lh6- and BH's Fuse method.
//
// Matches are found through hash chains over a window of 2^dictionary-bits bytes and chosen
// lazily: a match is taken only when the match one byte later is not longer. Symbols gather
// in a block until its buffered form (a byte per literal, three per match, a flag byte per
// eight symbols) nears 32 KB; the block then gets its own three codes.
//
// The encoder gives up when the data does not compress: when its output reaches the input
// read so far, or when a block's buffered symbols outgrow that input. The caller then stores
// the data instead.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/io/CodecIo.h"
#include "codecs/lzh/LzhDecoder.h"

namespace qel {

// LHA writes -lh5- and -lh6- with their own parameters (kLh5, kLh6). BH's Fuse is the same
// stream with a 16 KB dictionary and 15 position codes, so that BH readers, whose window is
// 26,624 bytes, take every distance.
inline constexpr TLzhParams kFuse{14, 5};

enum class TLzhEncodeStatus {
  Ok,
  Incompressible,  // given up: the data is better stored
  Aborted,         // the sink refused the output
};

class TLzhEncoder {
 public:
  explicit TLzhEncoder(TLzhParams params);
  TLzhParams Params() const { return params_; }
  ~TLzhEncoder();
  TLzhEncoder(const TLzhEncoder&) = delete;
  TLzhEncoder& operator=(const TLzhEncoder&) = delete;

  // Encodes everything `source` gives; the output leaves through `sink` in pieces. One
  // encoder serves stream after stream without clearing its tables.
  TLzhEncodeStatus Encode(const TCodecSource& source, const TCodecSink& sink);
  // The bytes of output of the last Encode.
  uint64_t Written() const { return written_; }

 private:
  struct TMatch {
    int Length = 0;
    uint32_t Distance = 0;
  };

  // Moves the window down and reads more, so that at least a longest match is in hand
  // ahead of `pos_` while the input lasts.
  void Fill();
  uint32_t Hash(size_t at) const;
  void Insert(size_t at);
  // The longest match for the text at `at`, comparing at most `chainLimit` earlier places.
  TMatch FindMatch(size_t at, int chainLimit) const;

  void PutLiteral(uint8_t c);
  void PutMatch(const TMatch& m);
  // Before a symbol: sends the block when a flag byte is due and the block is full.
  void StartSymbol();
  // After a symbol: gives up when the block outgrew the input read.
  void EndSymbol();
  void SendBlock();
  void WriteSmallCode(const uint8_t* lengths, int symbols, int countBits, int special);
  void WriteLiteralLengths(const uint8_t* lengths, const uint8_t* lenLengths,
                           const uint16_t* lenCodes);

  void PutBits(int n, uint32_t value);
  // Moves the whole bytes gathered to the output.
  void FlushBits();
  bool FlushOutput();

  TLzhParams params_;
  int positions_;
  uint32_t dictionary_;

  // The text: a window of history behind pos_ and the lookahead in front of it.
  std::vector<uint8_t> text_;
  size_t pos_ = 0, end_ = 0;
  uint64_t base_ = 0;    // the offset of text_[0], counted on across streams
  uint64_t origin_ = 0;  // the offset where the stream being encoded starts
  bool inputEnded_ = false;
  uint64_t read_ = 0;  // input bytes read so far
  const TCodecSource* source_ = nullptr;
  // Chains of earlier positions with the same hash, as offsets + 1 (0: none).
  std::unique_ptr<uint64_t[]> head_;
  std::unique_ptr<uint64_t[]> prev_;

  // The block being gathered.
  std::vector<uint16_t> symbols_;
  std::vector<uint16_t> distances_;  // per match, distance - 1
  uint32_t blockBytes_ = 0;          // its buffered form's size
  uint32_t literalFreq_[510] = {};
  uint32_t positionFreq_[32] = {};

  // The output.
  uint64_t bits_ = 0;
  int bitCount_ = 0;
  std::vector<uint8_t> out_;
  uint64_t written_ = 0;
  const TCodecSink* sink_ = nullptr;
  bool gaveUp_ = false;
  bool aborted_ = false;
};

}  // namespace qel
