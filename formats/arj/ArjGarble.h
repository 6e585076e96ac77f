// ARJ's garbling: every data byte is XOR-ed with the next byte of the key (the password with
// the header's modifier added to each byte), cycling through the key from its start for
// each piece of data.
#pragma once

#include <string>

#include "engine/streams/DataDecipher.h"

namespace qel::arj {

class TArjGarble : public IDataDecipher {
 public:
  void Start(const std::string& password, uint8_t modifier) {
    key_ = password;
    for (char& c : key_) c = char(uint8_t(c) + modifier);
    at_ = 0;
  }
  void Decipher(uint8_t* data, size_t size) override {
    if (key_.empty()) return;
    for (size_t i = 0; i < size; ++i) {
      data[i] ^= uint8_t(key_[at_]);
      if (++at_ == key_.size()) at_ = 0;
    }
  }

 private:
  std::string key_;
  size_t at_ = 0;
};

}  // namespace qel::arj
