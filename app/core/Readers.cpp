#include "app/core/Readers.h"

#include "engine/base/Errors.h"
#include "engine/extract/DecompressClass.h"
#include "engine/registry/Formats.h"

namespace vk::app {

std::unique_ptr<qel::TDecompressClass> OpenReader(
    qel::TArcType type, const std::string& archive,
    const std::function<void(qel::TDecompressClass& reader)>& prepare) {
  const qel::TMakeReader make = qel::ReaderFor(type);
  if (!make) return nullptr;
  std::unique_ptr<qel::TDecompressClass> reader = make();
  if (prepare) prepare(*reader);
  try {
    reader->SetArchiveFile(archive);
  } catch (const qel::E_RAISE&) {
    return nullptr;
  }
  return reader;
}

bool ReadsListedType(const qel::TDecompressClass& reader, qel::TArcType listed) {
  return !reader.ArchiveFile().empty() &&
         qel::ReaderFor(reader.ArcType()) == qel::ReaderFor(listed);
}

}  // namespace vk::app
