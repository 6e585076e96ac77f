// The elapsed-time timer of an operation; paused while the user is being asked something,
// so that the reported time is the engine's own.
#pragma once

#include <chrono>
#include <optional>

namespace qel {

class TZipTimer {
 public:
  using Clock = std::chrono::steady_clock;
  // Where the time comes from; tests give a clock they move by hand.
  Clock::time_point (*Now)() = &Clock::now;

  void Start() {
    start_ = Now();
    paused_ = Clock::duration::zero();
    running_ = true;
    pausedAt_.reset();
  }
  void Pause() {
    if (running_ && !pausedAt_) pausedAt_ = Now();
  }
  void Resume() {
    if (pausedAt_) paused_ += Now() - *pausedAt_;
    pausedAt_.reset();
  }
  void Stop() {
    if (!running_) return;
    Resume();
    elapsed_ = std::chrono::duration<float>(Now() - start_ - paused_).count();
    running_ = false;
  }
  bool Running() const { return running_; }
  // Seconds between Start and Stop, without the paused time.
  float Elapsed() const { return elapsed_; }

 private:
  Clock::time_point start_{};
  Clock::duration paused_{};
  std::optional<Clock::time_point> pausedAt_;
  bool running_ = false;
  float elapsed_ = 0;
};

}  // namespace qel
