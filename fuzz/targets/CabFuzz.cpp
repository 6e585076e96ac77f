// Cabinets over arbitrary bytes: the lister's walk of the header, the folders, the file
// records and the set the cabinet names (whose next cabinet is never there), then the
// reader's test of every file, libmspack decoding through the reader's own file routines.
#include "formats/cab/UnCab.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzCab(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnCab>(data, size); }

}  // namespace vk::fuzz
