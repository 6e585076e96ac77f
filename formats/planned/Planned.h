// The families the add dialogs offer and the command rules name before their code is
// written: their types and what each will allow, with no reader, writer or lister branch
// yet. A family leaves this list for a folder of its own when its code lands.
#pragma once

#include <span>

#include "engine/registry/FormatDescriptor.h"

namespace qel {

std::span<const TFormatDescriptor* const> PlannedFormats();

}  // namespace qel
