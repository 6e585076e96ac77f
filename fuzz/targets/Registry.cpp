#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

std::span<const FuzzTarget> FuzzTargets() {
  static constexpr FuzzTarget kTargets[] = {
      {"detection", FuzzDetection},
  };
  return kTargets;
}

}  // namespace vk::fuzz
