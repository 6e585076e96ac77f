#pragma once

#include "cli/CommandLine.h"

namespace vk::cli {

// "sfx": a self-extractor made of an archive.
Command SfxCommand();
// "unsfx": the archive taken out of a self-extractor.
Command UnsfxCommand();

}  // namespace vk::cli
