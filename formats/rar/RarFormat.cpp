#include "formats/rar/RarFormat.h"

#include "engine/base/Messages.h"
#include "formats/rar/ListBranch.h"
#include "formats/rar/UnRar.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnRar>(); }

// Read only: listed, extracted, tested, and converted to a format that is written.
constexpr TTypeRow kTypes[] = {{atRar, capTest | capSfx}, {atRarExe, capTest}};

constexpr TFormatDescriptor kRar{"rar", kTypes, &MakeReader, &ListRar, msg::RarLibraryNotFound};

}  // namespace

const TFormatDescriptor& RarFormat() { return kRar; }

}  // namespace qel
