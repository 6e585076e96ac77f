// The libFuzzer entry point of one target; VK_FUZZ_ENTRY names its function.
#include "fuzz/FuzzTargets.h"

// libarchive asks malloc for absurd sizes on some damaged RAR headers and copes with the
// null it gets, as the release build shows; the sanitizer's allocator answers null too,
// instead of ending the run over what is no fault.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return vk::fuzz::VK_FUZZ_ENTRY(data, size);
}
