#include "support/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace pelorin::testing {

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream out;
  out << file.rdbuf();
  return out.str();
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& extraEnv) {
  ProcessResult result;
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 ||
      pipe2(errPipe, O_CLOEXEC) != 0) {
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
  for (const std::string& e : extraEnv) envStrings.push_back(e);
  std::vector<char*> env;
  for (std::string& e : envStrings) env.push_back(e.data());
  env.push_back(nullptr);

  pid_t pid = -1;
  int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) {
    close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    result.err = std::string("spawn failed: ") + std::strerror(rc);
    return result;
  }

  // Feed input and drain both outputs together so that no pipe fills up and blocks the child.
  std::signal(SIGPIPE, SIG_IGN);
  std::size_t written = 0;
  int inFd = inPipe[1];
  if (input.empty()) {
    close(inFd);
    inFd = -1;
  } else {
    fcntl(inFd, F_SETFL, O_NONBLOCK);
  }
  int fds[2] = {outPipe[0], errPipe[0]};
  std::string* sinks[2] = {&result.out, &result.err};
  bool open[2] = {true, true};
  char buffer[65536];
  while (open[0] || open[1] || inFd >= 0) {
    pollfd p[3];
    int n = 0;
    int map[3];
    for (int i = 0; i < 2; ++i) {
      if (open[i]) {
        p[n] = {fds[i], POLLIN, 0};
        map[n++] = i;
      }
    }
    if (inFd >= 0) {
      p[n] = {inFd, POLLOUT, 0};
      map[n++] = 2;
    }
    if (poll(p, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < n; ++k) {
      if (p[k].revents == 0) continue;
      if (map[k] == 2) {
        ssize_t w = write(inFd, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if (w < 0 && errno != EAGAIN) written = input.size();
        if (written >= input.size()) {
          close(inFd);
          inFd = -1;
        }
      } else {
        ssize_t r = read(p[k].fd, buffer, sizeof buffer);
        if (r > 0) {
          sinks[map[k]]->append(buffer, static_cast<std::size_t>(r));
        } else if (r == 0 || errno != EINTR) {
          close(p[k].fd);
          open[map[k]] = false;
        }
      }
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.maxRssKb = usage.ru_maxrss;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace pelorin::testing
