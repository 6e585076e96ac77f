// The LHA lister and reader over arbitrary bytes: the header walk of every level, the
// extended headers, and the decoding and checking of every entry (test mode: nothing is
// written).
#include "engine/list/Quell.h"
#include "formats/lha/UnLha.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/targets/FuzzInput.h"

namespace vk::fuzz {

int FuzzLha(const uint8_t* data, size_t size) {
  if (!WriteInput(InputFile(), data, size)) return 0;
  static FixedDisk disk;
  qel::TQuell q;
  q.Drives = &disk;
  q.ShowEmptyDirs = true;
  qel::TUnLha reader;
  reader.Drives = &disk;
  try {
    q.SetArchiveFile(InputPath());
    q.Activate();
    reader.SetArchiveFile(InputPath());
    reader.Test();
  } catch (const qel::E_RAISE&) {
  }
  return 0;
}

}  // namespace vk::fuzz
