#include <algorithm>
#include <vector>

#include "engine/base/Bytes.h"
#include "engine/detect/Probes.h"
#include "engine/streams/Stream.h"

namespace qel::detect {
namespace {

constexpr int64_t kBlockSize = 32768;
constexpr int kMaxBlocks = 11;

bool Match(const uint8_t* p, const uint8_t* end, std::initializer_list<int> pattern) {
  if (end - p < std::ptrdiff_t(pattern.size())) return false;
  for (int b : pattern) {
    if (b >= 0 && *p != uint8_t(b)) return false;
    ++p;
  }
  return true;
}

TArcType ExeOr(bool inside, TArcType exe, TArcType plain) { return inside ? exe : plain; }

}  // namespace

TScanHit ScanForSignature(TStream64& stream, int64_t size, ScanFrom from) {
  const int64_t origin = from == ScanFrom::Executable ? 1500 : 0;
  std::vector<uint8_t> block(kBlockSize);
  for (int b = 0; b < kMaxBlocks; ++b) {
    const int64_t blockPos = origin + b * kBlockSize;
    if (blockPos >= size) break;
    const int64_t n = stream.ReadAt(blockPos, block.data(), kBlockSize);
    if (n <= 0) break;
    // Each block is examined on its own: a signature across two blocks is not seen.
    const uint8_t* const data = block.data();
    const uint8_t* const end = data + n;
    for (const uint8_t* p = data; p < end; ++p) {
      const int64_t pos = blockPos + (p - data);
      const bool fits5 = pos + 5 < size;
      if (*p == '*' && fits5 && pos >= 7 && Match(p, end, {'*', '*', 'A', 'C', 'E', '*', '*'}))
        return {ExeOr(pos - 7 > 0, atAceExe, atAce), pos - 7};
      if (*p == '-' && fits5 && pos >= 2 && Match(p, end, {'-', 'l', 'h', -1, '-'}))
        return {ExeOr(pos - 2 > 0, atLhaExe, atLha), pos - 2};
      if (*p == 'B' && Match(p, end, {'B', 'H', 5, 7}) &&
          !Match(p + 4, end, {0x0F, 0x94, 0xC3, 0x84}))
        return {ExeOr(pos > 0, atBhExe, atBh), pos};
      if (*p == 'M' && fits5 && Match(p, end, {'M', 'S', 'C', 'F', 0, 0, 0, 0})) {
        // Setup programs often carry cabinets of their own; only a self-extractor scan
        // takes one as the archive.
        if (from == ScanFrom::Executable) return {ExeOr(pos > 0, atCabExe, atCab), pos};
        break;
      }
      // Self-extractor code holds the local-header constant followed by these bytes.
      if (*p == 'P' && Match(p, end, {'P', 'K', 3, 4}) && !Match(p + 4, end, {0x74, 0x0B, 0x3D, 0}))
        return {from == ScanFrom::Executable ? atZipExe : atZip, pos, true};
      if (*p == 'R' && Match(p, end, {'R', 'a', 'r', '!'}))
        return {ExeOr(pos > 0, atRarExe, atRar), pos};
      if (*p == 'Z' && pos > 0 &&
          (Match(p, end, {'Z', 'O', 'O', ' ', '1'}) || Match(p, end, {'Z', 'O', 'O', ' ', '2'})))
        return {atZoo, pos};
      if (*p == 0x60 && Match(p, end, {0x60, 0xEA}) && end - p >= 4) {
        // An ARJ main header: its size, then the next header's id right behind it.
        const int64_t h = GetU16(p + 2);
        if (h + 12 <= end - p && p[h + 10] == 0x60 && p[h + 11] == 0xEA)
          return {ExeOr(pos > 0, atArjExe, atArj), pos};
      }
    }
  }
  return {};
}

}  // namespace qel::detect
