// The .Z decoder over arbitrary input, up to 256 KiB of output: nothing may crash or hang, a
// read may come up short only at the end, no more input is taken than there is, and reading
// in small, changing pieces gives the same bytes and verdict as reading at once.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "codecs/lzw/LzwDecompressStream.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

constexpr int64_t kWanted = int64_t(1) << 18;

struct TResult {
  std::vector<uint8_t> data = std::vector<uint8_t>(size_t(kWanted));
  int64_t made = 0;
  qel::TLzwError error = qel::TLzwError::None;
};

// Into `r`, whose buffer is kept from run to run: fresh pages for every run are most of its
// time.
void Decode(const uint8_t* data, size_t size, bool smallPieces, TResult& r) {
  const qel::TCodecSource source = qel::SpanSource({data, size});
  qel::TLzwDecompressStream lzw(source);
  int64_t made = 0;
  for (int64_t step = 1; made < kWanted && !lzw.Ended(); step = step * 5 % 9973 + 1) {
    const int64_t want = smallPieces ? std::min(step, kWanted - made) : kWanted - made;
    const int64_t got = lzw.Read(r.data.data() + made, want);
    if (got < 0 || got > want || (got < want && !lzw.Ended())) std::abort();
    made += got;
  }
  if (lzw.Consumed() > size || (lzw.Ended() && lzw.Read(r.data.data(), 1) != 0)) std::abort();
  r.made = made;
  r.error = lzw.Error();
}

}  // namespace

int FuzzLzw(const uint8_t* data, size_t size) {
  static TResult whole, pieces;
  Decode(data, size, false, whole);
  Decode(data, size, true, pieces);
  if (whole.made != pieces.made || whole.error != pieces.error ||
      !std::equal(whole.data.begin(), whole.data.begin() + whole.made, pieces.data.begin()))
    std::abort();
  return 0;
}

}  // namespace vk::fuzz
