#include "codecs/deflate/DeflateStream.h"

#include <vector>

#include "codecs/deflate/CompressStream.h"

namespace qel {

bool DeflateStream(ISeekableSource& input, IByteSink& output, const TDeflateSetup& setup,
                   int levelIndex, uint32_t& crcOut) {
  TCompressStream stream(output, levelIndex, setup.Cipher);
  stream.Cancel = setup.Cancel;
  stream.Progress = setup.Progress;

  const int64_t size = input.Size();
  bool ok = input.Seek(0, TSeekOrigin::soBeginning) == 0;
  std::vector<uint8_t> piece(static_cast<size_t>(TCompressStream::kBufferSize));
  while (ok) {
    const int64_t n = input.Read(piece.data(), TCompressStream::kBufferSize);
    if (n <= 0) break;
    ok = stream.Write(piece.data(), n) == n;
  }
  // A short read would otherwise pass for the whole input, with a CRC to match it.
  ok = stream.Finish() && ok && stream.TotalIn() == size;
  if (!setup.Cipher) crcOut = stream.CRC();
  return ok;
}

}  // namespace qel
