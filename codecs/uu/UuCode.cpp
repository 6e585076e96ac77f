#include "codecs/uu/UuCode.h"

#include <algorithm>

namespace qel::uu {
namespace {

constexpr std::string_view kUuChars =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
constexpr std::string_view kXxChars =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kBase64Chars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Four characters for three bytes.
void EncodeGroup(const TAlphabet& a, const uint8_t g[3], std::string& out) {
  out += a.Char(g[0] >> 2);
  out += a.Char((g[0] << 4) | (g[1] >> 4));
  out += a.Char((g[1] << 2) | (g[2] >> 6));
  out += a.Char(g[2]);
}

void DecodeGroup(const int v[4], uint8_t* out) {
  out[0] = uint8_t(v[0] << 2 | v[1] >> 4);
  out[1] = uint8_t(v[1] << 4 | v[2] >> 2);
  out[2] = uint8_t(v[2] << 6 | v[3]);
}

}  // namespace

TAlphabet::TAlphabet(std::string_view chars) {
  values_.fill(-1);
  if (chars.size() != 64) return;
  for (unsigned i = 0; i < 64; ++i) {
    const uint8_t c = uint8_t(chars[i]);
    if (values_[c] >= 0) {  // a character twice names no one value
      values_.fill(-1);
      return;
    }
    chars_[i] = char(c);
    values_[c] = int8_t(i);
  }
  valid_ = true;
}

const TAlphabet& AlphabetOf(TUuKind kind) {
  static const TAlphabet kUu(kUuChars), kXx(kXxChars), kBase64(kBase64Chars);
  return kind == TUuKind::Uu ? kUu : kind == TUuKind::Xx ? kXx : kBase64;
}

void EncodeLengthLine(const TAlphabet& alphabet, const uint8_t* data, size_t size,
                      std::string& out) {
  out += alphabet.Char(unsigned(size));
  for (size_t at = 0; at < size; at += 3) {
    uint8_t g[3] = {};
    for (size_t i = 0; i < 3 && at + i < size; ++i) g[i] = data[at + i];
    EncodeGroup(alphabet, g, out);
  }
}

void EncodeBase64Line(const uint8_t* data, size_t size, std::string& out) {
  const TAlphabet& a = AlphabetOf(TUuKind::Base64);
  for (size_t at = 0; at < size; at += 3) {
    uint8_t g[3] = {};
    const size_t n = std::min<size_t>(3, size - at);
    for (size_t i = 0; i < n; ++i) g[i] = data[at + i];
    EncodeGroup(a, g, out);
    if (n < 3) out.replace(out.size() - (3 - n), 3 - n, 3 - n, '=');
  }
}

int DecodeLengthLine(const TAlphabet& alphabet, std::string_view line, uint8_t* out, bool whole) {
  if (line.empty()) return -1;
  const bool spaces = !whole && &alphabet == &AlphabetOf(TUuKind::Uu);
  const auto value = [&](size_t at) {
    if (at >= line.size()) return spaces ? 0 : -1;
    const uint8_t c = uint8_t(line[at]);
    return spaces && c == ' ' ? 0 : alphabet.Value(c);
  };
  const int count = value(0);
  if (count < 0) return -1;
  const size_t groups = (size_t(count) + 2) / 3;
  // Mail strips a few spaces from a line's end, never most of a line ("-- " is no data).
  if (spaces && line.size() + 8 < 1 + groups * 4) return -1;
  // A whole line of characters in the alphabet, as nearly every line is, goes straight.
  if (line.size() >= 1 + groups * 4) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(line.data()) + 1;
    uint8_t* o = out;
    for (size_t g = 0; g < groups; ++g, p += 4, o += 3) {
      const int v[4] = {alphabet.Value(p[0]), alphabet.Value(p[1]), alphabet.Value(p[2]),
                        alphabet.Value(p[3])};
      if ((v[0] | v[1] | v[2] | v[3]) < 0) break;  // a space, or no data line: the slow way
      DecodeGroup(v, o);
      if (g + 1 == groups) return count;
    }
  }
  for (size_t g = 0; g < groups; ++g) {
    int v[4];
    for (size_t i = 0; i < 4; ++i)
      if ((v[i] = value(1 + g * 4 + i)) < 0) return -1;
    uint8_t bytes[3];
    DecodeGroup(v, bytes);
    for (size_t i = 0; i < 3 && g * 3 + i < size_t(count); ++i) out[g * 3 + i] = bytes[i];
  }
  return count;
}

int DecodeBase64Line(std::string_view line, uint8_t* out, bool& ended) {
  const TAlphabet& a = AlphabetOf(TUuKind::Base64);
  ended = false;
  if (line.size() % 4 != 0) return -1;
  int n = 0;
  for (size_t at = 0; at < line.size(); at += 4) {
    int v[4];
    int pad = 0;
    for (size_t i = 0; i < 4; ++i) {
      const uint8_t c = uint8_t(line[at + i]);
      // Padding closes the last group only, and at least two characters precede it.
      if (c == '=' && i >= 2 && at + 4 == line.size() && (i == 3 || line[at + 3] == '=')) {
        v[i] = 0;
        ++pad;
      } else if (pad > 0 || (v[i] = a.Value(c)) < 0) {
        return -1;
      }
    }
    uint8_t bytes[3];
    DecodeGroup(v, bytes);
    for (int i = 0; i < 3 - pad; ++i) out[n++] = bytes[i];
    ended = pad > 0;
  }
  return n;
}

std::optional<TBeginLine> ReadBeginLine(std::string_view line) {
  // The word in any case, as some mailers wrote it.
  const auto starts = [&](std::string_view word) {
    return line.size() >= word.size() &&
           std::equal(word.begin(), word.end(), line.begin(), [](char a, char b) {
             return a == (b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b);
           });
  };
  TBeginLine b;
  if (starts("begin-base64 ")) {
    b.Base64 = true;
    line.remove_prefix(13);
  } else if (starts("begin ")) {
    line.remove_prefix(6);
  } else {
    return std::nullopt;
  }
  const auto octal = [](char c) { return c >= '0' && c <= '7'; };
  size_t digits = 0;
  while (digits < line.size() && digits < 5 && octal(line[digits])) ++digits;
  const bool zipSet = line.starts_with("999 ");
  if (zipSet) digits = 3;
  if ((digits != 3 && digits != 4) || digits >= line.size() || line[digits] != ' ')
    return std::nullopt;
  for (size_t i = 0; i < digits; ++i) b.Mode = b.Mode * 10 + (line[i] - '0');
  std::string_view name = line.substr(digits + 1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  if (name.find('.') == std::string_view::npos) name = name.substr(0, name.find(' '));
  if (name.empty()) return std::nullopt;
  b.Name = std::string(name);
  return b;
}

}  // namespace qel::uu
