// Finding the password that opens an encrypted entry: the current one, the list, then the
// application through OnGetPassword, as many times as PasswordAttempts allows.
#pragma once

#include <functional>
#include <string_view>

#include "engine/base/ZipCommon.h"

namespace qel {

// `fits` checks one candidate (and keeps the keys it made); an empty `Password` is none. A candidate from the list or
// the application that fits becomes `Password`; one from the application also goes to the
// front of `Passwords`. False, reported, when nothing fits.
bool ObtainPassword(TZipCommon& z, const WideString& entryName,
                    const std::function<bool(std::string_view)>& fits);

}  // namespace qel
