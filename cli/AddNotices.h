// What `add` left out without being asked to, and the names it stored with a warning: one
// line per kind with its count on standard error, and with -v the names themselves.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/compress/CompressClass.h"

namespace vk::cli {

class AddNotices {
 public:
  void Attach(qel::TCompressClass& writer);
  void Print(std::ostream& err, bool verbose) const;
  // Whether a name given found no file: the command then ends with a warning.
  bool Unmatched() const { return !names_[size_t(qel::TScanNotice::snNoMatch)].empty(); }

 private:
  std::array<std::vector<std::string>, qel::kScanNoticeCount> names_;
};

}  // namespace vk::cli
