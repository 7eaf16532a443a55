#include "web/web_request.h"

#include <deque>
#include <thread>

#include "web/http_exchange.h"
#include "web/request_record.h"

namespace pelorin {

namespace {
constexpr std::size_t MaxIdleWorkers = 4;
}

// Shared with every worker thread, so a worker that outlives its WebAccess (stuck past the
// shutdown bound) still finds it.
struct WebAccess::Pool {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable gone;
  std::deque<std::function<void()>> jobs;
  std::size_t idle = 0;
  std::size_t live = 0;
  bool stopping = false;

  static void Work(std::shared_ptr<Pool> pool) {
    std::unique_lock lock(pool->mutex);
    while (true) {
      pool->wake.wait(lock, [&] { return !pool->jobs.empty() || pool->stopping; });
      if (pool->jobs.empty()) break;  // stopping
      std::function<void()> job = std::move(pool->jobs.front());
      pool->jobs.pop_front();
      lock.unlock();
      job();
      job = nullptr;
      lock.lock();
      if (pool->stopping || pool->idle >= MaxIdleWorkers) break;
      ++pool->idle;
    }
    --pool->live;
    pool->gone.notify_all();
  }
};

WebAccess::WebAccess(Inet& inet, Waiter& waiter)
    : inet_(inet), waiter_(waiter), pool_(std::make_shared<Pool>()) {}

WebAccess::~WebAccess() { Shutdown(); }

bool WebAccess::StartWorker(std::function<void()> job) {
  std::unique_lock lock(pool_->mutex);
  if (pool_->stopping) return false;
  pool_->jobs.push_back(std::move(job));
  if (pool_->idle > 0) {
    --pool_->idle;
    lock.unlock();
    pool_->wake.notify_one();
    return true;
  }
  try {
    std::thread(&Pool::Work, pool_).detach();
    ++pool_->live;
  } catch (const std::system_error&) {
    pool_->jobs.pop_back();
    return false;
  }
  return true;
}

void WebAccess::Abandon(std::shared_ptr<CancelSignal> cancel, std::shared_ptr<WorkDone> done) {
  std::lock_guard lock(mutex_);
  std::erase_if(abandoned_, [](const auto& entry) { return entry.second->IsSignalled(); });
  abandoned_.emplace_back(std::move(cancel), std::move(done));
}

std::size_t WebAccess::AbandonedCount() {
  std::lock_guard lock(mutex_);
  std::erase_if(abandoned_, [](const auto& entry) { return entry.second->IsSignalled(); });
  return abandoned_.size();
}

void WebAccess::Shutdown(std::chrono::milliseconds bound) {
  {
    std::lock_guard lock(mutex_);
    for (auto& [cancel, done] : abandoned_) cancel->Cancel();
  }
  std::unique_lock lock(pool_->mutex);
  pool_->stopping = true;
  pool_->wake.notify_all();
  // A cancelled transfer stops within milliseconds; the bound only guards against a stuck one,
  // which owns everything it touches and may safely be left behind.
  pool_->gone.wait_for(lock, bound, [this] { return pool_->live == 0; });
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
  const bool started = access.StartWorker([record, cancel, done, &inet] {
    HttpExchange(record.get(), inet, cancel.get());
    done->Signal();
  });
  if (!started) {
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

  if (result != WaitResult::WorkerEnded) {
    // Given up (time-out or a failed wait): cancel the transfer and let the worker end by
    // itself; nothing it does from here on reaches the caller or the cookie store.
    cancel->Cancel();
    access.Abandon(cancel, done);
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
