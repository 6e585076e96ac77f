// What the codecs read their input from and write their output to: the few calls they make,
// so that they need nothing of the engine's streams (which implement these).
#pragma once

#include <cstdint>

namespace qel {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class IByteSource {
 public:
  virtual ~IByteSource() = default;
  // Bytes read (0 at the end or on an error).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
};

// A source that can be measured and repositioned: a decoder hands back the input it read
// past the end of its data, and a whole input is coded from its start.
class ISeekableSource : public IByteSource {
 public:
  // The new position, or -1 when the seek failed.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  // -1 when unknown.
  virtual int64_t Size() = 0;
};

class IByteSink {
 public:
  virtual ~IByteSink() = default;
  // Bytes written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;

  // Writes until all of `count` bytes went; false on a write that took nothing.
  bool WriteFully(const void* buffer, int64_t count) {
    auto* in = static_cast<const uint8_t*>(buffer);
    for (int64_t done = 0; done < count;) {
      const int64_t n = Write(in + done, count - done);
      if (n <= 0) return false;
      done += n;
    }
    return true;
  }
};

}  // namespace qel
