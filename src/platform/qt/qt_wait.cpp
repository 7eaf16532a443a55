#include "platform/qt/qt_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace pelorin::qt {
namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::HoverMove:
    case QEvent::ShortcutOverride:
      return true;
    default:
      return false;
  }
}

}  // namespace

QtWaiter::QtWaiter() { QCoreApplication::instance()->installEventFilter(this); }

QtWaiter::~QtWaiter() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(this);
  }
}

WaitResult QtWaiter::Wait(WorkDone& done, std::chrono::milliseconds timeout) {
  if (aborted_) return WaitResult::Failed;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setInterval(timeout);
  WaitResult result = WaitResult::Failed;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    result = WaitResult::TimedOut;
    loop.quit();
  });
  // The worker tells us from its own thread; the call is queued to this thread's loop, and a
  // queued call for a loop that is gone is dropped with it.
  done.Listen([&loop, &result] {
    QMetaObject::invokeMethod(
        &loop,
        [&loop, &result] {
          result = WaitResult::WorkerEnded;
          loop.quit();
        },
        Qt::QueuedConnection);
  });

  // An outer wait does not run while an inner one does; its time starts afresh after.
  if (!waits_.empty()) waits_.back().timer->stop();
  waits_.push_back({&loop, &timer, &result});
  timer.start();
  if (done.IsSignalled()) {
    result = WaitResult::WorkerEnded;
  } else {
    loop.exec();
  }
  waits_.pop_back();
  done.Listen(nullptr);
  if (!waits_.empty() && !aborted_) waits_.back().timer->start();
  if (aborted_) return WaitResult::Failed;
  // A quit of the whole program ends nested loops too; without the worker's end it is a
  // failed wait, not a reply.
  if (result == WaitResult::WorkerEnded && !done.IsSignalled()) return WaitResult::Failed;
  return result;
}

void QtWaiter::DispatchWaitingMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWaiter::AbortAll() {
  aborted_ = true;
  for (ActiveWait& wait : waits_) {
    *wait.result = WaitResult::Failed;
    wait.timer->stop();
    wait.loop->quit();
  }
}

bool QtWaiter::eventFilter(QObject* watched, QEvent* event) {
  if (!waits_.empty() && IsInput(event->type())) waits_.back().timer->start();
  return QObject::eventFilter(watched, event);
}

}  // namespace pelorin::qt
