// The wait for a request's worker inside the window program: a nested event loop that keeps
// the window responsive, ends when the worker ends, and gives up when a whole time-out passes
// without window input (every key or mouse event restarts the time).
#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

#include "platform/wait.h"

class QEventLoop;
class QTimer;

namespace pelorin::qt {

class QtWaiter : public QObject, public Waiter {
 public:
  QtWaiter();
  ~QtWaiter() override;

  WaitResult Wait(WorkDone& done, std::chrono::milliseconds timeout) override;
  void DispatchWaitingMessages() override;

  // Ends every wait at once (as failed) and every later one too: the window has closed.
  void AbortAll();
  std::size_t Depth() const { return waits_.size(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct ActiveWait {
    QEventLoop* loop;
    QTimer* timer;
    WaitResult* result;
  };
  std::vector<ActiveWait> waits_;  // innermost last
  bool aborted_ = false;
};

}  // namespace pelorin::qt
