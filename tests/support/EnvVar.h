// Sets (or, given no value, removes) an environment variable while it lives and puts back what
// was there before, so that no test leaks its environment into the ones after it.
#pragma once

#include <optional>
#include <string>

namespace qel::test {

class TEnvVar {
 public:
  TEnvVar(std::string name, const std::optional<std::string>& value);
  ~TEnvVar();
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace qel::test
