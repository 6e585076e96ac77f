// How the push codecs (the LZH family, the legacy ZIP methods) take their input and give
// their output: a source routine that fills a buffer (decrypting where the format enciphers
// its entries) and a sink that takes each piece of decoded data.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace qel {

// Copies up to `size` compressed bytes into `buffer` and answers how many; 0 means there are
// no more.
using TCodecSource = std::function<size_t(uint8_t* buffer, size_t size)>;
// Takes a piece of decoded data; false stops the decoding (a write failure or a cancel).
using TCodecSink = std::function<bool(std::span<const uint8_t> data)>;

enum class TDecodeStatus {
  Ok,             // the whole of the asked size was produced
  Corrupt,        // a block header or code the format does not allow
  UnexpectedEnd,  // the input ended first
  Aborted,        // the sink refused the data
};

// A source over bytes in memory, which must outlive it.
inline TCodecSource SpanSource(std::span<const uint8_t> data) {
  return [data, at = size_t(0)](uint8_t* buffer, size_t size) mutable {
    size = std::min(size, data.size() - at);
    std::copy_n(data.data() + at, size, buffer);
    at += size;
    return size;
  };
}

struct TDecodeResult {
  TDecodeStatus Status = TDecodeStatus::Ok;
  uint64_t Decoded = 0;  // bytes handed to the sink
};

}  // namespace qel
