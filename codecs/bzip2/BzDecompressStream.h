// The readers' bzip2 stream: compressed bytes are fetched through a source routine (which
// deciphers them where the format enciphers its entries) and decoded on demand. Several
// streams back to back (parallel compressors, concatenated files) read as one, as
// `bzip2 -d` reads them.
#pragma once

#include <cstdint>

#include "codecs/bzip2/Bz2Stream.h"
#include "codecs/io/CodecIo.h"

namespace qel {

class TBzDecompressStream : public Tbz2Stream {
 public:
  // `source` must outlive the stream. libbz2 failing to start raises an Ebz2Error.
  explicit TBzDecompressStream(const TCodecSource& source);
  ~TBzDecompressStream();

  // Decodes into `buffer` until `count` bytes were produced or the data ended; answers how
  // many. Damaged data ends the data quietly with DataError set. libbz2 failing otherwise
  // (memory) raises an Ebz2Error.
  int64_t Read(void* buffer, int64_t count);

  // The data is over: it ended cleanly, was damaged or was cut short.
  bool Ended() const { return ended_; }
  // A block or stream header was damaged, or a block's CRC did not match.
  bool DataError() const { return dataError_; }
  // The input ended inside a stream.
  bool Truncated() const { return truncated_; }

 private:
  // Refills the input buffer once libbz2 has taken all of it; false when there is no more.
  bool FillInput();
  // Starts the decoder again for the next stream; false when what follows the last one is
  // not a stream.
  bool NextStream();

  const TCodecSource& source_;
  bool sourceEnded_ = false;
  // libbz2 reached the end of a stream and must be started again for anything after it.
  bool streamEnded_ = false;
  // The current stream is not the first, whose damage may not pass for trailing bytes.
  bool laterStream_ = false;
  bool ended_ = false;
  bool dataError_ = false;
  bool truncated_ = false;
};

}  // namespace qel
