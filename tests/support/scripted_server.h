// A small HTTP server on 127.0.0.1 for end-to-end tests: it records the exact bytes of every
// request and answers from a script, byte for byte, so tests can check what goes on the wire
// and can misbehave on purpose (stall, cut, reset).
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelorin::testing {

class ServerConnection {
 public:
  ServerConnection(int fd, std::atomic<bool>* stopping) : fd_(fd), stopping_(stopping) {}
  bool Send(std::string_view bytes);
  // Ends the connection with a TCP reset instead of an orderly close.
  void Reset();
  void Close();
  bool Closed() const { return closed_; }
  // Blocks until the server stops, the client hangs up or `seconds` pass (a stalled server).
  void StallUntilStopped(double seconds = 60);
  int Fd() const { return fd_; }

 private:
  int fd_;
  std::atomic<bool>* stopping_;
  bool closed_ = false;
};

// The request line, then the header lines, then the body, exactly as received.
using RequestHandler = std::function<void(ServerConnection&, const std::string& request)>;

class ScriptedServer {
 public:
  explicit ScriptedServer(RequestHandler handler);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path = "/") const;
  std::vector<std::string> Requests();
  std::size_t ConnectionCount() const { return connections_; }
  void Stop();

  // Waits until `count` requests have arrived or `seconds` pass.
  bool WaitForRequests(std::size_t count, double seconds = 10);

 private:
  void AcceptLoop();
  void Serve(int fd);

  RequestHandler handler_;
  int listenFd_ = -1;
  int port_ = 0;
  int wakeFds_[2] = {-1, -1};
  std::atomic<bool> stopping_{false};
  std::atomic<std::size_t> connections_{0};
  std::thread acceptThread_;
  std::mutex mutex_;
  std::condition_variable requestArrived_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;
  std::vector<int> openFds_;
};

// "HTTP/1.1 <status>\r\n" + headers (each with CR LF) + Content-Length + blank line + body.
std::string HttpReply(int status, const std::string& headers, const std::string& body);

}  // namespace pelorin::testing
