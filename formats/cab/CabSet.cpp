#include "formats/cab/CabSet.h"

#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"

namespace qel::cab {

namespace fs = std::filesystem;

namespace {

std::string Identity(const WideString& path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

}  // namespace

bool ReadCabinetAt(const WideString& path, int64_t base, TCabHeader& h) {
  const std::unique_ptr<TFileStream32> file = TFileStream32::Open(path, fmOpenRead);
  return file && ReadCabHeader(file->ExactReader(), file->Size(), base, h);
}

TCabSet::TCabSet(TZipCommon& owner, TCabinetPart first)
    : owner_(owner), current_(std::move(first)) {
  visited_.insert(Identity(current_.Path));
}

bool TCabSet::Next() {
  const TCabHeader& h = current_.Header;
  if (!(h.Flags & kHasNext) || h.NextName.empty()) return false;
  // The recorded name may carry a folder of the machine that made the set, in either
  // separator: only its file part is looked for, and only beside this cabinet.
  std::string file = h.NextName;
  if (const size_t cut = file.find_last_of("/\\"); cut != std::string::npos) file.erase(0, cut + 1);
  if (file.empty() || file == "." || file == "..") {
    owner_.DoError(current_.Path, h.NextName, msg::InvalidFileName, "");
    return false;
  }
  WideString path = (fs::path(current_.Path).parent_path() / file).string();
  if (!owner_.RequestNextVolume(path, int(h.Index) + 1)) return false;
  TCabinetPart next{path, 0, {}};
  if (!ReadCabinetAt(path, 0, next.Header)) {
    owner_.DoError(path, h.NextDisk, msg::BadFileHeader, "");
    return false;
  }
  if (next.Header.SetId != h.SetId || next.Header.Index != h.Index + 1 ||
      !visited_.insert(Identity(path)).second) {
    owner_.DoError(path, "", msg::CabinetNotInSet, "");
    return false;
  }
  current_ = std::move(next);
  return true;
}

}  // namespace qel::cab
