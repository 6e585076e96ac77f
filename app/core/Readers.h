// Opening an archive with the engine's reader for its type: one way for every command that
// extracts (the Extract command and dialog, opening an entry, dragging entries out).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/base/ArcType.h"

namespace qel {
class TDecompressClass;
}

namespace vk::app {

// The reader for `type` over `archive`, set up by `prepare` (handlers, prompts) before it
// opens the file. None when no reader reads `type` or the archive cannot be opened (said
// through the reader's OnError).
std::unique_ptr<qel::TDecompressClass> OpenReader(
    qel::TArcType type, const std::string& archive,
    const std::function<void(qel::TDecompressClass& reader)>& prepare = {});

// Whether `reader` opened an archive that `listed`'s reader reads: the file may have changed
// since it was listed, and a reader never runs over a format that is not its own.
bool ReadsListedType(const qel::TDecompressClass& reader, qel::TArcType listed);

}  // namespace vk::app
