#include "formats/uue/UuFormat.h"

#include "formats/uue/ListBranch.h"
#include "formats/uue/UnUu.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUUDecode>(); }

// Decoded, tested and converted to a format that is written.
constexpr TTypeRow kTypes[] = {{atUUE, capTest}, {atB64, capTest}};

constexpr TFormatDescriptor kUu{"uue", kTypes, &MakeReader, &ListUu};

}  // namespace

const TFormatDescriptor& UuFormat() { return kUu; }

}  // namespace qel
