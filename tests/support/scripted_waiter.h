// A Waiter that answers from a script first, then waits for real (without a window); it
// counts dispatches and can run something inside the first dispatch, as window input would.
#pragma once

#include <functional>
#include <vector>

#include "platform/headless/headless_wait.h"

namespace pelorin::testing {

class ScriptedWaiter : public Waiter {
 public:
  std::vector<WaitResult> script;  // returned first, in order
  bool reportTimeOutAfterEnd = false;
  std::vector<std::chrono::milliseconds> timeouts;
  int dispatches = 0;
  std::function<void()> onDispatch;  // runs once, inside the next dispatch

  WaitResult Wait(WorkDone& done, std::chrono::milliseconds timeout) override {
    timeouts.push_back(timeout);
    if (!script.empty()) {
      WaitResult result = script.front();
      script.erase(script.begin());
      return result;
    }
    if (reportTimeOutAfterEnd) {
      done.WaitFor(std::chrono::seconds(10));
      return WaitResult::TimedOut;
    }
    return headless.Wait(done, timeout);
  }
  void DispatchWaitingMessages() override {
    ++dispatches;
    if (onDispatch) {
      auto run = std::move(onDispatch);
      onDispatch = nullptr;
      run();
    }
  }

 private:
  HeadlessWaiter headless;
};

}  // namespace pelorin::testing
