#include "app/gui/ReportList.h"

#include <QHeaderView>

namespace vk::gui {

TReportList::TReportList(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(2);
  setHeaderLabels({tr("File Name"), tr("Status")});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::Stretch);
  header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
}

void TReportList::AddLine(const QString& text, const QIcon& icon, const QString& status,
                          const QColor& colour) {
  auto* item = new QTreeWidgetItem(this, {text, status});
  item->setIcon(0, icon);
  if (colour.isValid())
    for (int column = 0; column < 2; ++column) item->setForeground(column, colour);
  scrollToItem(item);
}

std::vector<TReportLine> TReportList::Lines() const {
  std::vector<TReportLine> lines;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    const QBrush brush = item->foreground(0);
    lines.push_back(
        {item->text(0), item->text(1), brush.style() == Qt::NoBrush ? QColor() : brush.color()});
  }
  return lines;
}

}  // namespace vk::gui
