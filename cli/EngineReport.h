// Turns a component's error events into lines on standard error, with the engine's own
// message texts.
#pragma once

#include <iosfwd>

#include "engine/base/ZipCommon.h"

namespace vk::cli {

class EngineReport {
 public:
  explicit EngineReport(std::ostream& err) : err_(err) {}
  void Attach(qel::TZipCommon& component);
  int Errors() const { return errors_; }
  // Whether the archive itself could not be opened.
  bool OpenFailed() const { return openFailed_; }

 private:
  std::ostream& err_;
  int errors_ = 0;
  bool openFailed_ = false;
};

}  // namespace vk::cli
