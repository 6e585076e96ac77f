#include "formats/ace/AceFormat.h"

#include "engine/base/Messages.h"
#include "formats/ace/ListBranch.h"
#include "formats/ace/UnAce.h"

namespace qel {
namespace {

std::unique_ptr<TDecompressClass> MakeReader() { return std::make_unique<TUnACE>(); }

constexpr TTypeRow kTypes[] = {{atAce, capTest | capSfx}, {atAceExe, capTest}};

constexpr TFormatDescriptor kAce{"ace", kTypes, &MakeReader, &ListAce, msg::AceLibraryNotLoaded};

}  // namespace

const TFormatDescriptor& AceFormat() { return kAce; }

}  // namespace qel
