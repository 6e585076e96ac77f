// zlib as the reference encoder of the decoder tests and benchmarks.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace qel::test {

// Raw Deflate of `data` (no zlib or GZIP wrapper), as ZIP entries hold it.
inline std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t>& data, int level,
                                        int strategy = Z_DEFAULT_STRATEGY) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -15, 8, strategy);
  std::vector<uint8_t> out(deflateBound(&z, uLong(data.size())) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = uInt(data.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace qel::test
