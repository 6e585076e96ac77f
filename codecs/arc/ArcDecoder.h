// The ARC family's methods, decoded: 1 and 2 stored, 3 packed (RLE90), 4 squeezed (Huffman,
// then RLE90), 5 to 7 crunched (12-bit LZW over a hashed table, 6 and 7 then RLE90), 8
// crunched with compress's dynamic LZW (then RLE90) and 9 squashed (13-bit LZW).
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Why a decode came out Corrupt, for the reader's message.
enum class TArcDecodeError {
  None,
  InvalidTree,    // a squeezed entry's decode tree has no such node or value
  BadBitCount,    // a method-8 entry was packed with another largest code width than 12
  StackOverflow,  // a crunched string longer than the decoder's stack
};

// Whether DecodeArc knows `method`.
bool ArcMethodDecoded(int method);

// Decodes up to `size` bytes of an entry packed with `method`; stops there or where the input
// ends. Ok only when the whole size came out; for Corrupt, `why` (when given) says what was
// wrong where the format has a word for it.
TDecodeResult DecodeArc(int method, const TCodecSource& source, const TCodecSink& sink,
                        uint64_t size, TArcDecodeError* why = nullptr);

}  // namespace qel
