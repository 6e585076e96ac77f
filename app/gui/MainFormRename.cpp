// The main window's in-list rename: F2 (or Actions, Rename) opens the row's name for editing;
// the edited name renames the entry, or the folder with everything in it, inside the archive,
// and the archive is listed again.
#include <QAbstractItemView>

#include "app/core/ArchiveRename.h"
#include "app/gui/EntryModel.h"
#include "app/gui/MainForm.h"
#include "app/gui/MessageBox.h"
#include "app/gui/VrListView.h"
#include "engine/base/Messages.h"

namespace vk::gui {

void TMainForm::ConnectRename() {
  connect(Action("acRename"), &QAction::triggered, this, [this] {
    TVrListView* list = ActiveList();
    const std::vector<int> rows = list->SelectedRows();
    const int row = rows.size() == 1 ? rows.front() : list->ActiveView()->currentIndex().row();
    list->EditName(row);
  });
  // Queued: the list is filled again, which the editor that sent the name must not see.
  connect(model_, &TEntryModel::NameEdited, this, &TMainForm::RenameRow, Qt::QueuedConnection);
}

void TMainForm::RenameRow(const QString& path, const QString& name) {
  if (Busy() || archive_.isEmpty()) return;
  const QString newPath = app::RenamedPath(path, name);
  if (newPath.isEmpty()) {
    const std::string_view invalid = qel::MessageText(qel::msg::InvalidFileName);
    MessageBox(
        QString::fromUtf8(invalid.data(), qsizetype(invalid.size())) + QStringLiteral(": ") + name,
        mtError, {mbOK}, 0, this);
    return;
  }
  errorLog_.ComponentActivated();
  bool renamed = false;
  {
    const TBusyScope busy(*this);
    renamed = app::RenameInArchive({*prompts_, ErrorHandler(), {}, {}}, archive_, path, newPath);
  }
  if (renamed) ArchiveChanged(std::nullopt);
}

}  // namespace vk::gui
