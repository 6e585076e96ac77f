// The writer of entries stored without compression: every block written to it is either
// enciphered or taken into the entry's CRC, then passed on to the archive.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "codecs/io/DataCipher.h"
#include "codecs/io/ProgressHook.h"
#include "engine/streams/CrcAccumulator.h"
#include "engine/streams/SinkStream.h"

namespace qel {

class TStoreStream : public TSinkStream {
 public:
  // The largest block CopyFrom moves at a time, and the largest one enciphered at a time.
  static constexpr int64_t kBlockSize = 102400;

  // Without a cipher the CRC of the data is taken here. An enciphered entry's CRC was
  // taken beforehand (the cipher's header carries it), so a cipher leaves the CRC alone.
  TStoreStream(TStream64& destination, TCrcWidth width, IDataCipher* cipher = nullptr)
      : destination_(destination), crc_(width), cipher_(cipher) {}

  // Answers the bytes that reached the destination; the caller's buffer is left as it is.
  int64_t Write(const void* buffer, int64_t count) override;

  // Copies `count` bytes (all that is left when count < 0) from the current position of
  // `source` in blocks of at most kBlockSize, stopping before the next block once `*cancel`
  // is set; answers the bytes copied.
  int64_t CopyFrom(TStream64& source, int64_t count, const std::atomic<uint8_t>* cancel = nullptr);

  uint32_t CRC() const { return crc_.Value(); }

  // Called after every block written.
  TProgressHook Progress;

 private:
  TStream64& destination_;
  TCrcAccumulator crc_;
  IDataCipher* cipher_;
  std::vector<uint8_t> enciphered_;
};

}  // namespace qel
