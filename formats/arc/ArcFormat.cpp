#include "formats/arc/ArcFormat.h"

#include "formats/arc/ListBranch.h"
#include "formats/arc/UnArc.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnArc>(); }

constexpr TTypeRow kTypes[] = {
    {atArc, capTest}, {atArcExe, capTest}, {atPak, capTest}, {atPakExe, capTest}};

constexpr TFormatDescriptor kArc{"arc", kTypes, &MakeReader, &ListArc};

}  // namespace

const TFormatDescriptor& ArcFormat() { return kArc; }

}  // namespace qel
