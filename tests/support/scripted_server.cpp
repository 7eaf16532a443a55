#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace pelorin::testing {

bool ServerConnection::Send(std::string_view bytes) {
  while (!bytes.empty() && !closed_) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return !closed_;
}

void ServerConnection::Reset() {
  linger option{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
  Close();
}

void ServerConnection::Close() {
  if (closed_) return;
  closed_ = true;
  ::shutdown(fd_, SHUT_RDWR);
}

void ServerConnection::StallUntilStopped(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!stopping_->load() && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd_, POLLRDHUP, 0};
    // Once the client has gone there is nobody left to keep waiting.
    if (::poll(&p, 1, 20) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) return;
  }
}

std::string HttpReply(int status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " Status\r\n" + headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

ScriptedServer::ScriptedServer(RequestHandler handler) : handler_(std::move(handler)) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listenFd_, 64);
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  if (::pipe2(wakeFds_, O_CLOEXEC) != 0) wakeFds_[0] = wakeFds_[1] = -1;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

ScriptedServer::~ScriptedServer() { Stop(); }

void ScriptedServer::Stop() {
  if (stopping_.exchange(true)) return;
  if (wakeFds_[1] >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFds_[1], &byte, 1);
  }
  acceptThread_.join();
  {
    std::lock_guard lock(mutex_);
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
  }
  for (std::thread& worker : workers_) worker.join();
  ::close(listenFd_);
  ::close(wakeFds_[0]);
  ::close(wakeFds_[1]);
}

std::string ScriptedServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> ScriptedServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool ScriptedServer::WaitForRequests(std::size_t count, double seconds) {
  std::unique_lock lock(mutex_);
  return requestArrived_.wait_for(lock, std::chrono::duration<double>(seconds),
                                  [&] { return requests_.size() >= count; });
}

void ScriptedServer::AcceptLoop() {
  while (!stopping_) {
    pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
    if (::poll(p, 2, -1) < 0) continue;
    if (p[1].revents != 0) break;
    if (p[0].revents == 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    ++connections_;
    std::lock_guard lock(mutex_);
    openFds_.push_back(fd);
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void ScriptedServer::Serve(int fd) {
  std::string buffer;
  char chunk[65536];
  ServerConnection connection(fd, &stopping_);
  auto receive = [&] {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
  };
  while (!stopping_ && !connection.Closed()) {
    // One request: headers up to the blank line, then Content-Length bytes of body.
    std::size_t headerEnd;
    bool ended = false;
    while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (!receive()) {
        ended = true;
        break;
      }
    }
    if (ended) break;
    std::size_t bodyLength = 0;
    std::string lower = buffer.substr(0, headerEnd);
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    std::size_t at = lower.find("\r\ncontent-length:");
    if (at != std::string::npos) bodyLength = std::strtoul(lower.c_str() + at + 17, nullptr, 10);
    const std::size_t total = headerEnd + 4 + bodyLength;
    while (buffer.size() < total) {
      if (!receive()) {
        ended = true;
        break;
      }
    }
    if (ended) break;
    const std::string request = buffer.substr(0, total);
    buffer.erase(0, total);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    requestArrived_.notify_all();
    handler_(connection, request);
  }
  {
    std::lock_guard lock(mutex_);
    openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
  }
  ::close(fd);
}

}  // namespace pelorin::testing
