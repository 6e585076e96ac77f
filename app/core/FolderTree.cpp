#include "app/core/FolderTree.h"

#include <QFileInfo>
#include <algorithm>

namespace vk::app {

TFolderTree::TFolderTree() : root_(std::make_unique<TFolderNode>()) {}

void TFolderTree::Reset(const QString& archivePath) {
  root_ = std::make_unique<TFolderNode>();
  root_->Data.Path = archivePath;
  root_->Data.Caption = QFileInfo(archivePath).fileName();
  nodes_.clear();
}

const TFolderNode* TFolderTree::AddFolderPath(const QString& folderWithTrailingSlash) {
  if (folderWithTrailingSlash.isEmpty()) return root_.get();
  if (const TFolderNode* known = nodes_.value(folderWithTrailingSlash.toCaseFolded())) return known;
  TFolderNode* parent = root_.get();
  int depth = 0;
  for (const QString& component : folderWithTrailingSlash.split(u'/', Qt::SkipEmptyParts)) {
    // Every node keeps its whole path: a hostile name of thousands of levels would cost
    // the square of its length. Deeper levels are shown in the deepest node kept.
    if (++depth > kMaxDepth || parent->Data.Path.size() + component.size() > kMaxPath) break;
    const QString path = (parent == root_.get() ? component : parent->Data.Path + component) + u'/';
    TFolderNode*& node = nodes_[path.toCaseFolded()];
    if (!node) {
      auto child = std::make_unique<TFolderNode>();
      child->Data = {path, component};
      child->Parent = parent;
      node = child.get();
      parent->Children.push_back(std::move(child));
    }
    parent = node;
  }
  return parent;
}

void TFolderTree::Sort() {
  std::vector<TFolderNode*> pending{root_.get()};
  while (!pending.empty()) {
    TFolderNode* node = pending.back();
    pending.pop_back();
    std::stable_sort(
        node->Children.begin(), node->Children.end(), [](const auto& a, const auto& b) {
          return QString::compare(a->Data.Caption, b->Data.Caption, Qt::CaseInsensitive) < 0;
        });
    for (const auto& child : node->Children) pending.push_back(child.get());
  }
}

const TFolderNode* TFolderTree::FindByPath(const QString& path) const {
  if (path.isEmpty() || QString::compare(path, root_->Data.Path, Qt::CaseInsensitive) == 0)
    return root_.get();
  QString key = path.toCaseFolded();
  if (!key.endsWith(u'/')) key += u'/';
  return nodes_.value(key, nullptr);
}

std::vector<TShellItem> FolderRows(const TFolderNode& node) {
  std::vector<TShellItem> rows;
  rows.reserve(node.Children.size());
  for (const auto& child : node.Children) {
    TShellItem row;
    row.Kind = TShellItem::kFolder;
    row.Name = child->Data.Caption;
    row.Attributes = QStringLiteral("D");
    row.Folder = child->Data.Path;
    rows.push_back(std::move(row));
  }
  return rows;
}

bool InFolder(const TShellItem& item, const TFolderNode& node) { return item.Node == &node; }

}  // namespace vk::app
