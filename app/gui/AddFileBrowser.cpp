#include "app/gui/AddFileBrowser.h"

#include <QCollator>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vk::gui {

// Folders before files, then by the column: names as people read them (case-blind, digits
// by value), sizes and dates by value, types by name, ties by name. The header's captions
// are its own, so that a language file can set them.
class TShellSortModel : public QSortFilterProxyModel {
 public:
  explicit TShellSortModel(QObject* parent) : QSortFilterProxyModel(parent) {
    collator_.setNumericMode(true);
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < captions_.size())
      return captions_[section];
    return QSortFilterProxyModel::headerData(section, orientation, role);
  }

  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                     int role) override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= captions_.size())
      return false;
    captions_[section] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
  }

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
    const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
    const QModelIndex l = left.siblingAtColumn(0), r = right.siblingAtColumn(0);
    const bool leftFolder = files->isDir(l), rightFolder = files->isDir(r);
    if (leftFolder != rightFolder) return leftFolder;
    int order = 0;
    switch (left.column()) {
      case 1:
        order = Compare(files->size(l), files->size(r));
        break;
      case 2:
        order = collator_.compare(files->type(l), files->type(r));
        break;
      case 3:
        order = Compare(files->lastModified(l), files->lastModified(r));
        break;
      default:
        break;
    }
    if (order == 0) order = collator_.compare(files->fileName(l), files->fileName(r));
    return order < 0;
  }

 private:
  template <class T>
  static int Compare(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
  }

  QStringList captions_ = {"Name", "Size", "Type", "Modified"};
  QCollator collator_;
};

namespace {

QToolButton* NewToolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon,
                           const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

TAddFileBrowser::TAddFileBrowser(QWidget* parent) : QWidget(parent) {
  folderBox_ = new QComboBox(this);
  folderBox_->setObjectName("ShellCombo");
  folderBox_->setEditable(true);
  folderBox_->setInsertPolicy(QComboBox::NoInsert);
  folderBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  // Enter goes to the typed folder rather than to the dialog's default button.
  folderBox_->lineEdit()->installEventFilter(this);
  auto* up = NewToolButton(this, "sbUpLevel", QStyle::SP_FileDialogToParent, tr("One Level Up"));
  list_ = NewToolButton(this, "sbList", QStyle::SP_FileDialogListView, tr("List View"));
  report_ = NewToolButton(this, "sbReport", QStyle::SP_FileDialogDetailedView, tr("Report View"));
  for (QToolButton* button : {list_, report_}) {
    button->setCheckable(true);
    button->setAutoExclusive(true);
  }

  files_ = new QFileSystemModel(this);
  files_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
  sorted_ = new TShellSortModel(this);
  sorted_->setSourceModel(files_);

  reportView_ = new QTreeView(this);
  reportView_->setObjectName("ShellList");
  reportView_->setModel(sorted_);
  reportView_->setRootIsDecorated(false);
  reportView_->setItemsExpandable(false);
  reportView_->setUniformRowHeights(true);
  reportView_->setAllColumnsShowFocus(true);
  reportView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  reportView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  QHeaderView* header = reportView_->header();
  header->setStretchLastSection(false);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(true);
  // One view's selection (and current row) is the other's: switching keeps what was picked.
  listView_ = new QListView(this);
  listView_->setObjectName("ShellListView");
  listView_->setModel(sorted_);
  listView_->setSelectionModel(reportView_->selectionModel());
  listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  listView_->setViewMode(QListView::ListMode);
  listView_->setFlow(QListView::TopToBottom);
  listView_->setWrapping(true);
  listView_->setResizeMode(QListView::Adjust);
  listView_->setUniformItemSizes(true);
  views_ = new QStackedWidget(this);
  views_->addWidget(reportView_);
  views_->addWidget(listView_);

  auto* bar = new QHBoxLayout;
  bar->addWidget(folderBox_, 1);
  bar->addWidget(up);
  bar->addWidget(list_);
  bar->addWidget(report_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(bar);
  layout->addWidget(views_, 1);

  connect(folderBox_, &QComboBox::activated, this,
          [this](int index) { SetFolder(folderBox_->itemText(index)); });
  connect(up, &QToolButton::clicked, this, [this] {
    QDir folder(folder_);
    if (folder.cdUp()) SetFolder(folder.absolutePath());
  });
  connect(list_, &QToolButton::clicked, this, [this] { SetReportView(false); });
  connect(report_, &QToolButton::clicked, this, [this] { SetReportView(true); });
  connect(header, &QHeaderView::sectionClicked, this, &TAddFileBrowser::SortByColumn);
  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(reportView_), static_cast<QAbstractItemView*>(listView_)}) {
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
      const QModelIndex file = sorted_->mapToSource(index);
      if (files_->isDir(file)) SetFolder(files_->filePath(file));
    });
  }
  auto* hidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
  hidden->setContext(Qt::WidgetWithChildrenShortcut);
  connect(hidden, &QShortcut::activated, this, [this] { SetShowHidden(!ShowHidden()); });

  sorted_->sort(0, Qt::AscendingOrder);
  header->setSortIndicator(0, Qt::AscendingOrder);
  SetReportView(true);
}

