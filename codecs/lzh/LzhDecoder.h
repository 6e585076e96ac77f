// The static-Huffman LZH decoder: LHA's -lh4- to -lh7-, and the same bit format in ARJ
// methods 1 to 3, ZOO method 2 and BH methods 1 and 3, which differ only in the dictionary
// size and in how many bits count the position codes.
//
// The stream is a run of blocks. Each opens with a 16-bit symbol count and three code
// tables (a code-length code of 19 symbols, the literal/length code of 510 symbols, the
// position code of dictionary bits + 1 symbols), then holds that many symbols: a literal
// byte (0-255), or a match of length symbol - 253 (3 to 256) followed by a position code p
// and p - 1 raw bits, which together give the distance back.
#pragma once

#include <cstdint>
#include <memory>

#include "codecs/io/CodecIo.h"
#include "codecs/lzh/LzhTable.h"

namespace qel {

struct TLzhParams {
  int DictionaryBits;     // 12 (-lh4-) to 16 (-lh7-, ARJ)
  int PositionCountBits;  // the bits of the position code's count: 4 or 5
};

inline constexpr TLzhParams kLh4{12, 4}, kLh5{13, 4}, kLh6{15, 5}, kLh7{16, 5};

class TLzhDecoder {
 public:
  explicit TLzhDecoder(TLzhParams params);
  ~TLzhDecoder();
  TLzhDecoder(const TLzhDecoder&) = delete;
  TLzhDecoder& operator=(const TLzhDecoder&) = delete;

  // Decodes `size` bytes from `source` into `sink`, in pieces of the window's size.
  TDecodeResult Decode(const TCodecSource& source, const TCodecSink& sink, uint64_t size);

 private:
  // Reads one block's three codes; false when they are not a valid set.
  bool ReadBlockHeader(TMsbBitReader& in);
  // The code-length code (`special` = 3: a run of zero lengths after the third) or the
  // position code (`special` < 0).
  bool ReadSmallCode(TMsbBitReader& in, int symbols, int countBits, int special, TLzhTable& out);
  bool ReadLiteralCode(TMsbBitReader& in);

  TLzhParams params_;
  int positions_;  // position codes: dictionary bits + 1
  // The window is at least as long as the farthest distance, and a power of two, so that a
  // distance always wraps to the right byte.
  size_t windowSize_;
  std::unique_ptr<uint8_t[]> window_;
  TLzhTable lengthCode_{8}, literalCode_{12}, positionCode_{8};
};

}  // namespace qel
