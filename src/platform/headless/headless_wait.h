// The wait without a window: on the worker and the time-out alone.
#pragma once

#include "platform/wait.h"

namespace pelorin {

class HeadlessWaiter : public Waiter {
 public:
  WaitResult Wait(WorkDone& done, std::chrono::milliseconds timeout) override {
    return done.WaitFor(timeout) ? WaitResult::WorkerEnded : WaitResult::TimedOut;
  }
  void DispatchWaitingMessages() override {}
};

}  // namespace pelorin
