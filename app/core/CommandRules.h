// Which of the window's commands an archive allows, and which component does the work for
// its type: one pure function of the archive's state, so every rule can be checked in a
// table. Formats whose writer or reader is not built yet are simply not in the tables.
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

// The writer that adds to and deletes from an archive of `type`; none when the type cannot
// be written (message 210).
std::optional<TComponentKind> WriterForType(qel::TArcType type);

bool IsWritableType(qel::TArcType type);     // has a writer; cabinets take no Add or Delete
bool IsExtractableType(qel::TArcType type);  // has a reader
bool IsTestableType(qel::TArcType type);
bool IsSelfExtractorType(qel::TArcType type);
bool IsCommentType(qel::TArcType type);

struct TCommandAvailability {
  bool ActionsMenu = false;
  std::map<QString, bool> Enabled;  // by action name, the archive's own commands
};
TCommandAvailability CommandAvailability(const TArchiveState& state);

}  // namespace vk::app
