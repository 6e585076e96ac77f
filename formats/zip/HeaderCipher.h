// The hook through which ZIP record code deciphers records written with enciphered
// headers. The cipher itself belongs to the encryption code; record code only calls it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qel {

// Deciphers `size` bytes of one record in place (the part after its signature, then its
// name), starting from the header-key seed. Answers false when it cannot, and an empty
// hook means no cipher is available: enciphered records are then unreadable.
using THeaderDecipher = std::function<bool(uint8_t* data, size_t size)>;

}  // namespace qel
