// The engine's stream interface: 64-bit positions, and reads and writes that answer how
// many bytes they moved instead of throwing, so that a short read simply fails the rule
// that asked for it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/io/ByteIo.h"
#include "engine/base/Bytes.h"

namespace qel {

// The codecs read and write engine streams through their own byte interfaces.
class TStream64 : public ISeekableSource, public IByteSink {
 public:
  ~TStream64() override = default;
  TStream64() = default;
  TStream64(const TStream64&) = delete;
  TStream64& operator=(const TStream64&) = delete;

  // Bytes read (0 at the end or on an error).
  int64_t Read(void* buffer, int64_t count) override = 0;
  // Bytes written.
  int64_t Write(const void* buffer, int64_t count) override = 0;
  // The new position, or -1 when the seek failed.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override = 0;
  int64_t Size() override = 0;
  virtual bool SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  bool SetPosition(int64_t pos) { return pos >= 0 && Seek(pos, TSeekOrigin::soBeginning) == pos; }

  // Reads until `count` bytes arrived or the stream ends; returns the bytes read.
  int64_t ReadFully(void* buffer, int64_t count);
  // Reads `count` bytes at `pos`; false unless all of them arrived.
  bool ReadExactAt(int64_t pos, void* buffer, int64_t count);
  // ReadExactAt as a record reader takes it; the stream must outlive it.
  TReadAt ExactReader() {
    return
        [this](int64_t pos, uint8_t* data, int64_t size) { return ReadExactAt(pos, data, size); };
  }
  // Reads up to `count` bytes at `pos`; returns the bytes read (0 when `pos` is out of range).
  int64_t ReadAt(int64_t pos, void* buffer, int64_t count);
  // Copies `count` bytes from the current position of `source` (all that is left when
  // count < 0); returns the bytes copied.
  virtual int64_t CopyFrom(TStream64& source, int64_t count);
};

}  // namespace qel
