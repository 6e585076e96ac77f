// Progress reporting shared by the streams that move an entry's bytes: each transfer takes
// its byte count off a counter the caller holds and then calls the caller's hook, which turns
// the counters into percentages.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

namespace qel {

class TProgressHook {
 public:
  // `remaining` may be null when the hook keeps its own count.
  void Attach(int64_t* remaining, std::function<void()> hook) {
    remaining_ = remaining;
    hook_ = std::move(hook);
  }
  void Detach() { Attach(nullptr, nullptr); }
  bool Attached() const { return remaining_ != nullptr || static_cast<bool>(hook_); }

  void Moved(int64_t bytes) {
    if (suspended_ > 0 || bytes <= 0) return;
    if (remaining_) *remaining_ -= bytes;
    if (hook_) hook_();
  }

 private:
  friend class TProgressSuspend;
  int64_t* remaining_ = nullptr;
  std::function<void()> hook_;
  int suspended_ = 0;
};

// Silences a hook for a scope: archive detection reads the file before the operation's
// progress starts, and those reads must not count.
class TProgressSuspend {
 public:
  explicit TProgressSuspend(TProgressHook& hook) : hook_(hook) { ++hook_.suspended_; }
  ~TProgressSuspend() { --hook_.suspended_; }
  TProgressSuspend(const TProgressSuspend&) = delete;
  TProgressSuspend& operator=(const TProgressSuspend&) = delete;

 private:
  TProgressHook& hook_;
};

}  // namespace qel
