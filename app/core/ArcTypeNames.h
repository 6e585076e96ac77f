// The names the window shows for the kinds of archive the engine detects.
#pragma once

#include <QString>

#include "engine/base/ArcType.h"

namespace vk::app {

// "ZIP archive", "TAR archive", ...; empty for the not-an-archive kinds.
QString ArcTypeDisplayName(qel::TArcType type);

}  // namespace vk::app
