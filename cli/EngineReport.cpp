#include "cli/EngineReport.h"

#include <ostream>

#include "engine/base/Messages.h"

namespace vk::cli {

void EngineReport::Attach(qel::TZipCommon& component) {
  component.OnError = [this](qel::TZipCommon&, const std::string& fileName,
                             const std::string& extendedMsg, const std::string&, int code) {
    ++errors_;
    if (code == qel::msg::ErrorOpeningFile) openFailed_ = true;
    err_ << "vorelkit-cli: ";
    if (!fileName.empty()) err_ << fileName << ": ";
    std::string_view text = qel::MessageText(code);
    err_ << (text.empty() ? "error " + std::to_string(code) : std::string(text));
    if (!extendedMsg.empty()) err_ << " (" << extendedMsg << ")";
    err_ << "\n";
  };
}

}  // namespace vk::cli
