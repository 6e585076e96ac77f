// The short names of compression methods shown in the method column.
#pragma once

#include <cstdint>
#include <string>

#include "engine/base/ArcType.h"

namespace qel {

struct TMethodContext {
  bool IsDirectory = false;
  int AesActualMethod = -1;  // ZIP method 99: the method recorded in the AES extra field
  uint8_t GZipMagic = 0;     // GZIP family: the second byte of the file's magic
};

// "Unsupported" when no rule applies.
std::string MethodName(TArcType type, int method, uint16_t flags, const TMethodContext& ctx = {});

}  // namespace qel
