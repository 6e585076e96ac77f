// UTF-8, the engine's text form: validation, one-character decoding and encoding, and
// ASCII case folding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel::text {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// True when `s` is well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates (U+D800..U+DFFF) and nothing above U+10FFFF.
bool IsValidUtf8(std::string_view s);

// Decodes the character starting at `s[pos]` into `cp`; answers its length in bytes, or 0
// when the bytes there are not well-formed UTF-8 (or `pos` is at the end).
size_t DecodeUtf8Char(std::string_view s, size_t pos, char32_t& cp);

// Appends the UTF-8 form of `cp`; surrogates and values above U+10FFFF append U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// UTF-8 of `units` UTF-16LE code units at `p`; lone surrogates become U+FFFD, so the
// result is always well-formed.
std::string Utf16LeToUtf8(const uint8_t* p, size_t units);

// The wide form of `s` (wchar_t holds a whole character here); bytes that are not
// well-formed UTF-8 become U+FFFD.
std::wstring Utf8ToWide(std::string_view s);

// `s` as a zero-ended wide string in `buffer` of `size` characters; false (the buffer
// holding what fits) when it is too long.
bool Utf8ToWideBuffer(std::string_view s, wchar_t* buffer, size_t size);

// UTF-8 of a wide string up to its first zero or `max` characters.
std::string WideToUtf8(const wchar_t* s, size_t max);

// `s` with every byte that is not part of a well-formed character replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view s);

// `s` with A-Z lowered; other bytes (multi-byte characters among them) stay as they are.
std::string AsciiLower(std::string s);

}  // namespace qel::text
