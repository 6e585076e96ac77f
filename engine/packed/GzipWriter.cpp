#include "engine/packed/GzipWriter.h"

#include "engine/base/Bytes.h"
#include "engine/packed/GzipHeader.h"

namespace qel {

TGzipWriter::TGzipWriter(IByteSink& destination, const std::string& name, uint32_t mtime,
                         int levelIndex, TWorkers* workers)
    : destination_(destination), deflate_(destination, levelIndex, nullptr, workers) {
  const std::vector<uint8_t> header = gzip::GzipHeaderBytes(name, mtime);
  failed_ = !destination_.WriteFully(header.data(), int64_t(header.size()));
}

int64_t TGzipWriter::Write(const void* buffer, int64_t count) {
  return failed_ ? 0 : deflate_.Write(buffer, count);
}

bool TGzipWriter::Finish() {
  if (failed_ || !deflate_.Finish()) return false;
  uint8_t trailer[8];
  PutU32(trailer, deflate_.CRC());
  PutU32(trailer + 4, uint32_t(deflate_.TotalIn()));
  failed_ = !destination_.WriteFully(trailer, sizeof trailer);
  return !failed_;
}

}  // namespace qel
