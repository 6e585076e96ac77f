// The checksums live with the codecs (codecs/checksum/Crc.h), which take them of the data they
// code; this name is kept for the test support code that still includes it.
#pragma once

#include "codecs/checksum/Crc.h"
