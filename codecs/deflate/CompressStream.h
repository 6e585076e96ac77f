// The writers' Deflate stream: what is written to it is cut into blocks that are deflated on
// the workers' threads (see DeflateBlock.h), and the joined raw Deflate output is enciphered
// (for an encrypted entry) and passed on to the destination in buffer-sized pieces.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <future>
#include <vector>

#include "codecs/deflate/DeflateBlock.h"
#include "codecs/io/ByteIo.h"
#include "codecs/io/DataCipher.h"
#include "codecs/io/ProgressHook.h"
#include "codecs/parallel/Workers.h"

namespace qel {

class TCompressStream : public IByteSink {
 public:
  // Every piece but the last reaches the destination at this size.
  static constexpr int64_t kBufferSize = 131070;

  // `levelIndex` is a TDeflateType value. Without a cipher the CRC of the input is taken
  // here; an enciphered entry's CRC was taken beforehand (the cipher's header carries it),
  // so a cipher leaves the CRC at 0. Without `workers` every block is deflated on the
  // caller's thread; the bytes are the same either way.
  TCompressStream(IByteSink& destination, int levelIndex, IDataCipher* cipher = nullptr,
                  TWorkers* workers = nullptr);
  // A stream dropped without Finish was abandoned on an error or a cancel; its tail is not
  // written, since a failed write could not be reported from here. Blocks still being
  // deflated finish on their own and are thrown away.
  ~TCompressStream() override = default;
  TCompressStream(const TCompressStream&) = delete;
  TCompressStream& operator=(const TCompressStream&) = delete;

  // Answers count once all of it was taken, else 0: the destination refused a write, zlib
  // failed, the cancel flag was set before all of it was taken, or the stream was finished.
  int64_t Write(const void* buffer, int64_t count) override;
  // Ends the Deflate data and writes the rest of it. Runs once; later calls answer the same.
  // False when the output is incomplete: a write or zlib failed, or the work was cancelled.
  bool Finish();

  // A write to the destination or zlib failed.
  bool Failed() const { return failed_; }
  uint32_t CRC() const { return crc_; }
  // The input taken so far.
  int64_t TotalIn() const { return totalIn_; }

  // Checked before every block is taken; non-zero stops the stream for good.
  const std::atomic<uint8_t>* Cancel = nullptr;
  // Moved by the input taken.
  TProgressHook Progress;

 private:
  bool Stopped();
  // Hands the gathered block to the workers and starts the next one with its tail.
  void Submit(bool last);
  // Waits for the oldest block in flight and passes its output on.
  void TakeOldest();
  // Enciphers and writes `size` bytes of the output buffer.
  void WriteBuffer(size_t size);

  IByteSink& destination_;
  IDataCipher* cipher_;
  TWorkers& workers_;
  int level_;
  // The previous block's tail (the dictionary) followed by the input gathered for the next.
  std::vector<uint8_t> block_;
  size_t dictionary_ = 0;
  std::deque<std::future<TDeflatedBlock>> inFlight_;
  std::vector<uint8_t> buffer_;
  size_t buffered_ = 0;
  uint32_t crc_ = 0;
  int64_t totalIn_ = 0;
  bool failed_ = false;
  bool cancelled_ = false;
  bool finished_ = false;
};

}  // namespace qel