bool TAddFileBrowser::SetFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir()) {
    folderBox_->setEditText(QDir::toNativeSeparators(folder_));
    return false;
  }
  folder_ = QDir::cleanPath(info.absoluteFilePath());
  const QModelIndex source = files_->setRootPath(folder_);
  // The views fetch a folder's rows when they are laid out; a hidden dialog has them too.
  if (files_->canFetchMore(source)) files_->fetchMore(source);
  const QModelIndex root = sorted_->mapFromSource(source);
  reportView_->setRootIndex(root);
  listView_->setRootIndex(root);
  reportView_->selectionModel()->clear();
  FillFolderBox();
  return true;
}

void TAddFileBrowser::FillFolderBox() {
  // The folder and the folders above it, to go up several levels at once.
  const QSignalBlocker block(folderBox_);
  folderBox_->clear();
  QDir folder(folder_);
  do {
    folderBox_->addItem(style()->standardIcon(QStyle::SP_DirIcon),
                        QDir::toNativeSeparators(folder.absolutePath()));
  } while (folder.cdUp());
  folderBox_->setCurrentIndex(0);
}

std::vector<app::TBrowserItem> TAddFileBrowser::Items() const {
  std::vector<app::TBrowserItem> items;
  const QModelIndex root = reportView_->rootIndex();
  const QItemSelectionModel* selection = reportView_->selectionModel();
  for (int row = 0; row < sorted_->rowCount(root); ++row) {
    const QModelIndex index = sorted_->index(row, 0, root);
    const QModelIndex file = sorted_->mapToSource(index);
    items.push_back({files_->filePath(file), files_->isDir(file), selection->isSelected(index)});
  }
  return items;
}

void TAddFileBrowser::SetReportView(bool report) {
  views_->setCurrentWidget(report ? static_cast<QWidget*>(reportView_) : listView_);
  (report ? report_ : list_)->setChecked(true);
}

bool TAddFileBrowser::ReportView() const { return views_->currentWidget() == reportView_; }

void TAddFileBrowser::SetShowHidden(bool show) {
  QDir::Filters filter = files_->filter();
  filter.setFlag(QDir::Hidden, show);
  files_->setFilter(filter);
}

bool TAddFileBrowser::ShowHidden() const { return files_->filter() & QDir::Hidden; }

void TAddFileBrowser::SortByColumn(int column) {
  order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  sorted_->sort(column, order_);
  reportView_->header()->setSortIndicator(column, order_);
}

std::array<int, 4> TAddFileBrowser::ColumnWidths() const {
  std::array<int, 4> widths{};
  for (int i = 0; i < 4; ++i) widths[size_t(i)] = reportView_->header()->sectionSize(i);
  return widths;
}

void TAddFileBrowser::SetColumnWidths(const std::array<int, 4>& widths) {
  for (int i = 0; i < 4; ++i) reportView_->header()->resizeSection(i, widths[size_t(i)]);
}

bool TAddFileBrowser::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      SetFolder(folderBox_->currentText());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vk::gui
