#include "formats/zip/NameCodec.h"

#include "engine/text/CodePages.h"
#include "engine/text/EntryNames.h"

namespace qel::zip {
namespace {

std::string Decode(std::string_view stored, text::TNameCodePage page, const TZipExtra& extra) {
  if (!extra.UnicodeName) return text::DecodeEntryName(stored, page);
  std::string name = *extra.UnicodeName;
  text::UseForwardSlashes(name);
  return name;
}

}  // namespace

std::string DecodeCentralName(std::string_view stored, uint16_t versionMadeBy,
                              const TZipExtra& extra) {
  const bool dosHost = (versionMadeBy >> 8) == 0;
  return Decode(stored, dosHost ? text::TNameCodePage::Oem : text::TNameCodePage::Ansi, extra);
}

std::string DecodeLocalName(std::string_view stored, const TZipExtra& extra) {
  return Decode(stored, text::TNameCodePage::Ansi, extra);
}

TEncodedName EncodeName(std::string_view name) {
  if (auto bytes = text::EncodeOemName(name)) return {std::move(*bytes), kMadeByOem};
  return {std::string(name), kMadeByUtf8};
}

}  // namespace qel::zip
