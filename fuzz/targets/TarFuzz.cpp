// The TAR lister and reader over arbitrary bytes, plain or compressed: the header walk
// (long names, pax records, base-256 numbers) and the test of every member.
#include "formats/tar/UnTar.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzTar(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnTar>(data, size); }

}  // namespace vk::fuzz
