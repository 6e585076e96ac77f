#include "formats/cab/CabFormat.h"

#include "formats/cab/ListBranch.h"
#include "formats/cab/MakeCab.h"
#include "formats/cab/UnCab.h"

namespace qel {
namespace {

using enum TCompressMethod;

std::unique_ptr<TCompBase> MakeWriter() { return std::make_unique<TMakeCab>(); }
std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnCab>(); }

constexpr TCompressMethod kMethods[] = {cmStore, cmMsZip, cmLzx, cmQuantum};
constexpr TConversionRow kConversion{4, "Cabinet (.cab)", ".cab", cmQuantum};
constexpr TFormatWriter kWriter{&MakeWriter, kMethods, cmMsZip, ".cab", &kConversion};

// A cabinet is written whole: nothing is added to or deleted from one.
constexpr TTypeRow kTypes[] = {{atCab, capTest, &kWriter}, {atCabExe, capTest}};

constexpr TFormatDescriptor kCab{"cab", kTypes, &MakeReader, &ListCab};

}  // namespace

const TFormatDescriptor& CabFormat() { return kCab; }

}  // namespace qel
