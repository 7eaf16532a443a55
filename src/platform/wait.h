// Waiting for a request's worker while the program stays responsive. The window program waits
// on the worker or on window input; pelorin-cli and the tests wait on the worker alone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace pelorin {

// Set once by a worker at its very end; others wait on it or are told through a listener.
class WorkDone {
 public:
  void Signal() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
      if (listener_) listener_();
    }
    // Notified after the lock is released, so the waiter does not wake only to wait for it.
    condition_.notify_all();
  }
  bool IsSignalled() const {
    std::lock_guard lock(mutex_);
    return done_;
  }
  // Waits up to `timeout`; true when signalled.
  bool WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return condition_.wait_for(lock, timeout, [this] { return done_; });
  }
  // `listener` runs on the worker's thread when it signals (at once if it already has). It
  // must be quick and must not call back into this object. Pass nullptr to stop listening;
  // once that returns, the old listener never runs again.
  void Listen(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
    if (done_ && listener_) listener_();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable condition_;
  bool done_ = false;
  std::function<void()> listener_;
};

enum class WaitResult {
  WorkerEnded,  // the worker has ended
  TimedOut,     // the whole time passed without the worker ending or window input
  Woken,        // window input arrived: dispatch and wait again
  Failed,       // the wait itself failed
};

class Waiter {
 public:
  virtual ~Waiter() = default;
  virtual WaitResult Wait(WorkDone& done, std::chrono::milliseconds timeout) = 0;
  // Dispatches every message waiting for this thread; a quit request stays pending.
  virtual void DispatchWaitingMessages() = 0;
};

}  // namespace pelorin
