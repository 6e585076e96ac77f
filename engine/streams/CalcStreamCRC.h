// A sink that keeps nothing but the CRC of what is written to it: ZipCrypto needs a file's
// CRC before the file is enciphered, so the file is first run through this stream.
#pragma once

#include <cstdint>

#include "codecs/io/ProgressHook.h"
#include "engine/streams/CrcAccumulator.h"
#include "engine/streams/SinkStream.h"

namespace qel {

class TCalcStreamCRC : public TSinkStream {
 public:
  explicit TCalcStreamCRC(TCrcWidth width) : crc_(width) {}

  int64_t Write(const void* buffer, int64_t count) override;

  uint32_t CRC() const { return crc_.Value(); }

  TProgressHook Progress;

 private:
  TCrcAccumulator crc_;
};

}  // namespace qel
