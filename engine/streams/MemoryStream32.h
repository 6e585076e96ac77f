// A growable stream in memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/streams/Stream.h"

namespace qel {

class TMemoryStream32 : public TStream64 {
 public:
  TMemoryStream32() = default;
  // A stream over `data`, positioned at its start.
  explicit TMemoryStream32(std::vector<uint8_t> data) : data_(std::move(data)) {}

  int64_t Read(void* buffer, int64_t count) override;
  // Writing past the end fills the gap with zeros; answers 0 when memory runs out.
  int64_t Write(const void* buffer, int64_t count) override;
  // The position may lie past the end, as in a file.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return int64_t(data_.size()); }
  // Keeps the position, even when it now lies past the end.
  bool SetSize(int64_t size) override;

  // Empties the stream and rewinds it.
  virtual void Clear();

  uint8_t* Data() { return data_.data(); }
  const uint8_t* Data() const { return data_.data(); }

 private:
  std::vector<uint8_t> data_;
  int64_t position_ = 0;
};

}  // namespace qel
