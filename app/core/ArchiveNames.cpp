#include "app/core/ArchiveNames.h"

#include <QFileInfo>
#include <cstring>

namespace vk::app {

namespace {

// Splits "folder/name" after its last "/".
std::pair<QString, QString> SplitName(const QString& path) {
  const int slash = path.lastIndexOf('/');
  return {path.left(slash + 1), path.mid(slash + 1)};
}

QString WithoutEnding(const QString& name, const QString& ending) {
  return name.endsWith(ending, Qt::CaseInsensitive) ? name.chopped(ending.size()) : name;
}

QString WithoutLastExtension(const QString& fileName) {
  const int dot = fileName.lastIndexOf('.');
  return dot < 0 ? fileName : fileName.left(dot);
}

}  // namespace

QString ReplaceArchiveExtension(const QString& name, const QString& extension) {
  if (name.endsWith(extension, Qt::CaseInsensitive)) return name;
  const auto [folder, fileName] = SplitName(name);
  if (!fileName.contains('.')) return name;
  return folder + WithoutEnding(WithoutLastExtension(fileName), ".tar") + extension;
}

QString ArchiveBaseName(const QString& archive) {
  const QString fileName = SplitName(archive).second;
  QString base = WithoutLastExtension(fileName);
  base = WithoutEnding(WithoutEnding(base, ".tar"), ".7z");
  // A name that is all extension (".zip") keeps its whole self rather than become nothing.
  return base.isEmpty() ? fileName : base;
}

QString DefaultArchiveExtension(int defArcType) {
  static const char* const kExtensions[] = {".7z",  ".bh",  ".bza", ".cab",
                                            ".jar", ".lha", ".zip", ".yz1"};
  return defArcType >= 0 && defArcType < 8 ? kExtensions[defArcType] : ".zip";
}

QString ProposedArchiveName(const QString& item, bool several, const QString& extension) {
  QString path = item;
  for (const char* mask : {"/*.*", "/*"})
    if (path.endsWith(mask)) path.chop(int(strlen(mask)) - 1);
  while (path.size() > 1 && path.endsWith('/')) path.chop(1);
  if (path == "/" || path.isEmpty()) return "/Root" + extension;
  if (several) return path + '/' + SplitName(path).second + extension;
  // A mask, or anything whose kind cannot be read, is taken for a folder.
  const QFileInfo info(item);
  if (info.exists() && !info.isDir()) {
    const auto [folder, fileName] = SplitName(path);
    const QString stem = WithoutLastExtension(fileName);
    return folder + (stem.isEmpty() ? fileName : stem) + extension;
  }
  return path + extension;
}

QString ExtractDestination(int extractType, const QString& archive, bool several,
                           const QString& lastFolder, const QString& fixedFolder) {
  switch (extractType) {
    case 2:
      return lastFolder;
    case 3:
      return fixedFolder;
    default: {
      const QString folder = SplitName(archive).first;
      if (extractType != 1 || several) return folder;
      return folder + ArchiveBaseName(archive);
    }
  }
}

}  // namespace vk::app
