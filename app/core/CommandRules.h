// Which of the window's commands an archive allows, and which component does the work for
// its type: one pure function of the archive's state over the engine's format registry, so
// every rule can be checked in a table.
#pragma once

#include <QString>
#include <map>
#include <optional>

#include "app/core/ComponentKinds.h"
#include "engine/base/ArcType.h"

namespace vk::app {

struct TArchiveState {
  bool Open = false;  // the lister recognised the archive
  qel::TArcType Type = qel::atNA;
  bool HasSetupFile = false;  // Install instead of CheckOut
};

// The writer that adds to and deletes from an archive of `type`; none when the type takes
// no updates (message 210).
std::optional<TComponentKind> WriterForType(qel::TArcType type);

struct TCommandAvailability {
  bool ActionsMenu = false;
  std::map<QString, bool> Enabled;  // by action name, the archive's own commands
};
TCommandAvailability CommandAvailability(const TArchiveState& state);

}  // namespace vk::app
