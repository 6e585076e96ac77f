// The default key seeds of the ZipCrypto stream cipher, one triple per use: the settings every
// component starts from, and may be given others.
#pragma once

#include "engine/base/Types.h"

namespace qel {

// Entry data: the cipher's standard initial keys, which every ZIP tool uses.
inline constexpr TSeedKeyRecord kDefaultDataKeys{0x12345678, 0x23456789, 0x34567890};
// Enciphered headers: the engine's own seed, keying the cipher directly (no password).
inline constexpr TSeedKeyRecord kDefaultHeaderKeys{0x5A17C3E9, 0x0E6B2D41, 0x73F0A95C};

}  // namespace qel
