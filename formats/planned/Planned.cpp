#include "formats/planned/Planned.h"

#include "engine/base/Messages.h"

namespace qel {
namespace {

using enum TCompressMethod;

template <TCompressMethod... M>
constexpr TCompressMethod kMethods[] = {M...};

constexpr TConversionRow kBhConversion{1, "BlackHole (.bh)", ".bh", cmDeflate};

constexpr TFormatWriter kBhWriter{nullptr, kMethods<cmStore, cmDeflate, cmFuse, cmBz2>, cmDeflate,
                                  ".bh", &kBhConversion};

constexpr TTypeRow kBhTypes[] = {{atBh, capUpdate | capSfx | capPassword, &kBhWriter}};
constexpr TTypeRow kAceTypes[] = {{atAce, capSfx}};
constexpr TTypeRow kRarTypes[] = {{atRar, capSfx}};
constexpr TTypeRow kSevenZipTypes[] = {{at7Zip, capTest | capPassword}};

constexpr TFormatDescriptor kBh{"bh", kBhTypes};
constexpr TFormatDescriptor kAce{"ace", kAceTypes};
constexpr TFormatDescriptor kRar{"rar", kRarTypes};
// 7z archives are listed and tested through an outside library.
constexpr TFormatDescriptor kSevenZip{"7z", kSevenZipTypes, nullptr, nullptr,
                                      msg::SevenZipLibraryNotFound};

constexpr const TFormatDescriptor* kPlanned[] = {&kBh, &kAce, &kRar, &kSevenZip};

}  // namespace

std::span<const TFormatDescriptor* const> PlannedFormats() { return kPlanned; }

}  // namespace qel
