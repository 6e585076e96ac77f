// The context menu of the entry lists: the entry commands when rows are selected, the view
// style and the archive's properties when none is.
#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "app/core/AppSettings.h"
#include "app/core/Translation.h"
#include "app/gui/EntryModel.h"
#include "app/gui/MainForm.h"
#include "app/gui/VrListView.h"

namespace vk::gui {

void TMainForm::ShowListMenu(const QPoint& globalPos) {
  TVrListView* list = ActiveList();
  const std::vector<int> selected = list->SelectedRows();
  const bool any = !selected.empty();
  const bool oneFile = selected.size() == 1 && !EntryAt(selected[0])->IsFolder();

  QMenu menu(this);
  menu.setObjectName("pmFileList");
  auto add = [&menu, this](const char* name, bool shown) {
    if (shown) menu.addAction(Action(name));
  };
  add("acOpenFile", any);
  add("acExtract", any);
  add("acDelete", any);
  add("acView", any);
  if (ExplorerStyle() ? oneFile : any) {
    QAction* viewWith = Action("acViewWithNotepad");
    viewWith->setText(app::FormatMessage(
        app::Message(1070), {QFileInfo(app::AppSettings().DefViewer).completeBaseName()}));
    menu.addAction(viewWith);
  }
  add("acInvertSelection", any);
  add("acRename", any);
  if (!any) {
    QMenu* styles = menu.addMenu(tr("View Style"));
    styles->setObjectName("mnViewStyle");
    for (const char* name : {"acLargeIcons", "acSmallIcons", "acListStyle", "acDetails"})
      styles->addAction(Action(name));
    add("acProperties", true);
  }
  menu.addSeparator();
  add("acSelectAll", list->Model()->rowCount() > 0);
  add("acFileProps", selected.size() == 1);
  menu.exec(globalPos);
}

}  // namespace vk::gui
