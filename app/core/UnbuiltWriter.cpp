#include "app/core/UnbuiltWriter.h"

#include <algorithm>

#include "engine/base/Messages.h"

namespace vk::app {

TUnbuiltWriter::TUnbuiltWriter(TComponentKind kind)
    : qel::TCompBase(ComponentType(kind).Extension), kind_(kind) {
  InitCompressMethod(InitialMethod(kind));
}

bool TUnbuiltWriter::AcceptsMethod(qel::TCompressMethod method) const {
  const auto methods = WriterMethods(kind_);
  return std::find(methods.begin(), methods.end(), method) != methods.end();
}

bool TUnbuiltWriter::ReadDirectory(qel::TStream64&, qel::TCompList&) { Refuse(); }

void TUnbuiltWriter::WriteEntries(qel::TStream64*, qel::TStream64&, qel::TCompList&) { Refuse(); }

void TUnbuiltWriter::WriteDirectory(qel::TStream64&, const qel::TCompList&) { Refuse(); }

void TUnbuiltWriter::Refuse() {
  ReportAndRaise(ArchiveFile(), qel::msg::UnsupportedArchiveType, "", "");
}

}  // namespace vk::app
