#include "app/gui/ExplorerPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/core/FolderTree.h"
#include "app/gui/FileIcons.h"
#include "app/gui/VrListView.h"

namespace vk::gui {
namespace {

QToolButton* UpButton(const QString& name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_FileDialogToParent));
  button->setToolTip(QObject::tr("One Level Up"));
  button->setAutoRaise(true);
  return button;
}

}  // namespace

TExplorerPanel::TExplorerPanel(QWidget* parent) : QWidget(parent) {
  setObjectName("ExplorerPanel");
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("ExplorerSplitter");
  splitter_->setChildrenCollapsible(false);

  treePanel_ = new QWidget(splitter_);
  treePanel_->setObjectName("pnTree");
  auto* treeBar = new QHBoxLayout;
  auto* treeTitle = new QLabel(tr("Folders"), treePanel_);
  treeTitle->setObjectName("lblFolders");
  QToolButton* treeUp = UpButton("btnTreeUp", treePanel_);
  auto* close = new QToolButton(treePanel_);
  close->setObjectName("btnCloseTree");
  close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  close->setAutoRaise(true);
  treeBar->addWidget(treeTitle, 1);
  treeBar->addWidget(treeUp);
  treeBar->addWidget(close);
  tree_ = new QTreeWidget(treePanel_);
  tree_->setObjectName("FolderTree");
  tree_->setHeaderHidden(true);
  tree_->setUniformRowHeights(true);
  tree_->installEventFilter(this);
  auto* treeLayout = new QVBoxLayout(treePanel_);
  treeLayout->setContentsMargins(0, 0, 0, 0);
  treeLayout->addLayout(treeBar);
  treeLayout->addWidget(tree_);

  auto* listPanel = new QWidget(splitter_);
  listPanel->setObjectName("pnExplorerList");
  auto* listBar = new QHBoxLayout;
  caption_ = new QLabel(listPanel);
  caption_->setObjectName("lblFolderPath");
  caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QToolButton* listUp = UpButton("btnListUp", listPanel);
  listBar->addWidget(caption_, 1);
  listBar->addWidget(listUp);
  list_ = new TVrListView("ExplorerList", listPanel);
  auto* listLayout = new QVBoxLayout(listPanel);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addLayout(listBar);
  listLayout->addWidget(list_);

  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter_);

  connect(treeUp, &QToolButton::clicked, this, &TExplorerPanel::UpClicked);
  connect(listUp, &QToolButton::clicked, this, &TExplorerPanel::UpClicked);
  connect(close, &QToolButton::clicked, this, [this] {
    SetTreeVisible(false);
    emit TreeClosed();
  });
}

void TExplorerPanel::FillTree(const app::TFolderTree& folders) {
  tree_->setUpdatesEnabled(false);
  ClearTree();
  const app::TFolderNode& root = folders.Root();
  auto* top = new QTreeWidgetItem(tree_, {root.Data.Caption});
  top->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
  top->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(quintptr(&root)));
  top->setToolTip(0, root.Data.Path);
  folders_ = &folders;
  items_.insert(&root, top);
  // Level by level: archive folders may nest deeply.
  const QIcon icon = TFileIcons().FolderIcon();
  std::vector<std::pair<const app::TFolderNode*, QTreeWidgetItem*>> pending{{&root, top}};
  while (!pending.empty()) {
    const auto [node, parent] = pending.back();
    pending.pop_back();
    for (const auto& child : node->Children) {
      auto* item = new QTreeWidgetItem(parent, {child->Data.Caption});
      item->setIcon(0, icon);
      item->setData(0, Qt::UserRole, QVariant::fromValue<quintptr>(quintptr(child.get())));
      items_.insert(child.get(), item);
      pending.emplace_back(child.get(), item);
    }
  }
  top->setExpanded(true);
  tree_->setUpdatesEnabled(true);
}

void TExplorerPanel::ClearTree() {
  const QSignalBlocker quiet(tree_);
  tree_->clear();
  items_.clear();
  folders_ = nullptr;
  caption_->clear();
}

const app::TFolderNode* TExplorerPanel::NodeOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<const app::TFolderNode*>(
                    item->data(0, Qt::UserRole).value<quintptr>())
              : nullptr;
}

QTreeWidgetItem* TExplorerPanel::ItemOf(const QString& path) const {
  return folders_ ? items_.value(folders_->FindByPath(path)) : nullptr;
}

void TExplorerPanel::SetFolderCaption(const QString& path) { caption_->setText(path); }

void TExplorerPanel::SetTreeVisible(bool on) { treePanel_->setVisible(on); }

int TExplorerPanel::TreeWidth() const { return treePanel_->width(); }

void TExplorerPanel::SetTreeWidth(int width) {
  pendingTreeWidth_ = width;
  if (isVisible()) resizeEvent(nullptr);
}

void TExplorerPanel::resizeEvent(QResizeEvent* event) {
  if (event) QWidget::resizeEvent(event);
  const int total = splitter_->width();
  if (pendingTreeWidth_ < 0 || total <= pendingTreeWidth_) return;
  splitter_->setSizes({pendingTreeWidth_, total - pendingTreeWidth_});
  pendingTreeWidth_ = -1;
}

bool TExplorerPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backspace) {
      emit TreeBackspace();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vk::gui
