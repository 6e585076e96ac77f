// Random bytes from the kernel's generator, for salts and cipher header filler.
#pragma once

#include <cstddef>

namespace qel::crypto {

// Fills the buffer, waiting for the generator to be seeded if it is not yet. False only
// when the kernel refuses (no fallback to a weaker source); the buffer is then unusable.
[[nodiscard]] bool RandomBytes(void* buffer, size_t size);

}  // namespace qel::crypto
