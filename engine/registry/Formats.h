// The registered format families and the look-ups every consumer makes by archive type.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "engine/registry/FormatDescriptor.h"

namespace qel {

// Every family, in the order of formats/Registry.cpp.
std::span<const TFormatDescriptor* const> RegisteredFormats();

// The family covering `type`, and that type's row; null for a type no family covers.
const TFormatDescriptor* FormatOf(TArcType type);
const TTypeRow* TypeRowOf(TArcType type);
// The family users name so ("zip", any case); null for none.
const TFormatDescriptor* FormatNamed(std::string_view name);

// Whether archives of `type` allow every capability in `caps`.
bool Can(TArcType type, uint32_t caps);
// The factory of the reader of `type`; null when the engine reads no such archive. Two
// types of one family give the same factory.
TMakeReader ReaderFor(TArcType type);
// The writer that adds to and deletes from archives of `type`; null when the type takes no
// updates.
const TFormatWriter* UpdaterFor(TArcType type);
// The writer that makes new archives of `type`, whether or not it updates them; null when
// the type has none.
const TFormatWriter* WriterOf(TArcType type);
// The converter's targets: every writer with a conversion row, in the rows' order. A format
// joins the converter by giving its writer a row.
std::vector<const TFormatWriter*> ConversionTargets();

}  // namespace qel
