// The engine's exceptions.
#pragma once

#include <stdexcept>
#include <string>

namespace qel {

// Raised when an operation cannot go on; carries the message number. Every entry
// operation catches it at its boundary so that clean-up and OnDeactivate still run.
class E_RAISE : public std::runtime_error {
 public:
  E_RAISE(int code, const std::string& text) : std::runtime_error(text), ECode(code) {}
  int ECode;
};

// Raised instead of E_RAISE once the user has cancelled: the cancel was already reported,
// so the boundary ends the operation without reporting anything more.
class ECancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "User canceled"; }
};

}  // namespace qel
