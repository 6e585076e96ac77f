// TVrListView: one entry list of the main window in the four view styles of the settings
// (large icons, small icons, list, details). The details style is a table with a sortable
// header; the others are an icon view over the same rows and the same selection. Both
// search by typed name prefix, drag the selected rows out and take files dropped on them.
#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>
#include <vector>

class QAbstractItemView;
class QHeaderView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QTreeView;

namespace vk::gui {

class TEntryModel;

class TVrListView : public QWidget {
  Q_OBJECT

 public:
  enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
  // Sort arrow of the header: none, ascending, descending.
  enum TSortState { ssNone, ssAscending, ssDescending };

  explicit TVrListView(const QString& name, QWidget* parent = nullptr);

  void SetModel(TEntryModel* model);
  TEntryModel* Model() const { return model_; }
  void SetViewStyle(int style);
  int ViewStyle() const { return style_; }
  void SetSortArrow(int column, TSortState state);
  void SetGridLines(bool on);
  void SetFullRowSelect(bool on);
  QHeaderView* Header() const;
  QAbstractItemView* ActiveView() const;
  QItemSelectionModel* SelectionModel() const;
  // The selected rows in ascending order.
  std::vector<int> SelectedRows() const;
  void SelectAll();
  void InvertSelection();
  // Makes `row` current and the only selected row.
  void SelectRow(int row);
  // Opens the name of `row` for editing in place (the model says whether it may be).
  void EditName(int row);

  // The incremental search of a typed text, starting at the current row.
  void KeyboardSearch(const QString& typed);
  // Starts a drag of the selected rows (the model makes the data).
  void StartDrag();

 signals:
  void ColumnClicked(int column);
  void RowActivated(int row);  // double-click or Enter
  void DeletePressed();
  void RenamePressed();
  void BackspacePressed();
  void SelectionChanged();
  void FilesDropped(const QStringList& paths);
  void DragFinished();
  void MenuRequested(const QPoint& globalPos);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Watch(QAbstractItemView* view);

  QTreeView* report_ = nullptr;
  QListView* icons_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  TEntryModel* model_ = nullptr;
  int style_ = vsReport;
  QString typed_;
  QElapsedTimer typedTimer_;
};

}  // namespace vk::gui
