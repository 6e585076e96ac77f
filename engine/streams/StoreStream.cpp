#include "engine/streams/StoreStream.h"

#include <algorithm>

namespace qel {

int64_t TStoreStream::Write(const void* buffer, int64_t count) {
  auto* in = static_cast<const uint8_t*>(buffer);
  int64_t done = 0;
  while (done < count) {
    int64_t n = std::min(count - done, kBlockSize);
    const uint8_t* block = in + done;
    if (cipher_) {
      enciphered_.assign(block, block + n);
      cipher_->Encipher(enciphered_.data(), size_t(n));
      block = enciphered_.data();
    }
    if (!destination_.WriteFully(block, n)) break;
    if (!cipher_) crc_.Update(block, size_t(n));
    done += n;
    written_ += n;
    Progress.Moved(n);
  }
  return done;
}

int64_t TStoreStream::CopyFrom(TStream64& source, int64_t count,
                               const std::atomic<uint8_t>* cancel) {
  std::vector<uint8_t> buffer(size_t(count < 0 ? kBlockSize : std::min(count, kBlockSize)));
  int64_t done = 0;
  while (count < 0 || done < count) {
    if (cancel && cancel->load() != 0) break;
    int64_t want = count < 0 ? kBlockSize : std::min(kBlockSize, count - done);
    int64_t n = source.Read(buffer.data(), want);
    if (n <= 0) break;
    int64_t written = Write(buffer.data(), n);
    done += written;
    if (written != n) break;
  }
  return done;
}

}  // namespace qel
