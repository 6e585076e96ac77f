// The answers to the RAR library's callbacks for one operation. The library hands back
// the user data it was given, so the answers go to this object, not to a process-wide one.
// A volume change becomes the component's next-volume request; data and passwords are
// left to the reader, and cancel stops everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qel {

class TZipCommon;

namespace unrar {

class TRarCallbacks {
 public:
  // `askForVolumes` off: a volume that is there is taken, one that is not ends the walk,
  // and nobody is asked (a walk that only counts).
  explicit TRarCallbacks(TZipCommon& owner, bool askForVolumes = true)
      : owner_(owner), askForVolumes_(askForVolumes) {}
  virtual ~TRarCallbacks() = default;

  // What RARSetCallback is given: this function, with the object as its user data.
  static int Entry(unsigned msg, intptr_t userData, intptr_t p1, intptr_t p2);

  // A volume was asked for and not given: the request said why already.
  bool VolumeRefused() const { return volumeRefused_; }

 protected:
  // Decoded data of the entry being tested; false stops.
  virtual bool Data(const uint8_t* data, size_t size);
  // A password for the entry being processed; false when there is none.
  virtual bool Password(std::string& password);

  TZipCommon& owner_;

 private:
  int Answer(unsigned msg, intptr_t p1, intptr_t p2);
  int ChangeVolume(wchar_t* name);

  bool askForVolumes_;
  int volume_ = 1;  // the volumes taken so far
  bool volumeRefused_ = false;
};

}  // namespace unrar
}  // namespace qel
