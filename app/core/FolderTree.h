// The explorer style's folder tree: built from the folder paths of an archive's entries,
// one call per entry, and the rows of one folder's content.
#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "app/core/ShellItem.h"

namespace vk::app {

struct TNodeData {
  // The root: the archive's full file name. Other nodes: the folder's path inside the
  // archive, "/"-separated with a trailing "/".
  QString Path;
  // The root: the archive's file name. Other nodes: the folder's own name.
  QString Caption;
};

struct TFolderNode {
  TNodeData Data;
  TFolderNode* Parent = nullptr;
  std::vector<std::unique_ptr<TFolderNode>> Children;
};

// Folders of one archive merge ignoring case, as archives made on case-insensitive systems
// spell one folder in several ways: the first spelling seen names the node.
class TFolderTree {
 public:
  TFolderTree();

  // Drops every node and starts a new tree whose root stands for `archivePath`.
  void Reset(const QString& archivePath);
  // Puts every folder of `folderWithTrailingSlash` ("a/b/") into the tree and answers the
  // node of the last one (the root for ""). Empty components are skipped, so a node's path
  // is its parent's path + its caption + "/"; a path deeper than kMaxDepth levels or longer
  // than kMaxPath characters ends in the deepest node kept.
  const TFolderNode* AddFolderPath(const QString& folderWithTrailingSlash);
  // Orders every node's children by caption ignoring case.
  void Sort();

  const TFolderNode& Root() const { return *root_; }
  // The node of a folder path ignoring case (the trailing "/" may be left out); the root for
  // an empty path or the archive's path; null when the tree has no such folder.
  const TFolderNode* FindByPath(const QString& path) const;

 private:
  static constexpr int kMaxDepth = 256;
  static constexpr qsizetype kMaxPath = 32768;

  std::unique_ptr<TFolderNode> root_;
  // Every node but the root by its case-folded path: a folder seen before costs one lookup.
  QHash<QString, TFolderNode*> nodes_;
};

// One folder row per child of `node`, in child order.
std::vector<TShellItem> FolderRows(const TFolderNode& node);
// True when `item` lies directly in `node` (its listing put it there).
bool InFolder(const TShellItem& item, const TFolderNode& node);

}  // namespace vk::app
