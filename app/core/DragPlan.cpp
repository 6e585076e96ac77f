#include "app/core/DragPlan.h"

#include <QDir>
#include <QFileInfo>

namespace vk::app {

namespace {

// A relative "/"-separated path that stays below the folder it is appended to, and that
// extraction writes under the same name (it drops ".", ".." and control characters).
bool IsSafeRelative(const QString& path) {
  if (path.isEmpty() || path.startsWith(u'/')) return false;
  for (QChar c : path)
    if (c.category() == QChar::Other_Control) return false;
  for (QStringView part : QStringView(path).split(u'/'))
    if (part.isEmpty() || part == u"." || part == u"..") return false;
  return true;
}

}  // namespace

TDragPlan PlanDrag(const std::vector<const TShellItem*>& selected, const QString& tempFolder,
                   bool explorerStyle) {
  TDragPlan plan;
  for (const TShellItem* item : selected) {
    if (item->IsFolder()) {
      const QString path = item->Folder.chopped(item->Folder.endsWith(u'/') ? 1 : 0);
      if (!IsSafeRelative(path)) continue;
      plan.Placeholders += tempFolder + path;
      plan.FolderMasks += path + QStringLiteral("/*");
    } else {
      if (!IsSafeRelative(item->Name) || item->Name.contains(u'/')) continue;
      plan.Placeholders += tempFolder + item->Name;
      plan.FileMasks += explorerStyle ? item->Folder + item->Name : item->Name;
    }
  }
  plan.Placeholders.removeDuplicates();
  return plan;
}

bool MakePlaceholderParents(const QStringList& placeholders) {
  bool ok = true;
  for (const QString& placeholder : placeholders)
    ok = QDir().mkpath(QFileInfo(placeholder).path()) && ok;
  return ok;
}

void RemoveEmptyPlaceholderParents(const QStringList& placeholders, const QString& tempFolder) {
  const QString temp = QDir::cleanPath(tempFolder);
  for (const QString& placeholder : placeholders) {
    QString folder = QDir::cleanPath(QFileInfo(placeholder).path());
    // rmdir removes only empty folders, so a folder that still holds something ends the walk.
    while (folder.startsWith(temp + u'/') && QDir().rmdir(folder))
      folder = QFileInfo(folder).path();
  }
}

}  // namespace vk::app
