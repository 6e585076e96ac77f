#include "engine/text/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace qel::text {
namespace {

bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

size_t DecodeUtf8Char(std::string_view s, size_t pos, char32_t& cp) {
  if (pos >= s.size()) return 0;
  const uint8_t lead = uint8_t(s[pos]);
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  size_t length;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, cp = lead & 0x07;
  } else {
    return 0;
  }
  if (s.size() - pos < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const uint8_t b = uint8_t(s[pos + i]);
    if (!IsContinuation(b)) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

bool IsValidUtf8(std::string_view s) {
  char32_t cp;
  for (size_t pos = 0; pos < s.size();) {
    const size_t n = DecodeUtf8Char(s, pos, cp);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

std::string SanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  char32_t cp;
  for (size_t pos = 0; pos < s.size();) {
    const size_t n = DecodeUtf8Char(s, pos, cp);
    if (n == 0) {
      AppendUtf8(out, kReplacementChar);
      ++pos;
    } else {
      out.append(s.substr(pos, n));
      pos += n;
    }
  }
  return out;
}

std::string Utf16LeToUtf8(const uint8_t* p, size_t units) {
  std::string out;
  out.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    char32_t u = char32_t(p[2 * i] | (p[2 * i + 1] << 8));
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      char32_t low = char32_t(p[2 * i + 2] | (p[2 * i + 3] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, u);  // a lone surrogate appends U+FFFD
  }
  return out;
}

static_assert(sizeof(wchar_t) == 4, "a wide character holds any character");

std::wstring Utf8ToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t pos = 0; pos < s.size();) {
    char32_t cp = kReplacementChar;
    const size_t n = DecodeUtf8Char(s, pos, cp);
    out += wchar_t(n ? cp : kReplacementChar);
    pos += n ? n : 1;
  }
  return out;
}

bool Utf8ToWideBuffer(std::string_view s, wchar_t* buffer, size_t size) {
  if (size == 0) return false;
  const std::wstring w = Utf8ToWide(s);
  const size_t n = std::min(w.size(), size - 1);
  std::copy_n(w.begin(), n, buffer);
  buffer[n] = 0;
  return n == w.size();
}

std::string WideToUtf8(const wchar_t* s, size_t max) {
  std::string out;
  for (size_t i = 0; i < max && s[i] != 0; ++i) AppendUtf8(out, char32_t(s[i]));
  return out;
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

}  // namespace qel::text
