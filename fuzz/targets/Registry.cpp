#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

std::span<const FuzzTarget> FuzzTargets() {
  static constexpr FuzzTarget kTargets[] = {
      {"detection", FuzzDetection},
      {"ziplister", FuzzZipLister},
  };
  return kTargets;
}

}  // namespace vk::fuzz
