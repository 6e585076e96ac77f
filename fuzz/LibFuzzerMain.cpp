// The libFuzzer entry point of one target; VK_FUZZ_ENTRY names its function.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return vk::fuzz::VK_FUZZ_ENTRY(data, size);
}
