// Codes a folder's 32 KiB frames, one data block each, by the folder's method. A coder serves
// folder after folder, so that zlib's state and the buffers are set up once per cabinet.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

typedef struct z_stream_s z_stream;

namespace qel {
class TLzxEncoder;
}

namespace qel::cab {

class TFrameCoder {
 public:
  // `deflateLevel`: zlib's 0-9 (or -1, its default) for MSZIP.
  explicit TFrameCoder(int deflateLevel);
  ~TFrameCoder();
  TFrameCoder(const TFrameCoder&) = delete;
  TFrameCoder& operator=(const TFrameCoder&) = delete;

  // Starts a folder coded by `compressionWord` (one CanWrite takes), with no history.
  void Start(uint16_t compressionWord);
  // Appends the data block of the folder's next frame to `out`: at most kFrameSize bytes, exactly
  // that many for every frame but the folder's last. False only when zlib failed to set up (out of
  // memory).
  bool Code(std::span<const uint8_t> frame, std::vector<uint8_t>& out);

 private:
  bool CodeMsZip(std::span<const uint8_t> frame, std::vector<uint8_t>& out);

  int level_;
  uint16_t word_ = 0;
  std::unique_ptr<z_stream> zip_;
  // MSZIP decoders keep their window from block to block, so each frame is deflated with the one
  // before it as dictionary.
  std::vector<uint8_t> history_;
  std::unique_ptr<TLzxEncoder> lzx_;
};

}  // namespace qel::cab
