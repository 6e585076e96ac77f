// A fixed set of threads that take tasks first come, first served. Compression and decoding
// hand their independent pieces (whole files, blocks of one file) to it and take the results
// back in their own order, so what they write never depends on which thread ran what.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace qel {

class TWorkers {
 public:
  // With no threads every task runs on the caller's thread as it is handed over: the same
  // work in the same order, on one core.
  explicit TWorkers(int threads);
  // Runs the tasks still waiting, then ends the threads.
  ~TWorkers();
  TWorkers(const TWorkers&) = delete;
  TWorkers& operator=(const TWorkers&) = delete;

  int Threads() const { return int(threads_.size()); }

  template <class F>
  std::future<std::invoke_result_t<F>> Run(F task) {
    auto job = std::make_shared<std::packaged_task<std::invoke_result_t<F>()>>(std::move(task));
    std::future<std::invoke_result_t<F>> result = job->get_future();
    if (threads_.empty()) {
      (*job)();
    } else {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.emplace_back([job] { (*job)(); });
      }
      ready_.notify_one();
    }
    return result;
  }

 private:
  void Serve();

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> waiting_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// The worker threads to start for `wanted` threads in all (0: one per core the machine has).
// One thread is the caller's own: no workers, and everything runs in order on it.
int WorkerThreads(int wanted);

}  // namespace qel
