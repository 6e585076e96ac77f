#include "formats/arj/ArjFormat.h"

#include "formats/arj/ListBranch.h"
#include "formats/arj/UnArj.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnARJ>(); }

// Read only: archives are listed, extracted and tested, and converted to a format that is
// written.
constexpr TTypeRow kTypes[] = {{atArj, capTest | capSfx}, {atArjExe, capTest}};

constexpr TFormatDescriptor kArj{"arj", kTypes, &MakeReader, &ListArj};

}  // namespace

const TFormatDescriptor& ArjFormat() { return kArj; }

}  // namespace qel
