// The data of a GZIP file: its members one after the other, each inflated and checked
// against its own trailer (CRC-32 and length), as `gzip -d` reads them.
#pragma once

#include <memory>

#include "engine/packed/PackedStream.h"

namespace qel {

class TDecompressStream;

class TGzipReader : public TPackedStream {
 public:
  // `file` is positioned at the data of a member whose header was read.
  TGzipReader(TStream64& file, int64_t dataAt);
  ~TGzipReader() override;
  int64_t Consumed() const override { return consumed_; }

 protected:
  int64_t Decode(uint8_t* buffer, int64_t count) override;

 private:
  // Checks the trailer of the member that ended and starts the next one, if any.
  void EndMember();
  void StartMember(int64_t dataAt);

  TStream64& file_;
  int64_t size_;
  std::unique_ptr<TDecompressStream> inflate_;
  uint32_t crc_ = 0;
  uint32_t length_ = 0;  // modulo 2^32, as the trailer keeps it
  int64_t consumed_ = 0;
};

// A reader for the GZIP file `file`; null, with the message number in `refusal`, when its
// first header is one this reader does not decode.
std::unique_ptr<TPackedStream> OpenGzip(TStream64& file, int& refusal);

}  // namespace qel
