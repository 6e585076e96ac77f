#include "formats/zip/DeflateAhead.h"

#include <memory>

#include "codecs/deflate/CompressStream.h"
#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"

namespace qel {
namespace {

// Runs on a worker's thread: the blocks are deflated right there, never handed to the
// workers again, which could be waiting on this very task.
TDeflated Deflate(const std::string& path, int levelIndex, const TZipCommon& owner) {
  TDeflated result;
  std::unique_ptr<TFileStream32> source = TFileStream32::Open(path, fmOpenRead);
  if (!source) return result;
  TMemoryStream32 memory;
  TCompressStream deflate(memory, levelIndex);
  std::vector<uint8_t> buffer(1 << 17);
  while (!owner.Cancel()) {
    const int64_t n = source->Read(buffer.data(), int64_t(buffer.size()));
    if (n < 0) return result;
    if (n == 0) break;
    if (deflate.Write(buffer.data(), n) != n) return result;
    result.Size += n;
    // A file growing while it is read would take memory without end.
    if (result.Size > kMaxDeflatedAhead) return result;
  }
  if (owner.Cancel() || !deflate.Finish()) return result;
  result.Crc = deflate.CRC();
  result.Data.assign(memory.Data(), memory.Data() + memory.Size());
  result.Ok = true;
  return result;
}

}  // namespace

void DeflateAhead(TAheadWindow<TDeflated>& window, size_t index, const std::string& path,
                  int64_t size, int levelIndex, const TZipCommon& owner) {
  window.Start(index, size,
               [path, levelIndex, &owner] { return Deflate(path, levelIndex, owner); });
}

}  // namespace qel
