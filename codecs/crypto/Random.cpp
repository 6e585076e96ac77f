#include "codecs/crypto/Random.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>

namespace qel::crypto {

// getrandom may return fewer bytes than asked (large requests, signals), so it is called
// until the buffer is full.
bool RandomBytes(void* buffer, size_t size) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    const ssize_t n = ::getrandom(p, size, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace qel::crypto
