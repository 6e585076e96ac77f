// One archive as the main window lists it: the engine's lister run over it, each entry it
// reports turned into a row record, and the folders of every entry gathered into the tree
// the explorer style shows. A listing replaces everything the previous one gathered.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "app/core/FileTypes.h"
#include "app/core/FolderTree.h"
#include "app/core/ShellItem.h"
#include "app/core/ShellItemStore.h"
#include "engine/base/ArcType.h"
#include "engine/list/Quell.h"

namespace vk::app {

class TArchiveListing {
 public:
  // Names the archive; the engine detects its type here (atNA when the file is missing).
  // Engine errors go to the lister's OnError, which the caller may set beforehand.
  qel::TArcType SetArchive(const QString& path);
  QString ArchiveFile() const;
  qel::TArcType ArcType() const { return Quell.ArcType(); }
  bool Recognised() const { return qel::IsRecognised(ArcType()); }
  // Forgets the archive and every row.
  void Clear();

  // Lists the entries matching `masks` ("*" for all). False when the archive could not be
  // listed; the rows gathered so far stay.
  bool List(const QStringList& masks);

  // The file entries of the last listing, in archive order. Folder entries of the archive
  // only feed the tree.
  TShellItemStore& Files() { return files_; }
  const TFolderTree& Tree() const { return tree_; }
  // The totals the lister counted over the listed files.
  int64_t TotalPacked() const { return totalPacked_; }
  int64_t TotalUnpacked() const { return totalUnpacked_; }

  // The engine's lister, for its events (errors, passwords, cancelling).
  qel::TQuell Quell;

 private:
  // The lister's entry callback: the current entry becomes a row, its folder a tree node.
  void QuellRead();
  const QString& AttributeText(uint32_t attr);

  TShellItemStore files_;
  TFolderTree tree_;
  TFileTypeNames types_;
  std::unordered_map<uint32_t, QString> attributeTexts_;
  // Entries of one folder usually follow each other: their rows share one folder string.
  std::string lastFolderBytes_;
  QString lastFolder_;
  const TFolderNode* lastNode_ = nullptr;
  int64_t totalPacked_ = 0;
  int64_t totalUnpacked_ = 0;
};

}  // namespace vk::app
