// Entry names stored as 8-bit text without a reliable mark of their encoding, as every
// legacy archive format keeps them, turned into the program's UTF-8 names with "/" as the
// folder separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qel::text {

// Which code page of the configured pair a format's names are in when they are not UTF-8.
enum class TNameCodePage : uint8_t { Oem, Ansi };

// True when `stored` is valid UTF-8 holding at least one byte above 127: such a name is
// UTF-8 whatever its header says (plain ASCII is left to the code page).
bool LooksLikeUtf8(std::string_view stored);

// A comment as stored: UTF-8 when it looks like UTF-8, otherwise in the ANSI code page; the
// result is always well-formed UTF-8 and keeps its separators and line breaks.
std::string DecodeStoredText(std::string_view stored);

// Decodes a stored name: UTF-8 when it looks like UTF-8, otherwise from the code page named
// (falling back to UTF-8 when that gives nothing), then every "\" becomes "/".
std::string DecodeEntryName(std::string_view stored, TNameCodePage page);

// A name in the OEM code page, for writing: none when the code page cannot give the name
// back exactly, or when its bytes would read back as UTF-8 (CP437 "├ñ" is the UTF-8 of "ä").
std::optional<std::string> EncodeOemName(std::string_view name);

// Every "\" in a decoded name becomes "/".
void UseForwardSlashes(std::string& name);

}  // namespace qel::text
