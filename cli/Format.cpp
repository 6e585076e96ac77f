#include "cli/Format.h"

#include <algorithm>

#include "engine/base/DateTime.h"

namespace vk::cli {

namespace {

void AppendDigits(std::string& out, int value, int width) {
  char digits[12];
  int n = 0;
  for (unsigned v = unsigned(std::max(value, 0)); n < width || v > 0; v /= 10)
    digits[n++] = char('0' + v % 10);
  while (n > 0) out += digits[--n];
}

}  // namespace

// Listing prints one date and one CRC per entry: both are formatted by hand, which is
// several times quicker than a formatted print.
std::string FormatDateTime(qel::TDateTime t, bool seconds) {
  int y, mo, d, h, mi, s;
  qel::DecodeDateTime(t, y, mo, d, h, mi, s);
  std::string out;
  out.reserve(19);
  AppendDigits(out, y, 4);
  out += '-';
  AppendDigits(out, mo, 2);
  out += '-';
  AppendDigits(out, d, 2);
  out += ' ';
  AppendDigits(out, h, 2);
  out += ':';
  AppendDigits(out, mi, 2);
  if (seconds) {
    out += ':';
    AppendDigits(out, s, 2);
  }
  return out;
}

std::string HexCrc(uint32_t crc) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i, crc >>= 4) out[size_t(i)] = kHex[crc & 15];
  return out;
}

std::string EscapeField(const std::string& text) {
  const auto plain = [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u != 0x7F && c != '\\';
  };
  if (std::all_of(text.begin(), text.end(), plain)) return text;
  std::string out;
  for (char c : text) {
    if (plain(c)) {
      out += c;
      continue;
    }
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += "\\x";
        out += HexCrc(static_cast<unsigned char>(c)).substr(6);
    }
  }
  return out;
}

}  // namespace vk::cli
