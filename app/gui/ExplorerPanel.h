// The explorer style of the main window: the archive's folder tree beside the list of the
// selected folder's content, each with a button one level up, and a caption showing where
// the list is.
#pragma once

#include <QHash>
#include <QWidget>

class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace vk::app {
class TFolderTree;
struct TFolderNode;
}  // namespace vk::app

namespace vk::gui {

class TVrListView;

class TExplorerPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TExplorerPanel(QWidget* parent = nullptr);

  QTreeWidget* Tree() const { return tree_; }
  TVrListView* List() const { return list_; }

  // Rebuilds the tree from the archive's folders, which must stay until the next FillTree
  // or ClearTree; nothing is selected afterwards.
  void FillTree(const app::TFolderTree& folders);
  void ClearTree();
  // The folder of a tree item; null for none.
  static const app::TFolderNode* NodeOf(const QTreeWidgetItem* item);
  // The item of a folder path ("" or the archive for the root), ignoring case.
  QTreeWidgetItem* ItemOf(const QString& path) const;
  void SetFolderCaption(const QString& path);
  void SetTreeVisible(bool on);
  int TreeWidth() const;
  void SetTreeWidth(int width);

 signals:
  void UpClicked();
  void TreeClosed();
  void TreeBackspace();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QSplitter* splitter_ = nullptr;
  QWidget* treePanel_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  TVrListView* list_ = nullptr;
  QLabel* caption_ = nullptr;
  const app::TFolderTree* folders_ = nullptr;
  QHash<const app::TFolderNode*, QTreeWidgetItem*> items_;
  // The tree width asked for before the panel had its size: the splitter would scale it.
  int pendingTreeWidth_ = -1;
};

}  // namespace vk::gui
