// The code-page layer: 8-bit text in a numbered code page to UTF-8 and back. Linux has no
// system OEM or ANSI code page, so the engine keeps a process-wide pair of its own that the
// application may change. CP437 and CP1252 (the defaults) are built in; any other code page
// goes through the C library's converters in strict mode (no transliteration).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qel::text {

inline constexpr int kDefaultOemCodePage = 437;
inline constexpr int kDefaultAnsiCodePage = 1252;

struct TCodePagePair {
  int Oem = kDefaultOemCodePage;    // what DOS-made names are in
  int Ansi = kDefaultAnsiCodePage;  // what other legacy names are in
  bool operator==(const TCodePagePair&) const = default;
};

// The pair in force.
TCodePagePair CodePages();
// Puts `pair` in force; answers false and changes nothing when either is unavailable.
bool SetCodePages(TCodePagePair pair);

// True when text in `codePage` can be converted (built in, or known to the C library).
bool IsCodePageAvailable(int codePage);

// `bytes` in `codePage` as UTF-8. A byte (sequence) the code page does not define becomes
// U+FFFD; std::nullopt only when the code page is unavailable.
std::optional<std::string> DecodeCodePage(int codePage, std::string_view bytes);

// The UTF-8 text `utf8` in `codePage`; std::nullopt when the text is not valid UTF-8, when a
// character has no mapping in the code page, or when the code page is unavailable.
std::optional<std::string> EncodeCodePage(int codePage, std::string_view utf8);

}  // namespace qel::text
