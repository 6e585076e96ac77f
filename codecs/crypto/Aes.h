// AES block encryption (FIPS-197) with 128, 192 and 256-bit keys. Only the forward
// direction is here: the archive formats use AES in counter mode, which never decrypts a
// block.
//
// Side channels: the rounds are table-driven, so the memory addresses touched depend on key
// and data, and an attacker who shares the processor's caches could in principle time them.
// Archive encryption protects data at rest, where no such observer exists, so the simpler
// and portable table form is used rather than a bitsliced or hardware one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qel::crypto {

inline constexpr size_t kAesBlockSize = 16;

// The expanded key: 4 x (rounds + 1) words, columns packed big-endian.
struct TAesKey {
  uint32_t RoundKeys[60] = {};
  int Rounds = 0;  // 10, 12 or 14
};

// Expands a 16, 24 or 32-byte key; false (and the key left unusable) for any other length.
bool AesSetKey(TAesKey& key, const uint8_t* bytes, size_t size);

// Encrypts one 16-byte block; `in` and `out` may be the same buffer.
void AesEncryptBlock(const TAesKey& key, const uint8_t* in, uint8_t* out);

}  // namespace qel::crypto
