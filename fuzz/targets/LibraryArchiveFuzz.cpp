// The readers that go through an archive library, over arbitrary bytes: RAR (the project's
// header walk of RAR 1.5 to 5, then libarchive for the data of every entry tested) and ACE
// (the program's own header walk; the library is absent, as it is for users).
#include "formats/ace/UnAce.h"
#include "formats/rar/UnRar.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzRar(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnRar>(data, size); }
int FuzzAce(const uint8_t* data, size_t size) { return ListAndTest<qel::TUnACE>(data, size); }

}  // namespace vk::fuzz
