#include "codecs/parallel/Workers.h"

#include <algorithm>

namespace qel {

TWorkers::TWorkers(int threads) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Serve(); });
}

TWorkers::~TWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TWorkers::Serve() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      task = std::move(waiting_.front());
      waiting_.pop_front();
    }
    task();
  }
}

int WorkerThreads(int wanted) {
  const int threads = wanted > 0 ? wanted : int(std::thread::hardware_concurrency());
  return threads > 1 ? threads : 0;
}

}  // namespace qel
