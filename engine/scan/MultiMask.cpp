#include "engine/scan/MultiMask.h"

#include <algorithm>

#include "engine/filters/Masks.h"

namespace qel {
namespace {

// `outer` covers `inner` when every name `inner` selects is selected by `outer`. Matching
// the text of `inner` as if it were a name proves that, unless a "?" of `outer` (exactly
// one character) could have been matched against a "*" of `inner` (any run).
bool Covers(const std::string& outer, const std::string& inner) {
  if (outer.find('?') != std::string::npos && inner.find('*') != std::string::npos) return false;
  return MatchesSpecFlat(inner, {outer}, {}, {});
}

}  // namespace

void TMultiMask::Add(const std::string& mask) {
  const std::string m = mask.empty() ? "*" : mask;
  if (std::any_of(FMasks.begin(), FMasks.end(), [&](const auto& kept) { return Covers(kept, m); }))
    return;
  std::erase_if(FMasks, [&](const std::string& kept) { return Covers(m, kept); });
  FMasks.push_back(m);
}

bool TMultiMask::Matches(const std::string& fileName) const {
  return !FMasks.empty() && MatchesSpecFlat(fileName, FMasks, {}, {});
}

}  // namespace qel
