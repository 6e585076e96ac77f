// The failures of libbz2 itself (memory, a refused parameter, a broken call sequence), raised
// as exceptions. Damaged data is not one of them: the decoder reports it as a flag, and the
// entry fails its CRC.
#pragma once

#include <stdexcept>
#include <string>

namespace qel {

// The codecs cannot see the engine's error classes, so the bz2 errors have their own base;
// a reader or writer turns it into its own report.
class Ebz2Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// libbz2 could not allocate its state, whatever it was doing.
class Ebz2MEMError : public Ebz2Error {
 public:
  Ebz2MEMError();
};

// Any other result libbz2 should not have given at that stage.
class Ebz2libError : public Ebz2Error {
 public:
  using Ebz2Error::Ebz2Error;
};

// What a failing call is reported as.
enum class TBz2Stage { Init, Compress, Finish, Decompress };

// Raises Ebz2MEMError for BZ_MEM_ERROR, else Ebz2libError with the stage's text.
[[noreturn]] void RaiseBz2Error(int result, TBz2Stage stage);

}  // namespace qel
