// Selects the rows of the Add Files dialog's file browser whose names are given, as a user
// would pick them.
#pragma once

#include <QItemSelectionModel>
#include <QStringList>
#include <QTreeView>

namespace vk::gui::test {

inline void SelectBrowserRows(QWidget* dialog, const QStringList& names) {
  auto* view = dialog->findChild<QTreeView*>("ShellList");
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row) {
    const QModelIndex index = view->model()->index(row, 0, root);
    if (names.contains(index.data().toString()))
      view->selectionModel()->select(index,
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

}  // namespace vk::gui::test
