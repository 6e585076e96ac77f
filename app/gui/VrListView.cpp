#include "app/gui/VrListView.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QStackedLayout>
#include <QTreeView>
#include <QUrl>

#include "app/core/EntrySearch.h"
#include "app/gui/EntryModel.h"

namespace vk::gui {
namespace {

// The list's own search and drag replace the views' built-in ones.
template <class View>
class TOwnedView : public View {
 public:
  explicit TOwnedView(TVrListView* owner) : View(owner), owner_(owner) {}
  void keyboardSearch(const QString& typed) override { owner_->KeyboardSearch(typed); }

 protected:
  void startDrag(Qt::DropActions) override { owner_->StartDrag(); }

 private:
  TVrListView* owner_;
};

// The local files of a drop; none when it comes from the lists themselves.
QStringList DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

TVrListView::TVrListView(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  report_ = new TOwnedView<QTreeView>(this);
  report_->setObjectName(name + "Details");
  report_->setRootIsDecorated(false);
  report_->setItemsExpandable(false);
  report_->setUniformRowHeights(true);  // rows are measured once, not one by one
  report_->setAllColumnsShowFocus(true);
  report_->header()->setSectionsClickable(true);
  report_->header()->setSectionsMovable(true);
  report_->header()->setSortIndicatorShown(false);
  report_->header()->setStretchLastSection(false);
  connect(report_->header(), &QHeaderView::sectionClicked, this, &TVrListView::ColumnClicked);

  icons_ = new TOwnedView<QListView>(this);
  icons_->setObjectName(name + "Icons");
  icons_->setResizeMode(QListView::Adjust);
  icons_->setUniformItemSizes(true);
  icons_->setLayoutMode(QListView::Batched);  // large lists lay out in steps, not at once

  for (QAbstractItemView* view :
       {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(icons_)}) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->viewport()->setAcceptDrops(true);
    Watch(view);
  }
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  stack_->addWidget(report_);
  stack_->addWidget(icons_);
}

void TVrListView::Watch(QAbstractItemView* view) {
  view->installEventFilter(this);
  view->viewport()->installEventFilter(this);
  connect(view, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { emit RowActivated(index.row()); });
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
    emit MenuRequested(view->viewport()->mapToGlobal(pos));
  });
}

void TVrListView::SetModel(TEntryModel* model) {
  model_ = model;
  report_->setModel(model);
  icons_->setModel(model);
  // One selection for both styles: switching keeps what was selected.
  icons_->setSelectionModel(report_->selectionModel());
  connect(report_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TVrListView::SelectionChanged);
}

void TVrListView::SetViewStyle(int style) {
  style_ = style < vsIcon || style > vsReport ? vsReport : style;
  if (style_ == vsReport) {
    stack_->setCurrentWidget(report_);
    return;
  }
  const int iconSize = style_ == vsIcon ? 32 : 16;
  icons_->setIconSize(QSize(iconSize, iconSize));
  icons_->setViewMode(style_ == vsIcon ? QListView::IconMode : QListView::ListMode);
  icons_->setFlow(style_ == vsList ? QListView::TopToBottom : QListView::LeftToRight);
  icons_->setWrapping(true);
  icons_->setGridSize(style_ == vsIcon ? QSize(96, 64) : QSize());
  icons_->setMovement(QListView::Static);
  stack_->setCurrentWidget(icons_);
}

void TVrListView::SetSortArrow(int column, TSortState state) {
  QHeaderView* header = report_->header();
  header->setSortIndicatorShown(state != ssNone);
  if (state != ssNone)
    header->setSortIndicator(column,
                             state == ssAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TVrListView::SetGridLines(bool on) { report_->setAlternatingRowColors(on); }

void TVrListView::SetFullRowSelect(bool on) {
  report_->setSelectionBehavior(on ? QAbstractItemView::SelectRows
                                   : QAbstractItemView::SelectItems);
}

QHeaderView* TVrListView::Header() const { return report_->header(); }

QAbstractItemView* TVrListView::ActiveView() const {
  return style_ == vsReport ? static_cast<QAbstractItemView*>(report_) : icons_;
}

QItemSelectionModel* TVrListView::SelectionModel() const { return report_->selectionModel(); }

std::vector<int> TVrListView::SelectedRows() const {
  std::vector<int> rows;
  QItemSelectionModel* selection = SelectionModel();
  if (!selection) return rows;
  for (const QItemSelectionRange& range : selection->selection())
    for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

void TVrListView::SelectAll() { ActiveView()->selectAll(); }

void TVrListView::InvertSelection() {
  if (!model_ || model_->rowCount() == 0) return;
  const QItemSelection all(model_->index(0, 0),
                           model_->index(model_->rowCount() - 1, model_->columnCount() - 1));
  SelectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

void TVrListView::SelectRow(int row) {
  if (!model_ || row < 0 || row >= model_->rowCount()) return;
  const QModelIndex index = model_->index(row, 0);
  SelectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ActiveView()->scrollTo(index);
}

void TVrListView::EditName(int row) {
  if (!model_ || row < 0 || row >= model_->rowCount()) return;
  SelectRow(row);
  ActiveView()->edit(model_->index(row, 0));
}

void TVrListView::KeyboardSearch(const QString& typed) {
  if (!model_ || typed.isEmpty()) return;
  // Keys typed in quick succession make one name prefix; a pause starts a new one.
  const bool continued =
      typedTimer_.isValid() && typedTimer_.elapsed() < QApplication::keyboardInputInterval();
  typed_ = continued ? typed_ + typed : typed;
  typedTimer_.start();
  const int current = ActiveView()->currentIndex().row();
  // A new search begins below the current row, so repeating a letter walks its names.
  const int start = current < 0 ? 0 : continued ? current : current + 1;
  const int found = app::FindEntry(model_->Rows(), typed_, start, true);
  if (found >= 0) SelectRow(found);
}

void TVrListView::StartDrag() {
  if (!model_) return;
  QModelIndexList rows;
  for (int row : SelectedRows()) rows << model_->index(row, 0);
  if (rows.isEmpty()) return;
  QMimeData* data = model_->mimeData(rows);
  if (!data) return;
  auto* drag = new QDrag(ActiveView());
  drag->setMimeData(data);
  drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
  emit DragFinished();
}

bool TVrListView::eventFilter(QObject* watched, QEvent* event) {
  const bool isViewport = watched == report_->viewport() || watched == icons_->viewport();
  switch (event->type()) {
    case QEvent::KeyPress: {
      if (isViewport) break;
      // A caption being edited has the keys itself: its editor is another widget, whose
      // Enter, once it has taken the name, still comes this way.
      auto* view = static_cast<QAbstractItemView*>(watched);
      if (view->indexWidget(view->currentIndex())) break;
      switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          if (view->currentIndex().isValid()) emit RowActivated(view->currentIndex().row());
          return true;
        case Qt::Key_Delete:
          emit DeletePressed();
          return true;
        case Qt::Key_F2:
          emit RenamePressed();
          return true;
        case Qt::Key_Backspace:
          emit BackspacePressed();
          return true;
        default:
          break;
      }
      break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      if (!isViewport) break;
      auto* drag = static_cast<QDropEvent*>(event);
      const bool ours = drag->source() == report_ || drag->source() == icons_;
      if (!ours && !DroppedFiles(drag->mimeData()).isEmpty()) {
        drag->acceptProposedAction();
        return true;
      }
      drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      if (!isViewport) break;
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList files = DroppedFiles(drop->mimeData());
      if (files.isEmpty()) break;
      drop->acceptProposedAction();
      emit FilesDropped(files);
      return true;
    }
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vk::gui
