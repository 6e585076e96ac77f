#include "formats/tar/TarNames.h"

#include "engine/text/EntryNames.h"

namespace qel::tar {

std::string MemberName(const TTarMember& m) {
  std::string name = text::DecodeEntryName(m.Name, text::TNameCodePage::Ansi);
  // "./a" is how many a TAR names "a".
  while (name.size() > 2 && name.compare(0, 2, "./") == 0) name.erase(0, 2);
  if (m.Kind == TTarKind::Folder && !name.empty() && name.back() != '/') name += '/';
  return name;
}

}  // namespace qel::tar
