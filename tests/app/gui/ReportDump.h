// The rows of a report list as "text|status|colour" strings, so that a whole list compares
// (and shows its differences) at once.
#pragma once

#include <string>
#include <vector>

#include "app/gui/ReportList.h"

namespace vk::gui {

inline std::vector<std::string> Dump(const std::vector<TReportLine>& lines) {
  std::vector<std::string> out;
  for (const TReportLine& line : lines)
    out.push_back((line.Text + '|' + line.Status + '|' +
                   (line.Colour.isValid() ? line.Colour.name() : QString()))
                      .toStdString());
  return out;
}

}  // namespace vk::gui
