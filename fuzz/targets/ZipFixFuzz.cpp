// The ZIP repair over arbitrary bytes. Repairing its own output again must rescue every
// entry once more: the rescued entries lie back to back and each holds together as before.
#include <cstdlib>
#include <vector>

#include "engine/base/Errors.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/zip/ZipFix.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {
namespace {

// The entries a repair of `input` rescues, and its output in `output`.
int Rescued(std::vector<uint8_t> input, qel::TMemoryStream32& output) {
  qel::TMemoryStream32 damaged(std::move(input));
  qel::TZipFix fix;
  int rescued = 0;
  fix.OnFileFound = [&](qel::TZipFix&, const std::string&, bool ok) { rescued += ok; };
  fix.Repair(&damaged, &output);
  return rescued;
}

}  // namespace

int FuzzZipFix(const uint8_t* data, size_t size) {
  qel::TMemoryStream32 first, second;
  const int rescued = Rescued(std::vector<uint8_t>(data, data + size), first);
  const uint8_t* out = first.Data();
  if (Rescued(std::vector<uint8_t>(out, out + first.Size()), second) < rescued) std::abort();
  return 0;
}

}  // namespace vk::fuzz
