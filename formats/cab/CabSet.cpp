#include "formats/cab/CabSet.h"

#include <filesystem>

#include "engine/base/Messages.h"
#include "engine/streams/FileStream32.h"
#include "engine/text/Utf8.h"

namespace qel::cab {

namespace fs = std::filesystem;

namespace {

std::string Identity(const WideString& path) {
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(path, ec);
  return ec ? path : canonical.string();
}

// `name` in the folder of `cabinet`. Sets made elsewhere record names in any case: where no
// file has the name as it stands, the one file that has it in another case is taken.
WideString Beside(const WideString& cabinet, const std::string& name) {
  const fs::path folder = fs::path(cabinet).parent_path();
  const fs::path exact = folder / name;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact.string();
  const std::string wanted = text::AsciiLower(name);
  fs::path found;
  for (const fs::directory_entry& e :
       fs::directory_iterator(folder.empty() ? fs::path(".") : folder, ec)) {
    if (text::AsciiLower(e.path().filename().string()) != wanted) continue;
    if (!found.empty()) return exact.string();  // two candidates: neither is surely it
    found = folder / e.path().filename();
  }
  return found.empty() ? exact.string() : found.string();
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
  WideString path = Beside(current_.Path, file);
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
