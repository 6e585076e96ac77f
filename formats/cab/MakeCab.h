// TMakeCab: writes a new cabinet from the files the pipeline selects, always whole. The
// compressed data is gathered in a scratch file while the records are kept in memory, since
// a cabinet's records stand before its data.
#pragma once

#include <memory>

#include "formats/cab/CabInterface.h"

namespace qel {

namespace cab {
class TCabinetWriter;
}

class TMakeCab : public TCabInterface {
 public:
  TMakeCab();
  ~TMakeCab() override;

 protected:
  bool ReadDirectory(TStream64& archive, TCompList& list) override;
  void WriteEntries(TStream64* archive, TStream64& out, TCompList& list) override;
  void WriteDirectory(TStream64& out, const TCompList& list) override;
  bool AcceptsMethod(TCompressMethod method) const override;

 private:
  bool AddFile(TCompEntry& e, int index, const TCompList& list);
  void Release();
  // Reports why the cabinet could not be written (`error` is the errno of the failure) and
  // raises.
  [[noreturn]] void WriteFailed(int error);

  std::unique_ptr<TStream64> FSpool;
  std::unique_ptr<cab::TCabinetWriter> FWriter;
};

}  // namespace qel
