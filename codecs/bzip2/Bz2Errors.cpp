#include "codecs/bzip2/Bz2Errors.h"

#include <bzlib.h>

namespace qel {

Ebz2MEMError::Ebz2MEMError() : Ebz2Error("The bz2 engine have not enough memory to initialize !") {}

void RaiseBz2Error(int result, TBz2Stage stage) {
  if (result == BZ_MEM_ERROR) throw Ebz2MEMError();
  switch (stage) {
    case TBz2Stage::Init:
      throw Ebz2libError("The bz2 engine reports a fatal error during initialization process !");
    case TBz2Stage::Compress:
      throw Ebz2libError("The bz2 engine reports a fatal error during compression process.");
    case TBz2Stage::Finish:
      throw Ebz2libError("The bz2 engine reports a fatal error during terminaison process.");
    case TBz2Stage::Decompress:
      break;
  }
  throw Ebz2libError("The bz2 engine reports a fatal error during decompression process.");
}

}  // namespace qel
