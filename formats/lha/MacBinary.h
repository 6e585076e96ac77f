// MacLHA stores a Macintosh file in MacBinary form: a 128-byte header naming the file and the
// lengths of its two forks, the data fork, padding to 128 bytes, the resource fork. What a
// Linux user wants of it is the data fork, which is all there is when the resource fork is
// empty.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace qel::lha {

inline constexpr size_t kMacBinaryHeader = 128;

// The data fork's length when `head`, the first 128 bytes of an entry of `total` bytes named
// `name` (its file part), is a MacBinary header with an empty resource fork.
std::optional<uint64_t> MacBinaryDataFork(std::span<const uint8_t, kMacBinaryHeader> head,
                                          uint64_t total, std::string_view name);

}  // namespace qel::lha
