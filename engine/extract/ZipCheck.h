// TZipCheck, the archive tester: picks the reader for the archive's type, runs it in test
// mode (nothing is written, every entry is decoded and checked) with this component's
// settings and events, and gives a pass or fail for every file entry through OnStatus.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "engine/base/ZipCommon.h"

namespace qel {

class TDecompressClass;

class TZipCheck : public TZipCommon {
 public:
  using TStatusEvent =
      std::function<void(TZipCommon& Sender, const WideString& FileName, bool Pass)>;

  TZipCheck();
  ~TZipCheck() override;

  // The verdict on each file entry tested (folders get none), fired before OnEnd.
  // Required: a test without it reports 25281 "OnStatus" and does nothing.
  TStatusEvent OnStatus;

  // Whether the engine can test archives of `type`.
  static bool CanTest(TArcType type);

  // Tests ArchiveFile as ArcType. Every event fires with this component as Sender. An
  // entry the reader gave up on without a verdict (damaged local header, data that does
  // not decode, unsupported method) is reported as failed. Afterwards Passwords and
  // Password hold what the reader kept: the candidates and the answers that fitted.
  // Answers the number of file entries that passed.
  int Test();

 private:
  void Run(TDecompressClass& reader);
  void Connect(TDecompressClass& reader);
  // Relays one of this component's events from the reader; `always` installs the relay
  // even when the event is not assigned, so that a cancel still reaches the reader.
  template <typename... Args>
  std::function<void(TZipCommon&, Args...)> Relay(std::function<void(TZipCommon&, Args...)>& event,
                                                  TDecompressClass& reader, bool always = false);
  void FollowCancel(TDecompressClass& reader);
  // The verdict on the entry the reader began and left without one: failed.
  void SettleOpenEntry(TDecompressClass& reader);
  void Verdict(const WideString& name, bool pass);

  std::optional<WideString> FOpenEntry;  // begun, no verdict yet
  WideString FLastVerdict;               // the reader's errors about it come after it
  int FPassed = 0;
};

}  // namespace qel
