// The decoder over arbitrary bytes. Plain Deflate is checked against zlib: whatever zlib
// decodes in full, the decoder must decode to the same bytes, whatever the input split.
// Deflate64 has no reference, so two different splits must agree with each other.
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "codecs/inflate/InflateMember.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

using Bytes = std::vector<uint8_t>;

struct Outcome {
  qel::InflateStatus status;
  Bytes data;
};

Outcome Decode(qel::DeflateVariant variant, const uint8_t* data, size_t size, size_t chunk) {
  Outcome o;
  size_t at = 0;
  o.status = qel::InflateMember(
                 variant,
                 [&](uint8_t* buf, size_t n) {
                   n = std::min({n, chunk, size - at});
                   std::copy_n(data + at, n, buf);
                   at += n;
                   return n;
                 },
                 [&](std::span<const uint8_t> piece) {
                   o.data.insert(o.data.end(), piece.begin(), piece.end());
                   return true;
                 })
                 .Status;
  return o;
}

// zlib's output when it decodes the whole stream, else nothing.
bool ZlibInflate(const uint8_t* data, size_t size, Bytes& out) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  uint8_t buf[16384];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = buf;
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), buf, buf + (sizeof buf - z.avail_out));
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END;
}

size_t SplitFor(const uint8_t* data, size_t size) { return size ? 1 + data[size / 2] % 61 : 1; }

}  // namespace

int FuzzInflate(const uint8_t* data, size_t size) {
  const Outcome whole = Decode(qel::DeflateVariant::Deflate, data, size, 32768);
  const Outcome split = Decode(qel::DeflateVariant::Deflate, data, size, SplitFor(data, size));
  if (whole.status != split.status || whole.data != split.data) std::abort();
  Bytes reference;
  if (ZlibInflate(data, size, reference) &&
      (whole.status != qel::InflateStatus::StreamEnd || whole.data != reference))
    std::abort();
  return 0;
}

int FuzzDeflate64(const uint8_t* data, size_t size) {
  const Outcome whole = Decode(qel::DeflateVariant::Deflate64, data, size, 32768);
  const Outcome split = Decode(qel::DeflateVariant::Deflate64, data, size, SplitFor(data, size));
  if (whole.status != split.status || whole.data != split.data) std::abort();
  return 0;
}

}  // namespace vk::fuzz
