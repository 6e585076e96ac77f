// TReportList: the two-column report ("File Name", "Status") of the test and repair windows.
// Each line may carry a small icon and a colour for its texts; every added line is scrolled
// into view.
#pragma once

#include <QColor>
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

  void AddLine(const QString& text, const QIcon& icon = {}, const QString& status = {},
               const QColor& colour = {});
  std::vector<TReportLine> Lines() const;
};

}  // namespace vk::gui
