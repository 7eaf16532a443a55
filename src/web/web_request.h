// The program's one way to fetch something over HTTP: the exchange runs on a worker thread
// while the caller's thread keeps dispatching its messages, bounded by a time-out that restarts
// after every wake-up by window input.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/inet.h"
#include "platform/wait.h"
#include "text/text.h"

namespace pelorin {

// The platform a request runs on, and the workers it has started. Workers that were given up
// are cancelled and joined, within a bound, when this goes away.
class WebAccess {
 public:
  WebAccess(Inet& inet, Waiter& waiter) : inet_(inet), waiter_(waiter) {}
  ~WebAccess();
  WebAccess(const WebAccess&) = delete;
  WebAccess& operator=(const WebAccess&) = delete;

  Inet& GetInet() { return inet_; }
  Waiter& GetWaiter() { return waiter_; }

  struct Worker {
    std::thread thread;
    std::shared_ptr<CancelSignal> cancel;
    std::shared_ptr<WorkDone> done;
  };
  // Keeps a given-up worker until it ends; ended ones are joined as new ones come in.
  void Abandon(Worker worker);
  // Cancels every given-up worker and joins those that end within `bound`.
  void Shutdown(std::chrono::milliseconds bound = std::chrono::milliseconds(2000));
  std::size_t AbandonedCount();

 private:
  void JoinEnded();

  Inet& inet_;
  Waiter& waiter_;
  std::mutex mutex_;
  std::vector<Worker> abandoned_;
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
