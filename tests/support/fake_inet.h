// A recording fake of the Inet operations: every call is written down as one line with its
// arguments ("null" for a text not given), and the answers come from a script.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/inet.h"

namespace pelorin::testing {

class FakeInet : public Inet {
 public:
  // The script.
  bool failOpen = false, failConnect = false, failOpenRequest = false;
  std::vector<std::string> bodyPieces;  // handed out by ReadFile, each cut to the size asked
  std::string rawHeaders;               // what QueryRawHeaders reports
  bool headersWritten = true;           // false: the query writes nothing

  // What was asked.
  std::vector<std::string> calls;
  std::vector<std::string> cookiesSet;  // "address|name|data"
  std::string sentHeaders, sentBody;
  bool sentBodyIsNull = true;
  std::uint32_t flags = 0;

  InetHandle Open(const char* agent, int accessType, const char* proxyList,
                  CancelSignal*) override {
    calls.push_back("Open(" + Show(agent) + ", " + std::to_string(accessType) + ", " +
                    Show(proxyList) + ")");
    return failOpen ? NoHandle : 1;
  }
  InetHandle Connect(InetHandle session, const char* host, std::int32_t port, const char* user,
                     const char* password, int service) override {
    calls.push_back("Connect(" + std::to_string(session) + ", " + Show(host) + ", " +
                    std::to_string(port) + ", " + Show(user) + ", " + Show(password) + ", " +
                    std::to_string(service) + ")");
    return failConnect ? NoHandle : 2;
  }
  InetHandle OpenRequest(InetHandle connection, const char* verb, const char* path,
                         const char* version, std::uint32_t requestFlags) override {
    flags = requestFlags;
    calls.push_back("OpenRequest(" + std::to_string(connection) + ", " + Show(verb) + ", " +
                    Show(path) + ", " + Show(version) + ", " + Hex(requestFlags) + ")");
    return failOpenRequest ? NoHandle : 3;
  }
  bool AddRequestHeaders(InetHandle request, const char* headers, std::size_t length) override {
    calls.push_back("AddRequestHeaders(" + std::to_string(request) + ", " +
                    std::string(headers, length) + ")");
    return true;
  }
  bool SendRequest(InetHandle request, const char* headers, std::size_t headersLength,
                   const char* body, std::size_t bodyLength) override {
    sentHeaders.assign(headers, headersLength);
    sentBodyIsNull = body == nullptr;
    if (body != nullptr) sentBody.assign(body, bodyLength);
    calls.push_back("SendRequest(" + std::to_string(request) + ", " +
                    std::to_string(headersLength) + ", " + (body ? "body" : "null") + ", " +
                    std::to_string(bodyLength) + ")");
    return true;
  }
  bool ReadFile(InetHandle, char* buffer, std::size_t size, std::size_t* read) override {
    ++reads;
    *read = 0;
    if (next >= bodyPieces.size()) return true;
    std::string& piece = bodyPieces[next];
    const std::size_t count = std::min(size, piece.size());
    piece.copy(buffer, count);
    piece.erase(0, count);
    if (piece.empty()) ++next;
    *read = count;
    return true;
  }
  bool QueryRawHeaders(InetHandle, char* buffer, std::size_t* length) override {
    calls.push_back("QueryRawHeaders(" + std::to_string(*length) + ")");
    if (!headersWritten) {
      *length = 0;
      return false;
    }
    if (*length < rawHeaders.size() + 1) {
      *length = rawHeaders.size() + 1;
      return false;
    }
    rawHeaders.copy(buffer, rawHeaders.size());
    buffer[rawHeaders.size()] = '\0';
    *length = rawHeaders.size();
    return true;
  }
  bool SetCookie(const char* address, const char* name, const char* data) override {
    cookiesSet.push_back(Show(address) + "|" + Show(name) + "|" + Show(data));
    return true;
  }
  void CloseHandle(InetHandle handle) override {
    calls.push_back("CloseHandle(" + std::to_string(handle) + ")");
  }

  int reads = 0;

 private:
  static std::string Show(const char* text) { return text ? std::string(text) : "null"; }
  static std::string Hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
  }
  std::size_t next = 0;
};

// A server that never answers: sending waits until the request is given up.
class StallingInet : public FakeInet {
 public:
  std::atomic<bool> sawCancel{false};
  std::atomic<bool> ended{false};

  InetHandle Open(const char* agent, int type, const char* proxy, CancelSignal* c) override {
    cancel_ = c;
    return FakeInet::Open(agent, type, proxy, c);
  }
  bool SendRequest(InetHandle, const char*, std::size_t, const char*, std::size_t) override {
    while (!cancel_->Cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    sawCancel = true;
    return false;
  }
  bool ReadFile(InetHandle h, char* buffer, std::size_t size, std::size_t* read) override {
    ended = true;
    return FakeInet::ReadFile(h, buffer, size, read);
  }

 private:
  CancelSignal* cancel_ = nullptr;
};

}  // namespace pelorin::testing
