// Walks a cabinet set from the cabinet opened on. Each next cabinet is looked for beside the
// current one under the file part of the name its header records, confirmed through the
// component's volume logic, and taken only when it carries the set's id and the next number
// and was not met before: a set whose cabinets name one another in a circle ends.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "engine/base/ZipCommon.h"
#include "formats/cab/CabHeader.h"

namespace qel::cab {

struct TCabinetPart {
  WideString Path;
  int64_t Base = 0;  // where the cabinet starts in its file (behind a program's stub)
  TCabHeader Header;
};

class TCabSet {
 public:
  TCabSet(TZipCommon& owner, TCabinetPart first);

  const TCabinetPart& Current() const { return current_; }
  // Moves on to the next cabinet; false at the set's end, or when the next one cannot be
  // found or does not belong (reported).
  bool Next();

 private:
  TZipCommon& owner_;
  TCabinetPart current_;
  std::set<std::string> visited_;
};

// Reads the header of the cabinet at `base` in the file at `path`; false when it is none.
bool ReadCabinetAt(const WideString& path, int64_t base, TCabHeader& h);

}  // namespace qel::cab
