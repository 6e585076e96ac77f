#include "formats/lha/MacBinary.h"

namespace qel::lha {
namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

std::optional<uint64_t> MacBinaryDataFork(std::span<const uint8_t, kMacBinaryHeader> head,
                                          uint64_t total, std::string_view name) {
  // The version byte and two fields that are always zero, then the name in its Pascal form.
  if (head[0] != 0 || head[74] != 0 || head[82] != 0) return std::nullopt;
  const size_t nameLength = head[1];
  if (nameLength == 0 || nameLength > 63 || nameLength != name.size()) return std::nullopt;
  if (name != std::string_view(reinterpret_cast<const char*>(&head[2]), nameLength))
    return std::nullopt;
  const uint64_t data = BigEndian32(&head[83]), resource = BigEndian32(&head[87]);
  // The data fork, padded to a whole 128 bytes, must end the entry.
  const uint64_t padded = (data + kMacBinaryHeader - 1) / kMacBinaryHeader * kMacBinaryHeader;
  if (resource != 0 || kMacBinaryHeader + data > total || kMacBinaryHeader + padded < total)
    return std::nullopt;
  return data;
}

}  // namespace qel::lha
