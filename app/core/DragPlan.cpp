#include "app/core/DragPlan.h"

#include <QDir>
#include <QFileInfo>
#include <optional>
#include <string>

#include "engine/extract/OutputNames.h"

namespace vk::app {

namespace {

// Where extraction writes a stored name below its target folder (the same cleaning), or
// nothing for a name that names no file.
std::optional<QString> ExtractedName(const QString& stored, bool storedDirs) {
  const std::optional<std::string> clean = qel::CleanStoredName(stored.toStdString(), storedDirs);
  if (!clean || clean->empty() || *clean == "/") return std::nullopt;
  QString name = QString::fromStdString(*clean);
  if (name.endsWith(u'/')) name.chop(1);
  return name;
}

}  // namespace

TDragPlan PlanDrag(const std::vector<const TShellItem*>& selected, const QString& tempFolder) {
  TDragPlan plan;
  for (const TShellItem* item : selected) {
    const std::optional<QString> name =
        item->IsFolder() ? ExtractedName(item->Folder, true) : ExtractedName(item->Name, false);
    // Files are extracted without their folders: a second name alike would overwrite the
    // first, so only the first goes along.
    if (!name || plan.Placeholders.contains(tempFolder + *name)) continue;
    plan.Placeholders += tempFolder + *name;
    if (item->IsFolder())
      plan.FolderMasks += item->Folder + u'*';
    else
      plan.FileMasks += item->Folder + item->Name;
  }
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
