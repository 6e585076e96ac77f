// The LHA lister and reader over arbitrary bytes: the header walk of every level, the
// extended headers, and the decoding and checking of every entry (test mode: nothing is
// written).
#include "formats/lha/UnLha.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzLha(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnLha>(data, size); }

}  // namespace vk::fuzz
