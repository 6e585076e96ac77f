// The writers' bzip2 stream: what is written to it is compressed by libbz2, and the output is
// enciphered (for an encrypted entry) and passed on to the destination in buffer-sized pieces.
#pragma once

#include <atomic>
#include <cstdint>

#include "codecs/bzip2/Bz2Stream.h"
#include "codecs/io/ByteIo.h"
#include "codecs/io/DataCipher.h"
#include "codecs/io/ProgressHook.h"

namespace qel {

class TBZCompressStream : public Tbz2Stream, public IByteSink {
 public:
  // `blockSize` is 1 to 9, in units of 100,000 bytes; libbz2 refuses any other (Ebz2libError).
  // Without a cipher the CRC of the input is taken here; an enciphered entry's CRC was taken
  // beforehand, so a cipher leaves it at 0.
  TBZCompressStream(IByteSink& destination, int blockSize, IDataCipher* cipher = nullptr);
  // A stream dropped without Finish was abandoned; its tail is not written.
  ~TBZCompressStream() override;

  // Answers count once all of it was taken, else 0: the destination refused a write, the
  // cancel flag was set, or the stream was finished. libbz2 failing raises Ebz2libError.
  int64_t Write(const void* buffer, int64_t count) override;
  // Ends the stream and writes the rest of it; a stream that took nothing still becomes the
  // valid empty one. Runs once; later calls answer the same. False when a write failed or
  // the work was cancelled.
  bool Finish();

  // A write to the destination failed.
  bool Failed() const { return failed_; }
  uint32_t CRC() const { return crc_; }

  // Checked on every write and before finishing; non-zero stops the stream for good.
  const std::atomic<uint8_t>* Cancel = nullptr;
  // Moved by the input taken.
  TProgressHook Progress;

 private:
  bool Stopped();
  // Enciphers and writes what the output buffer holds, and hands libbz2 the whole buffer.
  void WriteBuffer();

  IByteSink& destination_;
  IDataCipher* cipher_;
  uint32_t crc_ = 0;
  bool failed_ = false;
  bool cancelled_ = false;
  bool finished_ = false;
};

}  // namespace qel
