#include "formats/rar/RarCallbacks.h"

#include <filesystem>

#include "engine/base/ZipCommon.h"
#include "engine/text/Utf8.h"
#include "formats/rar/UnrarApi.h"

namespace qel::unrar {

namespace {

namespace fs = std::filesystem;

// The library's name buffers hold at least this many characters.
constexpr size_t kNameBuffer = 1024;

}  // namespace

int TRarCallbacks::Entry(unsigned msg, intptr_t userData, intptr_t p1, intptr_t p2) {
  auto* self = reinterpret_cast<TRarCallbacks*>(userData);
  // Nothing may unwind through the library: a failure here is a stop.
  try {
    return self ? self->Answer(msg, p1, p2) : -1;
  } catch (...) {
    return -1;
  }
}

int TRarCallbacks::Answer(unsigned msg, intptr_t p1, intptr_t p2) {
  switch (msg) {
    case UCM_CHANGEVOLUMEW:
      return ChangeVolume(reinterpret_cast<wchar_t*>(p1));
    case UCM_PROCESSDATA:
      if (owner_.Cancel()) return -1;
      return Data(reinterpret_cast<const uint8_t*>(p1), size_t(p2)) ? 1 : -1;
    case UCM_NEEDPASSWORDW: {
      std::string password;
      if (p2 <= 0 || !Password(password)) return -1;
      // Cut to the library's buffer.
      text::Utf8ToWideBuffer(password, reinterpret_cast<wchar_t*>(p1), size_t(p2));
      return 1;
    }
    default:
      return -1;  // the 8-bit forms are never asked for by a library that has the wide ones
  }
}

int TRarCallbacks::ChangeVolume(wchar_t* name) {
  if (!name) return -1;
  const std::string proposed = text::WideToUtf8(name, kNameBuffer);
  if (!askForVolumes_) return fs::is_regular_file(proposed) ? 1 : -1;
  std::string chosen = proposed;
  if (chosen.empty() || !owner_.RequestNextVolume(chosen, volume_ + 1)) {
    volumeRefused_ = true;
    return -1;
  }
  ++volume_;
  if (chosen != proposed) text::Utf8ToWideBuffer(chosen, name, kNameBuffer);
  return 1;
}

bool TRarCallbacks::Data(const uint8_t*, size_t) { return !owner_.Cancel(); }

bool TRarCallbacks::Password(std::string&) { return false; }

}  // namespace qel::unrar
