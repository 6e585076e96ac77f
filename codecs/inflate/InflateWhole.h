// Decoding a whole raw Deflate stream held in memory whose decoded size is known, as a ZIP
// directory tells it: libdeflate's decoder, about twice as fast as a streaming one, for the
// many small entries whose data fits in memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel {

// True when `input` decodes to exactly `outputSize` bytes at `output`. Anything else (damaged
// data, another size) answers false; the caller then decodes it the streaming way, which
// says what is wrong.
bool InflateWhole(const uint8_t* input, size_t inputSize, uint8_t* output, size_t outputSize);

}  // namespace qel
