#include "engine/detect/ArchiveExts.h"

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

}  // namespace qel
