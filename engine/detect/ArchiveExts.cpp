#include "engine/detect/ArchiveExts.h"

#include <string_view>
#include <utility>

#include "engine/base/Messages.h"
#include "engine/text/Utf8.h"

namespace qel {

TStrings ArchiveExts() {
  constexpr size_t kMaxItems = 101;
  std::string_view filter = MessageText(msg::AllArchivesFilter);
  auto bar = filter.find('|');
  std::string_view patterns = bar == std::string_view::npos ? filter : filter.substr(bar + 1);
  TStrings exts;
  while (!patterns.empty() && exts.size() < kMaxItems) {
    auto semi = patterns.find(';');
    std::string_view item = patterns.substr(0, semi);
    patterns = semi == std::string_view::npos ? std::string_view() : patterns.substr(semi + 1);
    auto dot = item.find('.');
    if (dot == std::string_view::npos) continue;
    exts.push_back(text::AsciiLower(std::string(item.substr(dot))));
  }
  return exts;
}

TArcType ArcTypeOfName(const WideString& name) {
  static constexpr std::pair<std::string_view, TArcType> kByExtension[] = {
      {".tar.gz", atTarGz}, {".tar.bz2", atTarBz}, {".7z", at7Zip},   {".7zip", at7Zip},
      {".ace", atAce},      {".arc", atArc},       {".arj", atArj},   {".bh", atBh},
      {".bz", atBz2},       {".bz2", atBz2},       {".cab", atCab},   {".gz", atGZip},
      {".ha", atHA},        {".jar", atJar},       {".lha", atLha},   {".lzh", atLzh},
      {".mim", atB64},      {".pak", atPak},       {".qel", atQelX},  {".rar", atRar},
      {".tar", atTar},      {".tbz", atTarBz},     {".tgz", atTarGz}, {".uu", atUUE},
      {".uue", atUUE},      {".xxe", atUUE},       {".zip", atZip},   {".zoo", atZoo}};
  const std::string file = text::AsciiLower(name.substr(name.rfind('/') + 1));
  // The longest extension that ends the name: ".tgz" is not ".gz", nor ".lha" ".ha".
  TArcType found = atNA;
  size_t longest = 0;
  for (const auto& [ext, type] : kByExtension) {
    if (ext.size() > longest && file.size() > ext.size() && file.ends_with(ext)) {
      found = type;
      longest = ext.size();
    }
  }
  return found;
}

}  // namespace qel
