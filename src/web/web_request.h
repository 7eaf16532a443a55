// The program's one way to fetch something over HTTP: the exchange runs on a worker thread
// while the caller's thread keeps dispatching its messages, bounded by a time-out that restarts
// after every wake-up by window input.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <functional>
#include <vector>

#include "platform/inet.h"
#include "platform/wait.h"
#include "text/text.h"

namespace pelorin {

// The platform a request runs on, and its worker threads. A worker runs one request at a time;
// workers that finish are kept for the next request, since starting a thread costs more than a
// local request takes. Requests that were given up are cancelled, and the workers waited for
// within a bound, when this goes away.
class WebAccess {
 public:
  WebAccess(Inet& inet, Waiter& waiter);
  ~WebAccess();
  WebAccess(const WebAccess&) = delete;
  WebAccess& operator=(const WebAccess&) = delete;

  Inet& GetInet() { return inet_; }
  Waiter& GetWaiter() { return waiter_; }

  // Runs `job` on a worker of its own: an idle one, or a new one. False when no thread could
  // be started.
  bool StartWorker(std::function<void()> job);
  // Keeps a given-up request's signals so that Shutdown can cancel it if it still runs.
  void Abandon(std::shared_ptr<CancelSignal> cancel, std::shared_ptr<WorkDone> done);
  // Cancels every given-up request still running and waits up to `bound` for the workers.
  void Shutdown(std::chrono::milliseconds bound = std::chrono::milliseconds(2000));
  // Given-up requests whose workers have not ended yet.
  std::size_t AbandonedCount();

  struct Pool;

 private:
  Inet& inet_;
  Waiter& waiter_;
  std::shared_ptr<Pool> pool_;
  std::mutex mutex_;
  std::vector<std::pair<std::shared_ptr<CancelSignal>, std::shared_ptr<WorkDone>>> abandoned_;
};

// Every parameter but the address may be omitted; an omitted one is told apart from a given one.
struct WebRequestOptions {
  std::optional<Text> method;
  std::optional<Text> proxy;
  std::optional<Text> userName;
  std::optional<Text> password;
  std::optional<Text> userAgent;
  std::optional<Text> extraHeaders;
  std::optional<Text> body;
  std::optional<std::int32_t> timeoutSeconds;  // omitted or 0: 90
  Text* rawHeaders = nullptr;                  // out; null: not handed back
  Text* cookies = nullptr;                     // in and out; null: omitted
  std::optional<bool> storeCookies;            // omitted: true
  std::optional<bool> followRedirects;         // omitted: true
};

inline constexpr std::int32_t DefaultTimeoutSeconds = 90;

// The response body, or the empty byte string when anything went wrong or time ran out.
Bytes WebRequest(WebAccess& access, const Text& address, const WebRequestOptions& options = {});

}  // namespace pelorin
