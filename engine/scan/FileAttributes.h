// DOS attribute bits for the files the scanner finds, and the filter that decides which
// of them a writer takes.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string_view>

#include "engine/base/Types.h"

namespace qel {

namespace attr {
inline constexpr uint32_t ReadOnly = 0x01;
inline constexpr uint32_t Hidden = 0x02;
inline constexpr uint32_t System = 0x04;
inline constexpr uint32_t VolumeID = 0x08;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t ReparsePoint = 0x400;
inline constexpr uint32_t Compressed = 0x800;
inline constexpr uint32_t Encrypted = 0x4000;
}  // namespace attr

// The DOS bits of a file known by its lstat result and its name: directory, read-only when
// the owner may not write, hidden when the name starts with ".", archive for a regular
// file (as a new file gets it), reparse point for a symbolic link and system for FIFOs,
// sockets and devices. Compressed and encrypted have no counterpart here.
uint32_t DosAttributesOf(const struct stat& st, std::string_view name);

// Whether a file with the DOS bits `dosAttr` passes: one of its attributes is in
// `Attributes`, or it has none (the normal bit aside) and fsZeroAttr is in `Attributes`;
// and none of them is in `AttributesEx`.
bool PassesAttributeFilter(uint32_t dosAttr, const TqelFileAttributes& Attributes,
                           const TqelFileAttributes& AttributesEx);

}  // namespace qel
