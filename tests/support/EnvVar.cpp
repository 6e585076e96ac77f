#include "tests/support/EnvVar.h"

#include <stdlib.h>
#include <time.h>

namespace qel::test {

namespace {

void Put(const std::string& name, const std::optional<std::string>& value) {
  value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  // The C library reads TZ once and keeps it until told again.
  if (name == "TZ") ::tzset();
}

}  // namespace

TEnvVar::TEnvVar(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = ::getenv(name_.c_str())) old_ = old;
  Put(name_, value);
}

TEnvVar::~TEnvVar() { Put(name_, old_); }

}  // namespace qel::test
