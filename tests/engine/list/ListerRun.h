// One run of the lister over a file, with everything it reported kept for the checks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/list/Quell.h"

namespace qel::test {

struct TListedTotals {
  int64_t unpacked = 0;
  int64_t packed = 0;
  int ratio = 0;
  int files = 0;
};

struct TListed {
  bool ran = false;                   // what Activate answered
  std::optional<int> raised;          // the code of an E_RAISE out of SetArchiveFile/Activate
  std::vector<TEntryRecord> entries;  // one per OnRead, in order
  std::vector<int64_t> offsets;       // the Offset of each OnRead
  std::vector<int> errors;            // every OnError code, in order
  std::optional<TListedTotals> totals;

  std::vector<std::string> Names() const;
  bool HasError(int code) const;
};

// Lists `path` with folders shown. `configure` runs after the recording handlers are set and
// before the archive is assigned, so it may change properties and replace handlers; with
// `walkDamaged` the lister is told to walk the local headers of an archive whose directory
// is missing or damaged.
TListed ListArchive(const std::string& path, bool walkDamaged = false,
                    const std::function<void(TQuell&)>& configure = {});

}  // namespace qel::test
