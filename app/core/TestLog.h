// TTestLog: the lines of the archive test window, fed with the tester's events. The header
// lines show at once; the per-entry lines are kept and shown together with the summary
// when the test ends.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "engine/base/HeaderType.h"

namespace vk::app {

// The list's small pictures; lines with Failed are drawn red, Summary blue.
enum class TTestImage : int8_t { None = -1, Archive = 0, Passed = 1, Failed = 2, Summary = 3 };

struct TItemInfo {
  QString Text;
  TTestImage Image = TTestImage::None;
  QString Status;  // "OK", "Failed" or empty
};

class TTestLog {
 public:
  // A new test of `archive`: the counts start again; answers the two header lines.
  std::vector<TItemInfo> Start(const QString& archive);
  // An entry's verdict; folder entries are neither listed nor counted.
  void EntryTested(const QString& name, bool passed);
  // The tester reports that it was cancelled (noted once, however often it says so).
  void Cancelled();
  // The ZIP tester found the archive's headers damaged (`archiveSize` bytes long); a file
  // under 100 bytes is not worth a note.
  void CorruptHeader(qel::THeaderTypeState flags, int64_t archiveSize);
  // The kept lines, a rule and the summary; the kept lines are handed over.
  std::vector<TItemInfo> Finish();

  int OkCount() const { return ok_; }
  int FailedCount() const { return failed_; }

 private:
  void Rule();

  std::vector<TItemInfo> lines_;
  int ok_ = 0;
  int failed_ = 0;
  bool aborted_ = false;
};

}  // namespace vk::app
