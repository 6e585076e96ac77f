// The code pages the engine carries itself, so that the default OEM and ANSI pair converts
// the same way on every system, whatever converters the C library offers.
#pragma once

namespace qel::text {

// The characters of bytes 0x80..0xFF of `codePage` (the lower half is ASCII), or nullptr
// when that code page is not built in.
const char16_t* BuiltinUpperHalf(int codePage);

}  // namespace qel::text
