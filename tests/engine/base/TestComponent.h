// A bare component for testing the common base: it opens the protected operation frame
// and records what the base reports.
#pragma once

#include <string>
#include <vector>

#include "engine/base/ZipCommon.h"

namespace qel::test {

struct ReportedError {
  std::string FileName;
  std::string ExtendedMsg;
  std::string VolumeID;
  int ECode = 0;
};

class TestComponent : public TZipCommon {
 public:
  using TZipCommon::RunOperation;

  TestComponent() {
    OnError = [this](TZipCommon&, const WideString& fileName, const WideString& extendedMsg,
                     const WideString& volumeID, int code) {
      Errors.push_back({fileName, extendedMsg, volumeID, code});
    };
  }

  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const ReportedError& e : Errors) codes.push_back(e.ECode);
    return codes;
  }

  std::vector<ReportedError> Errors;
  int Restores = 0;

 protected:
  void RestoreSavedEndPosition() override { ++Restores; }
};

}  // namespace qel::test
