// Archive-type detection and the ZIP central-directory search over arbitrary bytes.
#include "engine/base/ArcType.h"
#include "engine/detect/Detection.h"
#include "engine/detect/MethodName.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/zip/CentralDir.h"
#include "fuzz/FuzzTargets.h"

namespace vk::fuzz {

int FuzzDetection(const uint8_t* data, size_t size) {
  qel::TMemoryStream32 stream;
  stream.Write(data, int64_t(size));
  stream.SetPosition(0);

  qel::TDetectInput input;
  input.FileName = "fuzz.zip";
  qel::TDetectResult result;
  qel::TArcType type = qel::DetectArcType(stream, input, result);
  if (size >= 3) qel::MethodName(type, data[0], uint16_t(data[1] | data[2] << 8));

  // Enciphered records, with a cipher that only flips bits, so that their paths run too.
  qel::zip::TCentralDirLocation where;
  qel::zip::FindCentralDir(stream, stream.Size(), where, [](uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) p[i] ^= 0x5A;
    return true;
  });
  return 0;
}

}  // namespace vk::fuzz
