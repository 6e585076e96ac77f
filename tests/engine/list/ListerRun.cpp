#include "tests/engine/list/ListerRun.h"

#include <algorithm>

namespace qel::test {

std::vector<std::string> TListed::Names() const {
  std::vector<std::string> names;
  for (const TEntryRecord& e : entries) names.push_back(e.FileName);
  return names;
}

bool TListed::HasError(int code) const {
  return std::find(errors.begin(), errors.end(), code) != errors.end();
}

TListed ListArchive(const std::string& path, bool walkDamaged,
                    const std::function<void(TQuell&)>& configure) {
  TListed r;
  TQuell q;
  q.ShowEmptyDirs = true;
  q.OnRead = [&](TZipCommon&, int64_t offset, int) {
    r.entries.push_back(q.Entry());
    r.offsets.push_back(offset);
  };
  q.OnError = [&](TZipCommon&, const WideString&, const WideString&, const WideString&, int code) {
    r.errors.push_back(code);
  };
  q.OnTotals = [&](TZipCommon&, int64_t unpacked, int64_t packed, int ratio, int files) {
    r.totals = TListedTotals{unpacked, packed, ratio, files};
  };
  if (walkDamaged)
    q.OnCorruptZipHeader = [](TZipCommon&, THeaderTypeState, bool& cancel) { cancel = false; };
  if (configure) configure(q);
  try {
    q.SetArchiveFile(path);
    r.ran = q.Activate();
  } catch (const E_RAISE& e) {
    r.raised = e.ECode;
  }
  return r;
}

}  // namespace qel::test
