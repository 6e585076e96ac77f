// The writers' Deflate stream: what is written to it goes through zlib, and zlib's raw
// Deflate output is enciphered (for an encrypted entry) and passed on to the destination
// in buffer-sized pieces.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/io/ByteIo.h"
#include "codecs/io/DataCipher.h"
#include "codecs/io/ProgressHook.h"

struct z_stream_s;

namespace qel {

class TCompressStream : public IByteSink {
 public:
  // zlib's output area: every piece but the last reaches the destination at this size.
  static constexpr int64_t kBufferSize = 131070;

  // `levelIndex` is a TDeflateType value. Without a cipher the CRC of the input is taken
  // here; an enciphered entry's CRC was taken beforehand (the cipher's header carries it),
  // so a cipher leaves the CRC at 0.
  TCompressStream(IByteSink& destination, int levelIndex, IDataCipher* cipher = nullptr);
  // Only releases zlib. A stream dropped without Finish was abandoned on an error or a
  // cancel; its tail is not written, since a failed write could not be reported from here.
  ~TCompressStream() override;
  TCompressStream(const TCompressStream&) = delete;
  TCompressStream& operator=(const TCompressStream&) = delete;

  // Answers count once zlib took all of it, else 0: the destination refused a write, zlib
  // failed, the cancel flag was set before all of it was taken, or the stream was finished.
  int64_t Write(const void* buffer, int64_t count) override;
  // Ends the Deflate data and writes the rest of it. Runs once; later calls answer the same.
  // False when the output is incomplete: a write or zlib failed, or the work was cancelled.
  bool Finish();

  // A write to the destination or zlib failed.
  bool Failed() const { return failed_; }
  uint32_t CRC() const { return crc_; }
  // The input zlib has taken so far.
  int64_t TotalIn() const { return totalIn_; }

  // Checked before every compression step; non-zero stops the stream for good.
  const std::atomic<uint8_t>* Cancel = nullptr;
  // Moved by the input taken, after every step that took some.
  TProgressHook Progress;

 private:
  struct TZlibRelease {
    void operator()(z_stream_s* z) const;
  };

  bool Stopped();
  // One call to zlib, then the buffer passed on when zlib filled it; false when it failed.
  bool Step(int flush);
  bool PassOn(int64_t size);

  IByteSink& destination_;
  IDataCipher* cipher_;
  std::unique_ptr<z_stream_s, TZlibRelease> zlib_;
  std::vector<uint8_t> buffer_;
  uint32_t crc_ = 0;
  int64_t totalIn_ = 0;
  bool failed_ = false;
  bool cancelled_ = false;
  bool ended_ = false;  // zlib wrote the end of the Deflate data
  bool finished_ = false;
};

}  // namespace qel
