// GZIP (several members, every header field), BZIP2 and `compress` files over arbitrary
// bytes: the lister's entry and the test of the decoded data.
#include "engine/extract/UnPacked.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzPacked(const uint8_t* data, size_t size) {
  return ListAndTest<qel::TUnPacked>(data, size, false);
}

}  // namespace vk::fuzz
