#include "engine/packed/GzipHeader.h"

#include <algorithm>
#include <cstring>

namespace qel::gzip {

namespace {

constexpr int64_t kFixed = 10;
constexpr size_t kLongPiece = size_t(1) << 16;

// Finds the NUL ending a field at `pos`: the position after it, or -1 when the file ends
// first. `keep` receives the field's first bytes.
int64_t FieldEnd(const TReadAt& readAt, int64_t size, int64_t pos, std::string* keep) {
  // Names are short; a field that runs on (hostile or damaged) is read in large pieces.
  std::vector<uint8_t> piece(256);
  while (pos < size) {
    const int64_t n = std::min<int64_t>(int64_t(piece.size()), size - pos);
    if (!readAt(pos, piece.data(), n)) return -1;
    const auto* nul = static_cast<const uint8_t*>(std::memchr(piece.data(), 0, size_t(n)));
    const int64_t used = nul ? nul - piece.data() : n;
    if (keep && keep->size() < kMaxShownName)
      keep->append(reinterpret_cast<const char*>(piece.data()),
                   size_t(std::min<int64_t>(used, int64_t(kMaxShownName - keep->size()))));
    if (nul) return pos + used + 1;
    pos += n;
    piece.resize(kLongPiece);
  }
  return -1;
}

}  // namespace

bool IsGzipFamily(const uint8_t* head) {
  return head[0] == kId1 && (head[1] == kGzip || head[1] == kOldGzip || head[1] == kCompress ||
                             head[1] == kPack || head[1] == kScoLzh);
}

bool ReadGzipHeader(const TReadAt& readAt, int64_t size, int64_t pos, TGzipHeader& h) {
  h = TGzipHeader();
  uint8_t b[kFixed];
  if (pos + 2 > size || !readAt(pos, b, 2) || !IsGzipFamily(b)) return false;
  h.Magic = b[1];
  h.DataAt = pos + 2;
  if (h.Magic != kGzip && h.Magic != kOldGzip) return true;
  if (pos + kFixed > size || !readAt(pos, b, kFixed)) return false;
  h.Method = b[2];
  h.Flags = b[3];
  h.MTime = GetU32(&b[4]);
  int64_t at = pos + kFixed;
  if (h.Flags & kExtra) {
    uint8_t len[2];
    if (at + 2 > size || !readAt(at, len, 2)) return false;
    at += 2 + GetU16(len);
  }
  if (h.Flags & kName) at = FieldEnd(readAt, size, at, &h.Name);
  if (at >= 0 && (h.Flags & kComment)) at = FieldEnd(readAt, size, at, nullptr);
  if (at < 0 || at > size) return false;
  h.DataAt = at;
  return true;
}

std::vector<uint8_t> GzipHeaderBytes(const std::string& name, uint32_t mtime) {
  std::vector<uint8_t> v(kFixed);
  v[0] = kId1;
  v[1] = kGzip;
  v[2] = kDeflated;
  v[3] = kName;
  PutU32(&v[4], mtime);
  v[8] = 2;
  v[9] = 0;
  v.insert(v.end(), name.begin(), name.end());
  v.push_back(0);
  return v;
}

}  // namespace qel::gzip
