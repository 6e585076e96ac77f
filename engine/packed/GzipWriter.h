// One GZIP member written as the data passes through: the header first, then the Deflate
// stream (deflated on the workers' threads), then the trailer with the CRC-32 and length.
#pragma once

#include <cstdint>
#include <string>

#include "codecs/deflate/CompressStream.h"

namespace qel {

class TGzipWriter : public IByteSink {
 public:
  TGzipWriter(IByteSink& destination, const std::string& name, uint32_t mtime, int levelIndex,
              TWorkers* workers);

  // Answers count once all of it was taken, else 0 (see Failed()).
  int64_t Write(const void* buffer, int64_t count) override;
  // Ends the Deflate data and writes the trailer; false when the member is incomplete.
  bool Finish();
  bool Failed() const { return failed_ || deflate_.Failed(); }
  uint32_t CRC() const { return deflate_.CRC(); }
  int64_t TotalIn() const { return deflate_.TotalIn(); }

  // Handed to the Deflate stream.
  void SetCancel(const std::atomic<uint8_t>* cancel) { deflate_.Cancel = cancel; }
  void SetProgress(TProgressHook progress) { deflate_.Progress = std::move(progress); }

 private:
  IByteSink& destination_;
  TCompressStream deflate_;
  bool failed_ = false;
};

}  // namespace qel
