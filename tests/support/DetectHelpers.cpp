#include "tests/support/DetectHelpers.h"

#include "engine/base/ZipCommon.h"
#include "engine/detect/Detection.h"
#include "engine/streams/MemoryStream32.h"

namespace qel::test {

TDetected DetectBytes(std::span<const uint8_t> bytes, const std::string& fileName,
                      platform::IDriveProbe* drives) {
  TMemoryStream32 stream;
  stream.WriteFully(bytes.data(), int64_t(bytes.size()));
  TDetectInput input;
  input.FileName = fileName;
  input.Drives = drives;
  TDetectResult result;
  TDetected d;
  d.Type = DetectArcType(stream, input, result);
  d.HeaderOffset = result.HeaderOffset;
  d.OffsetAdjust = result.OffsetAdjust;
  d.HeadFlag = result.HeadFlag.Bits();
  d.ArchiveSize = result.ArchiveSize;
  return d;
}

TDetected DetectFile(const std::string& path, platform::IDriveProbe* drives) {
  TZipCommon component;
  if (drives) component.Drives = drives;
  component.SetArchiveFile(path);
  TDetected d;
  d.Type = component.ArcType();
  d.HeaderOffset = component.HeaderOffset();
  d.OffsetAdjust = component.OffsetAdjust();
  d.HeadFlag = component.HeadFlag().Bits();
  d.ArchiveSize = component.ArchiveSize();
  return d;
}

}  // namespace qel::test
