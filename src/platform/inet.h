// The HTTP client operations the exchange calls, shaped after the classic Windows internet
// client: session, connection, request, send, read, raw headers, cookies, close. One
// implementation per platform (platform/curl on Linux).
//
// A text that is "not given" is passed as a null pointer, never as an empty string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

namespace pelorin {

using InetHandle = std::uintptr_t;  // 0 is no handle
inline constexpr InetHandle NoHandle = 0;

inline constexpr int InetOpenTypeDirect = 1;
inline constexpr int InetOpenTypeProxy = 3;
inline constexpr int InetServiceHttp = 3;
inline constexpr std::uint32_t InetFlagReload = 0x80000000u;
inline constexpr std::uint32_t InetFlagNoCookies = 0x00080000u;
inline constexpr std::uint32_t InetFlagNoAutoRedirect = 0x00200000u;

// Lets another thread give up a request: the transport stops within a bounded time, and
// work that must not happen after giving up (storing cookies) runs only while not cancelled.
class CancelSignal {
 public:
  // Idempotent and thread-safe. Once it returns, no RunUnlessCancelled body runs any more.
  void Cancel() {
    // The waker runs under the lock, so the transport can take it away (SetWaker(nullptr))
    // and then free what it wakes without a Cancel() still on its way there.
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (waker_) waker_();
  }
  bool Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
  }
  // Runs `work` unless cancelled, holding off Cancel() meanwhile. Returns whether it ran.
  template <typename Work>
  bool RunUnlessCancelled(Work&& work) {
    std::lock_guard lock(mutex_);
    if (cancelled_) return false;
    work();
    return true;
  }
  // The transport's way to be woken from a blocking wait: quick, and taking no lock of ours.
  // Once SetWaker(nullptr) returns, the old waker is not running and never runs again.
  void SetWaker(std::function<void()> waker) {
    std::lock_guard lock(mutex_);
    waker_ = std::move(waker);
  }

 private:
  mutable std::mutex mutex_;
  bool cancelled_ = false;
  std::function<void()> waker_;
};

class Inet {
 public:
  virtual ~Inet() = default;

  // A session; `cancel` (may be null) gives up every request of the session.
  virtual InetHandle Open(const char* agent, int accessType, const char* proxyList,
                          CancelSignal* cancel) = 0;
  virtual InetHandle Connect(InetHandle session, const char* host, std::int32_t port,
                             const char* userName, const char* password, int service) = 0;
  virtual InetHandle OpenRequest(InetHandle connection, const char* verb, const char* path,
                                 const char* version, std::uint32_t flags) = 0;
  virtual bool AddRequestHeaders(InetHandle request, const char* headers,
                                 std::size_t length) = 0;
  virtual bool SendRequest(InetHandle request, const char* headers, std::size_t headersLength,
                           const char* body, std::size_t bodyLength) = 0;
  // Up to `size` bytes of the body; *read is 0 when the body has ended or the read failed.
  virtual bool ReadFile(InetHandle request, char* buffer, std::size_t size,
                        std::size_t* read) = 0;
  // Copies the raw response headers (CR LF lines ending with a blank line) and a zero byte.
  // When they do not fit, returns false, leaves the buffer untouched and sets *length to the
  // size needed; when there are none, returns false with *length 0. On success *length is the
  // count of bytes copied, without the zero.
  virtual bool QueryRawHeaders(InetHandle request, char* buffer, std::size_t* length) = 0;
  virtual bool SetCookie(const char* address, const char* name, const char* data) = 0;
  virtual void CloseHandle(InetHandle handle) = 0;
};

}  // namespace pelorin
