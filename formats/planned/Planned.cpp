#include "formats/planned/Planned.h"

#include "engine/base/Messages.h"

namespace qel {
namespace {

constexpr TTypeRow kSevenZipTypes[] = {{at7Zip, capTest | capPassword}};

// 7z archives are listed and tested through an outside library.
constexpr TFormatDescriptor kSevenZip{"7z", kSevenZipTypes, nullptr, nullptr,
                                      msg::SevenZipLibraryNotFound};

constexpr const TFormatDescriptor* kPlanned[] = {&kSevenZip};

}  // namespace

std::span<const TFormatDescriptor* const> PlannedFormats() { return kPlanned; }

}  // namespace qel
