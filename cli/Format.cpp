#include "cli/Format.h"

#include <cstdio>

#include "engine/base/DateTime.h"

namespace vk::cli {

std::string WithThousands(int64_t value) {
  const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
  const std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

std::string FormatDateTime(qel::TDateTime t, bool seconds) {
  int y, mo, d, h, mi, s;
  qel::DecodeDateTime(t, y, mo, d, h, mi, s);
  char buf[32];
  if (seconds)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", y, mo, d, h, mi);
  return buf;
}

std::string HexCrc(uint32_t crc) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", unsigned(crc));
  return buf;
}

}  // namespace vk::cli
