// The one list of format families. A format joins it here, with its descriptor from its
// own folder; a planned family gives up its place in formats/planned when it does.
#include <vector>

#include "engine/registry/Formats.h"
#include "formats/ace/AceFormat.h"
#include "formats/arc/ArcFormat.h"
#include "formats/arj/ArjFormat.h"
#include "formats/bh/BhFormat.h"
#include "formats/cab/CabFormat.h"
#include "formats/ha/HaFormat.h"
#include "formats/lha/LhaFormat.h"
#include "formats/packed/PackedFormats.h"
#include "formats/planned/Planned.h"
#include "formats/rar/RarFormat.h"
#include "formats/tar/TarFormat.h"
#include "formats/uue/UuFormat.h"
#include "formats/zip/ZipFormat.h"
#include "formats/zoo/ZooFormat.h"

namespace qel {

std::span<const TFormatDescriptor* const> RegisteredFormats() {
  static const std::vector<const TFormatDescriptor*> kFormats = [] {
    std::vector<const TFormatDescriptor*> all = {
        &ZipFormat(), &JarFormat(), &LhaFormat(), &GZipFormat(), &BZip2Format(),
        &TarFormat(), &CabFormat(), &ArjFormat(), &ArcFormat(),  &ZooFormat(),
        &HaFormat(),  &BhFormat(),  &UuFormat(),  &RarFormat(),  &AceFormat()};
    for (const TFormatDescriptor* f : PlannedFormats()) all.push_back(f);
    return all;
  }();
  return kFormats;
}

}  // namespace qel
