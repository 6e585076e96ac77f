#include <algorithm>
#include <cctype>
#include <string_view>

#include "codecs/uu/UuCode.h"
#include "engine/detect/Probes.h"

namespace qel::detect {
namespace {

bool StartsWithNoCase(std::span<const uint8_t> data, size_t at, std::string_view prefix) {
  if (data.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(data[at + i]) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

}  // namespace

bool IsBzip2(std::span<const uint8_t> head) {
  static constexpr uint8_t kBlockMagic[6] = {0x31, 0x41, 0x59, 0x26, 0x53, 0x59};
  // An empty stream has no block, only the end-of-stream magic.
  static constexpr uint8_t kEndMagic[6] = {0x17, 0x72, 0x45, 0x38, 0x50, 0x90};
  if (head.size() < 10 || head[0] != 'B' || head[1] != 'Z' || head[2] != 'h') return false;
  auto magic = head.subspan(4, 6);
  return std::equal(magic.begin(), magic.end(), kBlockMagic) ||
         (head[3] >= '1' && head[3] <= '9' && std::equal(magic.begin(), magic.end(), kEndMagic));
}

TArcType TestText(std::span<const uint8_t> head) {
  constexpr std::string_view kMime = "Content-Transfer-Encoding: Base64";
  constexpr size_t kMimeRoom = 34;  // the header and at least its line break
  bool heading = false;             // uuenview's "_=_ Part N of M of file NAME"
  for (size_t at = 0; at < head.size();) {
    if (head.size() - at >= kMimeRoom && StartsWithNoCase(head, at, kMime)) return atB64;
    auto lf = std::find(head.begin() + std::ptrdiff_t(at), head.end(), uint8_t('\n'));
    std::string_view line(reinterpret_cast<const char*>(head.data()) + at,
                          size_t(lf - head.begin()) - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (const std::optional<uu::TBeginLine> begin = uu::ReadBeginLine(line))
      return begin->Base64 ? atB64 : atUUE;
    heading = heading || (line.starts_with("_=_ Part ") && line.find(" of file ") != line.npos);
    if (lf == head.end()) break;
    at = size_t(lf - head.begin()) + 1;
  }
  // A heading without a begin line after it: uuenview's Base64.
  return heading ? atB64 : atNA;
}

}  // namespace qel::detect
