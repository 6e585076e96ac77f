#include "app/core/MarkedNames.h"

namespace vk::app {

namespace {

bool IsOneOf(QStringView name, std::initializer_list<QStringView> candidates) {
  for (QStringView candidate : candidates)
    if (name.compare(candidate, Qt::CaseInsensitive) == 0) return true;
  return false;
}

TNameKind KindOf(QStringView name) {
  // Every marked name ends in one of these; most names are rejected here at once.
  if (name.size() < 4 || name[name.size() - 4] != u'.') return TNameKind::Other;
  if (!IsOneOf(name.right(3), {u"TXT", u"RTF", u"DOC", u"EXE", u"MSI", u"COM"}))
    return TNameKind::Other;
  if (IsOneOf(name, {u"README.TXT", u"README.RTF", u"README.DOC"})) return TNameKind::Readme;
  if (IsOneOf(name, {u"SETUP.EXE", u"SETUP.MSI", u"INSTALL.EXE", u"INSTALL.MSI"}))
    return TNameKind::Setup;
  if (name.endsWith(u".EXE", Qt::CaseInsensitive) || name.endsWith(u".COM", Qt::CaseInsensitive))
    return TNameKind::Program;
  return TNameKind::Other;
}

}  // namespace

TNameKind NameKind(const QString& name) { return KindOf(name); }

bool HasSetupFile(const TShellItemStore& files) {
  for (size_t i = 0; i < files.size(); ++i)
    if (KindOf(files.At(i).Name) == TNameKind::Setup) return true;
  return false;
}

}  // namespace vk::app
