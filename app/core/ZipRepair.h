// The Repair command's run: the intact entries of a damaged ZIP rescued into a new one.
#pragma once

#include <QString>
#include <functional>

namespace vk::app {

// Rescues the intact entries of `broken` into the new archive `fixed`. `found` is told each
// entry found, by its name (empty when the name cannot be read), and whether it came through
// intact. Throws std::exception with the reason when the rescue cannot be made.
void RepairZip(const QString& broken, const QString& fixed,
               const std::function<void(const QString& name, bool intact)>& found);

}  // namespace vk::app
