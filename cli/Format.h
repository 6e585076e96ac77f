// Text forms shared by the commands' output.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/Types.h"

namespace vk::cli {

// 1234567 -> "1,234,567".
std::string WithThousands(int64_t value);
// "YYYY-MM-DD HH:MM:SS", or without the seconds.
std::string FormatDateTime(qel::TDateTime t, bool seconds = true);
// 8 upper-case hex digits.
std::string HexCrc(uint32_t crc);

}  // namespace vk::cli
