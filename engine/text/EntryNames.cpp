#include "engine/text/EntryNames.h"

#include <algorithm>

#include "engine/text/CodePages.h"
#include "engine/text/Utf8.h"

namespace qel::text {

bool LooksLikeUtf8(std::string_view stored) {
  const bool highByte =
      std::any_of(stored.begin(), stored.end(), [](char c) { return uint8_t(c) > 127; });
  return highByte && IsValidUtf8(stored);
}

std::string DecodeStoredText(std::string_view stored) {
  if (LooksLikeUtf8(stored)) return std::string(stored);
  return DecodeCodePage(CodePages().Ansi, stored).value_or(SanitizeUtf8(stored));
}

std::optional<std::string> EncodeOemName(std::string_view name) {
  const int oem = CodePages().Oem;
  std::optional<std::string> bytes = EncodeCodePage(oem, name);
  if (!bytes || DecodeCodePage(oem, *bytes) != name || LooksLikeUtf8(*bytes)) return std::nullopt;
  return bytes;
}

std::string DecodeEntryName(std::string_view stored, TNameCodePage page) {
  std::string name;
  const bool ascii =
      std::all_of(stored.begin(), stored.end(), [](char c) { return uint8_t(c) < 0x80; });
  if (ascii && !stored.empty()) {
    // Every code page the names come in agrees with ASCII, and most names are ASCII.
    name.assign(stored);
  } else if (!LooksLikeUtf8(stored)) {
    const TCodePagePair pair = CodePages();
    name = DecodeCodePage(page == TNameCodePage::Oem ? pair.Oem : pair.Ansi, stored)
               .value_or(std::string());
  }
  if (name.empty()) name = SanitizeUtf8(stored);
  UseForwardSlashes(name);
  return name;
}

void UseForwardSlashes(std::string& name) { std::replace(name.begin(), name.end(), '\\', '/'); }

}  // namespace qel::text
