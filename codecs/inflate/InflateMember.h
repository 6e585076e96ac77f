// The push form of the decoder: pulls compressed bytes from a source routine and hands the
// decoded bytes to a sink in pieces of up to the decoder's buffer size. ZIP method 9 and
// every GZIP member go through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "codecs/inflate/InflateStatus.h"

namespace qel {

// Copies up to `size` compressed bytes into `buffer` (decrypting them when needed) and
// answers how many; 0 means there are no more.
using TInflateSource = std::function<size_t(uint8_t* buffer, size_t size)>;
// Takes a piece of decoded data; false stops the decoding (write failure or cancel).
using TInflateSink = std::function<bool(std::span<const uint8_t> data)>;

struct TInflateResult {
  InflateStatus Status = InflateStatus::Ok;  // StreamEnd when the stream decoded in full
  uint64_t CompressedUsed = 0;               // bytes of the stream itself
  uint64_t Decoded = 0;
  // Bytes taken from the source past the end of the stream (a GZIP trailer, say).
  size_t Unused = 0;
};

class Inflater;

// Decodes one member after another with the same decoder and input buffer: a reader of many
// small entries would otherwise spend more on setting them up than on decoding.
class TMemberInflater {
 public:
  TMemberInflater();
  ~TMemberInflater();
  TMemberInflater(const TMemberInflater&) = delete;
  TMemberInflater& operator=(const TMemberInflater&) = delete;

  TInflateResult Run(DeflateVariant variant, const TInflateSource& source,
                     const TInflateSink& sink);

 private:
  std::unique_ptr<Inflater> decoder_;
  std::unique_ptr<uint8_t[]> input_;
};

// One member with a decoder of its own.
TInflateResult InflateMember(DeflateVariant variant, const TInflateSource& source,
                             const TInflateSink& sink);

}  // namespace qel
