// The UU, XX and Base64 decoder over arbitrary text: the lister's header search, then the
// decoder's test of the one file.
#include "formats/uue/UnUu.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzUue(const uint8_t* data, size_t size) { return ListAndTest<qel::TUUDecode>(data, size); }

}  // namespace vk::fuzz
