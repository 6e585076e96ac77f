// A writer for a format the engine cannot write yet. It holds what the add dialogs set (its
// methods are the format's own, so a dialog shows and keeps them as it will with the real
// writer) and refuses every operation with "unsupported archive type", leaving the archive
// as it was. The commands check ComponentType(kind).Available before running a writer, so
// this refusal is only the last guard.
#pragma once

#include "app/core/ComponentKinds.h"
#include "engine/compress/CompBase.h"

namespace vk::app {

class TUnbuiltWriter : public qel::TCompBase {
 public:
  explicit TUnbuiltWriter(TComponentKind kind);

 protected:
  bool AcceptsMethod(qel::TCompressMethod method) const override;
  bool ReadDirectory(qel::TStream64& archive, qel::TCompList& list) override;
  void WriteEntries(qel::TStream64* archive, qel::TStream64& out, qel::TCompList& list) override;
  void WriteDirectory(qel::TStream64& out, const qel::TCompList& list) override;

 private:
  [[noreturn]] void Refuse();
  TComponentKind kind_;
};

}  // namespace vk::app
