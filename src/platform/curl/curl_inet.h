// The Inet operations on libcurl. Construct one per process, on the main thread, before any
// worker starts: it initialises libcurl and holds the process's one cookie store.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/inet.h"

typedef void CURL;

namespace pelorin {

class CurlInet : public Inet {
 public:
  CurlInet();
  ~CurlInet() override;
  CurlInet(const CurlInet&) = delete;
  CurlInet& operator=(const CurlInet&) = delete;

  InetHandle Open(const char* agent, int accessType, const char* proxyList,
                  CancelSignal* cancel) override;
  InetHandle Connect(InetHandle session, const char* host, std::int32_t port,
                     const char* userName, const char* password, int service) override;
  InetHandle OpenRequest(InetHandle connection, const char* verb, const char* path,
                         const char* version, std::uint32_t flags) override;
  bool AddRequestHeaders(InetHandle request, const char* headers, std::size_t length) override;
  bool SendRequest(InetHandle request, const char* headers, std::size_t headersLength,
                   const char* body, std::size_t bodyLength) override;
  bool ReadFile(InetHandle request, char* buffer, std::size_t size, std::size_t* read) override;
  bool QueryRawHeaders(InetHandle request, char* buffer, std::size_t* length) override;
  bool SetCookie(const char* address, const char* name, const char* data) override;
  void CloseHandle(InetHandle handle) override;

  // The cookies the shared store holds, one Netscape-format line each.
  std::vector<std::string> CookieLines();

  struct Request;

 private:
  friend struct Request;
  std::vector<std::string> ImportCookies(CURL* easy);
  void ExportCookies(CURL* easy, const std::vector<std::string>& before, CancelSignal* cancel);

  std::mutex jarMutex_;
  CURL* jar_;  // holds the cookie store; never performs a transfer
};

}  // namespace pelorin
