#include "formats/zip/DeflateAhead.h"

#include <memory>

#include "codecs/deflate/CompressStream.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"

namespace qel {
namespace {

TDeflated Deflate(const std::string& path, int levelIndex, const TZipCommon& owner) {
  TDeflated result;
  std::unique_ptr<TFileStream32> source = TFileStream32::Open(path, fmOpenRead);
  if (!source) return result;
  TMemoryStream32 memory;
  TCompressStream deflate(memory, levelIndex);
  std::vector<uint8_t> buffer(1 << 16);
  while (!owner.Cancel()) {
    const int64_t n = source->Read(buffer.data(), int64_t(buffer.size()));
    if (n < 0) return result;
    if (n == 0) break;
    if (deflate.Write(buffer.data(), n) != n) return result;
    result.Size += n;
    // A file growing while it is read would take memory without end.
    if (result.Size > TDeflateAhead::kMaxSize) return result;
  }
  if (owner.Cancel() || !deflate.Finish()) return result;
  result.Crc = deflate.CRC();
  result.Data.assign(memory.Data(), memory.Data() + memory.Size());
  result.Ok = true;
  return result;
}

}  // namespace

void TDeflateAhead::Start(size_t index, const std::string& path, int levelIndex,
                          const TZipCommon& owner) {
  future_ = std::async(std::launch::async, Deflate, path, levelIndex, std::cref(owner));
  index_ = index;
  running_ = true;
}

TDeflated TDeflateAhead::Take() {
  running_ = false;
  return future_.get();
}

}  // namespace qel
