// Text forms shared by the commands' output.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/Types.h"

namespace vk::cli {

// "YYYY-MM-DD HH:MM:SS", or without the seconds.
std::string FormatDateTime(qel::TDateTime t, bool seconds = true);
// 8 upper-case hex digits.
std::string HexCrc(uint32_t crc);
// A field of a tab-separated line: tabs, line breaks and backslashes written as "\t",
// "\n", "\r" and "\\", every other control byte (NUL included) as "\xHH", so that every
// entry stays one line of eight fields that a terminal shows as it is.
std::string EscapeField(const std::string& text);

}  // namespace vk::cli
