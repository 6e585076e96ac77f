// BLAKE2sp against digests of the reference construction (Python's BLAKE2s with the tree
// parameters), at the sizes where leaves and rounds begin and end, fed whole and in pieces.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "codecs/checksum/Blake2sp.h"

namespace qel {
namespace {

std::string Hex(const std::array<uint8_t, 32>& d) {
  std::string s;
  char b[3];
  for (uint8_t x : d) {
    std::snprintf(b, sizeof b, "%02x", x);
    s += b;
  }
  return s;
}

TEST(Blake2sp, MatchesTheReferenceConstruction) {
  const struct {
    size_t size;
    const char* digest;
  } cases[] = {
      {0, "dd0e891776933f43c7d032b08a917e25741f8aa9a12c12e1cac8801500f2ca4f"},
      {1, "456da349adc8eaa1ee5fd8397d9c181c21a8e9173ad90f22613fd34e1d576d44"},
      {64, "e375bba69fb1c84c7f202f06e71090695f81786b7413da0cd0126e15a0f80181"},
      {65, "11a6af420901450dd27b0babec0c484c4f7710330040136a17e79df6c54106ae"},
      {511, "63a8cc6d628b88d471d4f81035b367f62b8a14dbf55bd9cca0d945dae8e226cf"},
      {512, "201135254f94f0cf5307da6ae28daf819258fd08df8249684ffbbded6c23e0e5"},
      {513, "4524c7cfa3a7cde180691ba1a3c0d4b9fc20ced214f27e65f5c76dbb0ff44c91"},
      {1024, "c172db3b0b7e122c3e1a5071348ce3bf39dab1772d9d3c1744e722c1eb0aed84"},
      {100000, "c44a8daf4aa4df050711ea5a0b62e279b6953378eae3459b2d4adcd509e1b929"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> data(c.size);
    for (size_t i = 0; i < c.size; ++i) data[i] = uint8_t(i * 7 + 3);
    for (const size_t piece : {c.size + 1, size_t(1), size_t(100)}) {
      TBlake2sp h;
      for (size_t at = 0; at < c.size; at += piece)
        h.Update(data.data() + at, std::min(piece, c.size - at));
      EXPECT_EQ(Hex(h.Final()), c.digest) << c.size << " in pieces of " << piece;
    }
  }
}

}  // namespace
}  // namespace qel
