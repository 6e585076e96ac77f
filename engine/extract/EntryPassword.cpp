#include "engine/extract/EntryPassword.h"

#include "engine/base/Messages.h"

namespace qel {

bool ObtainPassword(TZipCommon& z, const WideString& entryName,
                    const std::function<bool(std::string_view)>& fits) {
  // No password held is no empty password: tried as one, it would pass a one-byte check
  // now and then, and the entry would fail its CRC instead of asking for the password. An
  // empty one from the list or the application was given on purpose.
  if (!z.Password().empty() && fits(z.Password())) return true;
  for (const std::string& candidate : z.Passwords) {
    if (fits(candidate)) {
      z.SetPassword(candidate);
      return true;
    }
  }
  if (!z.OnGetPassword) {
    z.DoError(entryName, "OnGetPassword", msg::RequiredEventNotAssigned, "");
    return false;
  }
  for (int attempt = 0; attempt < z.PasswordAttempts && !z.Cancel(); ++attempt) {
    AnsiString password = z.Password();
    TSeedKeyRecord headerKeys = z.SeedHeaderKeys;
    TSeedKeyRecord dataKeys = z.SeedDataKeys;
    bool tryAgain = true;
    z.Timer.Pause();  // the time spent answering is not the operation's
    z.OnGetPassword(z, entryName, password, headerKeys, dataKeys, tryAgain);
    z.Timer.Resume();
    z.SeedHeaderKeys = headerKeys;
    z.SeedDataKeys = dataKeys;
    if (!tryAgain) {
      // No password given is no wrong password: the entry is left alone.
      z.DoError(entryName, "no password given", msg::SkippedFile, "");
      return false;
    }
    if (fits(password)) {
      z.SetPassword(password);
      z.Passwords.insert(z.Passwords.begin(), password);
      return true;
    }
    z.DoError(entryName, password, msg::InvalidPassword, "");
    z.SetPassword("");
  }
  return false;
}

}  // namespace qel
