// A fake of the Inet operations that answers each request by its address from a table, with
// handles of its own per request, so that nested and concurrent requests do not mix.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/inet.h"

namespace pelorin::testing {

class MapInet : public Inet {
 public:
  // "host/path" -> body; an address missing from the table gets no reply at all.
  void Answer(const std::string& hostAndPath, std::string body) {
    std::lock_guard lock(mutex_);
    answers_[hostAndPath] = std::move(body);
  }
  std::vector<std::string> Requested() {
    std::lock_guard lock(mutex_);
    return requested_;
  }

  InetHandle Open(const char*, int, const char*, CancelSignal*) override { return New({}); }
  InetHandle Connect(InetHandle, const char* host, std::int32_t, const char*, const char*,
                     int) override {
    State state;
    state.host = host ? host : "";
    return New(state);
  }
  InetHandle OpenRequest(InetHandle connection, const char*, const char* path, const char*,
                         std::uint32_t) override {
    std::lock_guard lock(mutex_);
    State state = states_[connection];
    state.path = path;
    const InetHandle handle = ++next_;
    states_[handle] = state;
    return handle;
  }
  bool AddRequestHeaders(InetHandle, const char*, std::size_t) override { return true; }
  bool SendRequest(InetHandle request, const char*, std::size_t, const char*, std::size_t) override {
    std::lock_guard lock(mutex_);
    State& state = states_[request];
    const std::string key = state.host + state.path;
    requested_.push_back(key);
    auto it = answers_.find(key);
    state.answered = it != answers_.end();
    if (state.answered) state.body = it->second;
    return state.answered;
  }
  bool ReadFile(InetHandle request, char* buffer, std::size_t size, std::size_t* read) override {
    std::lock_guard lock(mutex_);
    State& state = states_[request];
    *read = std::min(size, state.body.size() - state.offset);
    state.body.copy(buffer, *read, state.offset);
    state.offset += *read;
    return true;
  }
  bool QueryRawHeaders(InetHandle request, char* buffer, std::size_t* length) override {
    std::lock_guard lock(mutex_);
    if (!states_[request].answered) {
      *length = 0;
      return false;
    }
    const std::string headers = "HTTP/1.1 200 OK\r\n\r\n";
    headers.copy(buffer, headers.size());
    buffer[headers.size()] = '\0';
    *length = headers.size();
    return true;
  }
  bool SetCookie(const char*, const char*, const char*) override { return true; }
  void CloseHandle(InetHandle handle) override {
    std::lock_guard lock(mutex_);
    states_.erase(handle);
  }

 private:
  struct State {
    std::string host, path;
    std::size_t offset = 0;
    bool answered = false;
    std::string body;
  };
  InetHandle New(State state) {
    std::lock_guard lock(mutex_);
    const InetHandle handle = ++next_;
    states_[handle] = std::move(state);
    return handle;
  }

  std::mutex mutex_;
  InetHandle next_ = 0;
  std::map<InetHandle, State> states_;
  std::map<std::string, std::string> answers_;
  std::vector<std::string> requested_;
};

}  // namespace pelorin::testing
