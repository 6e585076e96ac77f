// Writing the volumes of a split set: bytes go into the current volume until it holds the
// part size, then on into the next. A volume is written under a temporary name and takes
// its own (name.z01, name.z02, ...) once full; the last takes the set's name when the set
// is finished. So the count need not be known ahead, no volume is ever written over an
// earlier one, and a set that fails half-way leaves nothing behind.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qel {

class TZipCommon;

class TSplitVolumes {
 public:
  // Errors are reported through `owner` and raised. `approve` is asked before a volume takes
  // its name (true when nothing is there or it may be replaced); false cancels the split.
  TSplitVolumes(TZipCommon& owner, std::string setName, int64_t partSize,
                std::function<bool(const std::string& name)> approve);
  // Removes every volume written unless the set was finished.
  ~TSplitVolumes();

  int Volume() const { return volume_; }  // from 1
  int64_t Position() const { return position_; }
  int64_t PartSize() const { return partSize_; }
  int64_t Room() const { return partSize_ > position_ ? partSize_ - position_ : 0; }
  // Whether the volume holds nothing yet (not even the set's first four bytes).
  bool Fresh() const { return position_ == 0; }

  // Closes the current volume under its number's name and starts the next.
  void NextVolume();
  // Writes whole: the bytes stay together in the current volume.
  void WriteWhole(const uint8_t* data, int64_t size);
  // Copies `size` bytes at `inPos` of `inFd` across volumes, starting a new one whenever the
  // current is full.
  void Copy(int inFd, int64_t inPos, int64_t size);
  // The current volume takes the set's name; answers the number of volumes.
  int Finish();

  std::function<void(int volume, const std::string& name)> OnNewVolume;

 private:
  void Open();
  void CloseAs(const std::string& name);
  [[noreturn]] void Fail(int code, const std::string& name);

  TZipCommon& owner_;
  std::string setName_;
  int64_t partSize_;
  std::function<bool(const std::string&)> approve_;
  int volume_ = 0;
  int64_t position_ = 0;
  int fd_ = -1;
  std::string tempName_;
  std::vector<std::string> written_;
  bool finished_ = false;
};

}  // namespace qel
