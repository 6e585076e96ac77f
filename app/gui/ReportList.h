// TReportList: the two-column report ("File Name", "Status") of the test and repair windows.
// Each line may carry a small icon and a colour for its texts. Lines are appended in
// batches when the event loop turns, and the last one is scrolled into view: a report of
// ten thousand lines lays the list out a few times, not once per line.
#pragma once

#include <QColor>
#include <QList>
#include <QTreeWidget>
#include <vector>

namespace vk::gui {

struct TReportLine {
  QString Text;
  QString Status;
  QColor Colour;  // invalid: the list's own text colour
};

class TReportList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TReportList(QWidget* parent = nullptr);
  ~TReportList() override;

  void AddLine(const QString& text, const QIcon& icon = {}, const QString& status = {},
               const QColor& colour = {});
  // Every line, those still waiting for their batch too.
  std::vector<TReportLine> Lines() const;
  void Clear();

 private:
  void AppendWaiting();

  QList<QTreeWidgetItem*> waiting_;
};

}  // namespace vk::gui
