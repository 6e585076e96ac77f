// Work done ahead on the workers' threads and taken back in order: a writer deflating the
// next files, a reader decoding the next entries, while the caller's thread does what must
// stay in order (events, prompts, output). The window holds a few pieces per thread and a
// bounded sum of their sizes, so memory stays small whatever the archive.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <future>
#include <optional>

#include "codecs/parallel/Workers.h"

namespace qel {

template <class TResult>
class TAheadWindow {
 public:
  TAheadWindow(TWorkers& workers, size_t perThread, int64_t maxBytes)
      : workers_(workers),
        maxPieces_(perThread * size_t(std::max(1, workers.Threads()))),
        maxBytes_(maxBytes) {}
  // Waits for the pieces still in flight: their tasks may refer to the caller's objects.
  ~TAheadWindow() {
    for (TInFlight& f : inFlight_) f.Result.wait();
  }
  TAheadWindow(const TAheadWindow&) = delete;
  TAheadWindow& operator=(const TAheadWindow&) = delete;

  bool Room() const { return inFlight_.size() < maxPieces_ && bytes_ < maxBytes_; }
  // Whether to fill the window again: once it is half empty, so that pieces are started in
  // bursts, and a sleeping thread is woken once a burst rather than once a piece.
  bool Low() const { return inFlight_.size() * 2 <= maxPieces_; }
  // Starts `task` for piece `index` (indexes rise), which holds about `bytes` in memory.
  template <class F>
  void Start(size_t index, int64_t bytes, F task) {
    inFlight_.push_back({index, bytes, workers_.Run(std::move(task))});
    bytes_ += bytes;
  }
  // The result for piece `index` when it was started (waiting for it if need be); results
  // for earlier pieces that were not asked for are dropped.
  std::optional<TResult> Take(size_t index) {
    while (!inFlight_.empty() && inFlight_.front().Index <= index) {
      TInFlight f = std::move(inFlight_.front());
      inFlight_.pop_front();
      bytes_ -= f.Bytes;
      if (f.Index == index) return f.Result.get();
      f.Result.wait();
    }
    return std::nullopt;
  }

 private:
  struct TInFlight {
    size_t Index;
    int64_t Bytes;
    std::future<TResult> Result;
  };

  TWorkers& workers_;
  size_t maxPieces_;
  int64_t maxBytes_;
  std::deque<TInFlight> inFlight_;
  int64_t bytes_ = 0;
};

}  // namespace qel
