// The readers of the DOS-era formats over arbitrary bytes: each lister's walk (ARJ with the
// volumes its main header announces, which are never there; ARC and PAK records with their
// subdirectories; the ZOO chain; HA headers; BH headers), then the reader's test of every
// entry. BH entries are tested with a password, so that enciphered data is deciphered too.
#include "formats/arc/UnArc.h"
#include "formats/arj/UnArj.h"
#include "formats/bh/UnBh.h"
#include "formats/ha/UnHa.h"
#include "formats/zoo/UnZoo.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzArj(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnARJ>(data, size); }
int FuzzArc(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnArc>(data, size); }
int FuzzZoo(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnZoo>(data, size); }
int FuzzHa(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnHa>(data, size); }
int FuzzBh(const uint8_t* data, size_t size) {
  return ListAndTest<qel::TUnBh>(data, size, true, "pw");
}

}  // namespace vk::fuzz
