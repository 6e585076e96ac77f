#include "engine/base/ArchiveDetection.h"

#include <memory>
#include <optional>

#include "engine/base/Errors.h"
#include "engine/base/FileSystem.h"
#include "engine/base/ZipCommon.h"
#include "engine/detect/Detection.h"
#include "engine/streams/FileStream32.h"

namespace qel {

TArcType DetectArchiveStream(const TZipCommon& component, TStream64& stream,
                             TDetectResult& result) {
  // Detection reads ahead of the operation; its reads must not move the progress bar.
  std::optional<TProgressSuspend> quiet;
  if (auto* handle = dynamic_cast<THandleStream32*>(&stream)) quiet.emplace(handle->Progress);
  const TDetectInput input{component.ArchiveFile(), component.Drives, &component.SeedHeaderKeys};
  return DetectArcType(stream, input, result);
}

TDetection DetectArchiveFile(const TZipCommon& component) {
  TDetection found;
  std::unique_ptr<TFileStream32> file = TFileStream32::Open(component.ArchiveFile(), fmOpenRead);
  if (!file) return found;
  found.Opened = true;
  found.Type = DetectArchiveStream(component, *file, found.Result);
  found.CreationTime = FileCreationTime(file->Handle());
  return found;
}

TArcType DetectedArcType(const std::string& path) {
  TZipCommon probe;
  try {
    probe.SetArchiveFile(path);
  } catch (const E_RAISE&) {
  }
  return probe.ArcType();
}

}  // namespace qel
