#include "codecs/lzw/ZooLzw.h"

#include <memory>
#include <vector>

#include "codecs/legacy/LsbBitReader.h"

namespace qel {
namespace {

constexpr uint32_t kClear = 256;
constexpr uint32_t kEnd = 257;
constexpr uint32_t kFirstFree = 258;
constexpr int kFirstWidth = 9;
constexpr int kLastWidth = 13;
constexpr uint32_t kTableSize = uint32_t(1) << kLastWidth;
constexpr size_t kPiece = size_t(1) << 15;

}  // namespace

TDecodeResult ZooLzw(const TCodecSource& source, const TCodecSink& sink, uint64_t size) {
  TLsbBitReader in(source);
  // Per code: the code of its string but the last byte, and that byte. An entry's prefix is
  // always a lower code, so a string is never longer than the table.
  const auto prefixes = std::make_unique<uint16_t[]>(kTableSize);
  const auto suffixes = std::make_unique<uint8_t[]>(kTableSize);
  std::vector<uint8_t> stack(kTableSize);
  std::vector<uint8_t> out;
  out.reserve(kPiece);
  uint64_t delivered = 0;
  const auto flush = [&](bool all) {
    if (out.empty() || (!all && out.size() < kPiece)) return true;
    if (!sink(out)) return false;
    delivered += out.size();
    out.clear();
    return true;
  };

  TDecodeStatus status = TDecodeStatus::Ok;
  int width = kFirstWidth;
  uint32_t next = kFirstFree;
  int32_t previous = -1;  // none: the start, or just after a clear
  uint8_t first = 0;      // the first byte of the previous string
  while (delivered + out.size() < size) {
    const uint32_t code = in.Get(width);
    if (in.Overrun()) {
      status = TDecodeStatus::UnexpectedEnd;
      break;
    }
    if (code == kEnd) break;
    if (code == kClear) {
      width = kFirstWidth;
      next = kFirstFree;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      // The first code after a clear is a byte, and adds nothing.
      if (code > 255) {
        status = TDecodeStatus::Corrupt;
        break;
      }
      first = uint8_t(code);
      out.push_back(first);
      previous = int32_t(code);
      continue;
    }
    if (code > next) {
      status = TDecodeStatus::Corrupt;
      break;
    }
    // The string, from its last byte back; the next free code is the string about to be
    // added: the previous one and its own first byte.
    size_t depth = 0;
    uint32_t c = code;
    if (code == next) {
      stack[depth++] = first;
      c = uint32_t(previous);
    }
    while (c > 255 && depth < stack.size() - 1) {
      stack[depth++] = suffixes[c];
      c = prefixes[c];
    }
    if (c > 255) {
      status = TDecodeStatus::Corrupt;
      break;
    }
    first = uint8_t(c);
    stack[depth++] = first;
    while (depth > 0 && delivered + out.size() < size) out.push_back(stack[--depth]);
    if (!flush(false)) return {TDecodeStatus::Aborted, delivered};
    if (next < kTableSize) {
      prefixes[next] = uint16_t(previous);
      suffixes[next] = first;
      ++next;
      if (next == (uint32_t(1) << width) && width < kLastWidth) ++width;
    }
    previous = int32_t(code);
  }
  if (!flush(true)) return {TDecodeStatus::Aborted, delivered};
  if (status == TDecodeStatus::Ok && delivered < size) status = TDecodeStatus::UnexpectedEnd;
  return {status, delivered};
}

}  // namespace qel
