// A single-file compression (GZIP, `compress`, BZIP2) read from its start as one stream of
// its data: what the GZIP and BZIP2 readers write out and what a compressed TAR is walked
// through. Forward seeks decode and discard, so a walker can skip what it does not want.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "codecs/io/ByteIo.h"
#include "codecs/io/CodecIo.h"

namespace qel {

class TStream64;

enum class TPackedKind : uint8_t { None, Gzip, Compress, Bzip2 };

enum class TPackedState : uint8_t {
  Reading,    // the data has not ended yet
  Intact,     // read to its end, every check held
  Damaged,    // a check failed or the data could not be decoded
  Truncated,  // the file ended inside the data
};

class TPackedStream : public ISeekableSource {
 public:
  // Up to `count` bytes; fewer only where the data ended (State() tells how).
  int64_t Read(void* buffer, int64_t count) final;
  // Forward only: the current position, or a later one reached by decoding. Answers the
  // position reached, which falls short where the data ended.
  int64_t Seek(int64_t offset, TSeekOrigin origin) final;
  int64_t Size() final { return -1; }

  TPackedState State() const { return state_; }
  // Asked while a seek decodes ahead: true stops it where it is.
  std::function<bool()> Cancelled;
  // Compressed bytes used so far, for the progress.
  virtual int64_t Consumed() const = 0;

 protected:
  // Decodes up to `count` bytes; 0 once the data ended, with state_ set.
  virtual int64_t Decode(uint8_t* buffer, int64_t count) = 0;

  TPackedState state_ = TPackedState::Reading;

 private:
  int64_t position_ = 0;
};

// A stream whose decoder pulls the file's bytes from its start through Source.
class TFedPackedStream : public TPackedStream {
 public:
  int64_t Consumed() const override { return consumed_; }

 protected:
  explicit TFedPackedStream(TStream64& file);
  const TCodecSource Source;

 private:
  TStream64& file_;
  int64_t consumed_ = 0;
};

// What the file's first bytes say it is.
TPackedKind PackedKindOf(const uint8_t* head, int64_t size);

// A stream of the data of `file`, read from its start; `file` must outlive it. Null when
// the file is of no kind decoded here, or its header refuses decoding: `refusal` is then
// the message number that says why (0 when it is simply not a compressed file).
std::unique_ptr<TPackedStream> OpenPacked(TStream64& file, int& refusal);

}  // namespace qel
