#include "app/core/QuietPrompter.h"

#include <iostream>

#include "app/core/PromptTexts.h"

namespace vk::app {

void TQuietPrompter::ShowNotice(TNotice notice, const std::string& detail) {
  const std::string text =
      notice == TNotice::DiskTooSmall ? DiskTooSmallText().toStdString() : detail;
  std::cerr << "vorelkit: " << text << std::endl;
}

}  // namespace vk::app
