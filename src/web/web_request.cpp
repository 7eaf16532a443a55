#include "web/web_request.h"

#include "web/http_exchange.h"
#include "web/request_record.h"

namespace pelorin {

WebAccess::~WebAccess() { Shutdown(); }

void WebAccess::Abandon(Worker worker) {
  std::lock_guard lock(mutex_);
  abandoned_.push_back(std::move(worker));
  // Reap the ones that have ended meanwhile, so a long session does not collect threads.
  for (auto it = abandoned_.begin(); it != abandoned_.end();) {
    if (it->done->IsSignalled()) {
      it->thread.join();
      it = abandoned_.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t WebAccess::AbandonedCount() {
  std::lock_guard lock(mutex_);
  return abandoned_.size();
}

void WebAccess::Shutdown(std::chrono::milliseconds bound) {
  std::vector<Worker> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(abandoned_);
  }
  for (Worker& worker : workers) worker.cancel->Cancel();
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (Worker& worker : workers) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (worker.done->WaitFor(std::max(left, std::chrono::milliseconds(0)))) {
      worker.thread.join();
    } else {
      // Still stuck after cancellation: it owns its record, so letting it go is safe.
      worker.thread.detach();
    }
  }
}

Bytes WebRequest(WebAccess& access, const Text& address, const WebRequestOptions& options) {
  auto record = std::make_shared<RequestRecord>();
  record->Write({Text(RequestTag), address, options.method.value_or(Text()),
                 options.proxy.value_or(Text()), options.userName.value_or(Text()),
                 options.password.value_or(Text()), options.userAgent.value_or(Text()),
                 options.extraHeaders.value_or(Text()), options.body.value_or(Text()),
                 options.cookies != nullptr ? *options.cookies : Text(),
                 options.storeCookies.value_or(true), options.followRedirects.value_or(true)});

  std::int32_t timeoutSeconds = options.timeoutSeconds.value_or(0);
  if (timeoutSeconds == 0) timeoutSeconds = DefaultTimeoutSeconds;
  // A negative time-out would wait no time at all; treat it like an omitted one.
  if (timeoutSeconds < 0) timeoutSeconds = DefaultTimeoutSeconds;
  const std::chrono::milliseconds timeout(static_cast<long long>(timeoutSeconds) * 1000);

  // The worker shares only the record, the cancel signal and its end signal, each by
  // ownership, so a worker that is given up never writes into freed memory.
  auto cancel = std::make_shared<CancelSignal>();
  auto done = std::make_shared<WorkDone>();
  Inet& inet = access.GetInet();
  std::thread thread;
  try {
    thread = std::thread([record, cancel, done, &inet] {
      HttpExchange(record.get(), inet, cancel.get());
      done->Signal();
    });
  } catch (const std::system_error&) {
    if (options.cookies != nullptr) *options.cookies = TrimSpaces(*options.cookies);
    if (options.rawHeaders != nullptr) options.rawHeaders->clear();
    return {};
  }

  Waiter& waiter = access.GetWaiter();
  WaitResult result = WaitResult::Failed;
  while (true) {
    result = waiter.Wait(*done, timeout);
    waiter.DispatchWaitingMessages();
    if (result != WaitResult::Woken) break;
  }

  if (result == WaitResult::WorkerEnded) {
    thread.join();
  } else {
    // Given up (time-out or a failed wait): cancel the transfer and let the worker end by
    // itself; nothing it does from here on reaches the caller or the cookie store.
    cancel->Cancel();
    access.Abandon({std::move(thread), cancel, done});
  }

  Text tag;
  Text rawHeaders;
  Bytes responseBody;
  Text cookies = options.cookies != nullptr ? *options.cookies : Text();
  if (result == WaitResult::WorkerEnded) {
    record->Take(tag, rawHeaders, responseBody, cookies);
  }
  if (options.cookies != nullptr) *options.cookies = TrimSpaces(cookies);
  if (options.rawHeaders != nullptr) *options.rawHeaders = rawHeaders;
  if (tag == ReplyTag && result == WaitResult::WorkerEnded) return responseBody;
  return {};
}

}  // namespace pelorin
