#include "app/gui/ReportList.h"

#include <QHeaderView>
#include <QTimer>
#include <utility>

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

TReportList::~TReportList() { qDeleteAll(waiting_); }

void TReportList::AddLine(const QString& text, const QIcon& icon, const QString& status,
                          const QColor& colour) {
  auto* item = new QTreeWidgetItem({text, status});
  item->setIcon(0, icon);
  if (colour.isValid())
    for (int column = 0; column < 2; ++column) item->setForeground(column, colour);
  waiting_ << item;
  // Each append lays the whole list out again: a few times a second at most.
  if (waiting_.size() == 1) QTimer::singleShot(100, this, &TReportList::AppendWaiting);
}

void TReportList::AppendWaiting() {
  if (waiting_.isEmpty()) return;
  addTopLevelItems(std::exchange(waiting_, {}));
  scrollToBottom();
}

void TReportList::Clear() {
  qDeleteAll(std::exchange(waiting_, {}));
  clear();
}

std::vector<TReportLine> TReportList::Lines() const {
  std::vector<TReportLine> lines;
  const auto add = [&lines](const QTreeWidgetItem* item) {
    const QBrush brush = item->foreground(0);
    lines.push_back(
        {item->text(0), item->text(1), brush.style() == Qt::NoBrush ? QColor() : brush.color()});
  };
  for (int i = 0; i < topLevelItemCount(); ++i) add(topLevelItem(i));
  for (const QTreeWidgetItem* item : waiting_) add(item);
  return lines;
}

}  // namespace vk::gui
