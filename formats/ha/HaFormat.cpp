#include "formats/ha/HaFormat.h"

#include "formats/ha/ListBranch.h"
#include "formats/ha/UnHa.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnHa>(); }

constexpr TTypeRow kTypes[] = {{atHA, capTest}};

constexpr TFormatDescriptor kHa{"ha", kTypes, &MakeReader, &ListHa};

}  // namespace

const TFormatDescriptor& HaFormat() { return kHa; }

}  // namespace qel
