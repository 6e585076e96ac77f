#include "app/core/ArchiveRename.h"

#include "app/core/AppSettings.h"
#include "app/prompts/EnginePrompts.h"
#include "engine/base/Messages.h"
#include "engine/edit/ArchiveEditor.h"

namespace vk::app {

QString StoredPathOf(const TShellItem& item) {
  return item.IsFolder() ? item.Folder : item.Folder + item.Name;
}

QString RenamedPath(const QString& path, const QString& name) {
  if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
      name.contains(u'\\'))
    return {};
  const bool folder = path.endsWith(u'/');
  const QString trimmed = folder ? path.chopped(1) : path;
  const qsizetype cut = trimmed.lastIndexOf(u'/');
  return trimmed.left(cut + 1) + name + (folder ? QStringLiteral("/") : QString());
}

bool RenameInArchive(const TToolRun& run, const QString& archive, const QString& path,
                     const QString& newPath) {
  qel::TArchiveEditor editor;
  run.Prompts.AttachEditor(editor);
  bool reported = false;
  editor.OnError = [&](qel::TZipCommon& sender, const std::string& file,
                       const std::string& extended, const std::string& volume, int code) {
    reported = true;
    if (run.OnError) run.OnError(sender, file, extended, volume, code);
  };
  // The user typed this name: a change of case alone is a rename too.
  editor.CaseSensitive = true;
  editor.SetTempDir(AppSettings().AppTempFolder.toStdString());
  editor.SetArchiveFile(archive.toStdString());
  if (!editor.Open()) return false;
  if (!editor.RenamePath(path.toStdString(), newPath.toStdString())) {
    // Nothing under that name: the list showed what the archive no longer holds.
    if (!reported) editor.DoError(path.toStdString(), "", qel::msg::FileNotFound, "");
    return false;
  }
  return !editor.Modified() || editor.Commit();
}

}  // namespace vk::app
