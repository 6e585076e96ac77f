// How the LZH codecs take their input and give their output, in the form the Inflate
// decoder uses: a source routine that fills a buffer (decrypting where the format enciphers
// its entries) and a sink that takes each piece of decoded data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace qel {

// Copies up to `size` compressed bytes into `buffer` and answers how many; 0 means there are
// no more.
using TLzhSource = std::function<size_t(uint8_t* buffer, size_t size)>;
// Takes a piece of decoded data; false stops the decoding (a write failure or a cancel).
using TLzhSink = std::function<bool(std::span<const uint8_t> data)>;

enum class TLzhStatus {
  Ok,             // the whole of the asked size was produced
  Corrupt,        // a block header or code the format does not allow
  UnexpectedEnd,  // the input ended first
  Aborted,        // the sink refused the data
};

}  // namespace qel
