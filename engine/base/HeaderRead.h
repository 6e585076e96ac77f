// What a format's header reader found at a position.
#pragma once

namespace qel {

enum class THeaderRead {
  Ok,
  End,  // the archive's end mark, or the end of the file
  Bad,  // a damaged header, or one whose data would pass the end of the file
};

}  // namespace qel
