// The elapsed-time timer of an operation; paused while the user is being asked something,
// so that the reported time is the engine's own.
#pragma once

#include <chrono>
#include <optional>

namespace qel {

class TZipTimer {
 public:
  void Start() {
    start_ = Clock::now();
    paused_ = Clock::duration::zero();
    running_ = true;
    pausedAt_.reset();
  }
  void Pause() {
    if (running_ && !pausedAt_) pausedAt_ = Clock::now();
  }
  void Resume() {
    if (pausedAt_) paused_ += Clock::now() - *pausedAt_;
    pausedAt_.reset();
  }
  void Stop() {
    if (!running_) return;
    Resume();
    elapsed_ = std::chrono::duration<float>(Clock::now() - start_ - paused_).count();
    running_ = false;
  }
  bool Running() const { return running_; }
  // Seconds between Start and Stop, without the paused time.
  float Elapsed() const { return elapsed_; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_{};
  Clock::duration paused_{};
  std::optional<Clock::time_point> pausedAt_;
  bool running_ = false;
  float elapsed_ = 0;
};

}  // namespace qel
