// Explode: ZIP method 6, the Implode method. LZ77 over a 4 KB or 8 KB window (flag bit 1) with
// Shannon-Fano codes for lengths and distances, and for literals when flag bit 2 says a
// literal tree is present. Each tree is sent as runs of code lengths; a code is read bit by
// bit, each bit inverted, as a canonical code of those lengths.
#pragma once

#include <cstdint>

#include "codecs/io/CodecIo.h"

namespace qel {

// Decodes up to `size` bytes of an entry with general-purpose `flags`; stops there or where
// the input ends. A tree whose runs pass its symbol count or whose lengths oversubscribe the
// code, or a code of no symbol, is Corrupt.
TDecodeResult Explode(uint16_t flags, const TCodecSource& source, const TCodecSink& sink,
                      uint64_t size);

}  // namespace qel
