// WebRequest against a local server, next to plain libcurl doing the same work; the delay
// between a worker's end and WebRequest's return; how fast a cancelled transfer stops.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/curl/curl_inet.h"
#include "platform/headless/headless_wait.h"
#include "support/scripted_server.h"
#include "web/http_exchange.h"
#include "web/web_request.h"

namespace pelorin {
namespace {

using Clock = std::chrono::steady_clock;

class LocalServer {
 public:
  LocalServer() {
    server_.Get("/kib", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(std::string(1024, 'x'), "application/octet-stream");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~LocalServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/kib"; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// 1,000 sequential requests of a 1 KiB body per iteration.
void BM_WebRequest1000(benchmark::State& state) {
  LocalServer server;
  CurlInet inet;
  HeadlessWaiter waiter;
  WebAccess access(inet, waiter);
  const Text url = server.Url();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      Bytes body = WebRequest(access, url);
      if (body.Size() != 1024) state.SkipWithError("short body");
    }
  }
}
BENCHMARK(BM_WebRequest1000)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same requests as one exchange each on this thread: WebRequest's cost beyond this is its
// two thread hand-offs (to the worker and back).
void BM_Exchange1000(benchmark::State& state) {
  LocalServer server;
  CurlInet inet;
  const Text url = server.Url();
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      RequestRecord record;
      record.Write({Text(RequestTag), url, Text(), Text(), Text(), Text(), Text(), Text(), Text(),
                    Text(), true, true});
      HttpExchange(&record, inet, nullptr);
      Text tag, rawHeaders;
      Bytes body;
      Text cookies;
      record.Take(tag, rawHeaders, body, cookies);
      if (body.Size() != 1024) state.SkipWithError("short body");
    }
  }
}
BENCHMARK(BM_Exchange1000)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_PlainCurl1000(benchmark::State& state) {
  LocalServer server;
  CurlInet inet;  // the same global initialisation
  const std::string url = server.Url();
  // The very request WebRequest sends: its agent and its three default lines.
  const std::string accept(DefaultAcceptLine, std::strlen(DefaultAcceptLine) - 2);
  curl_slist* headers = curl_slist_append(nullptr, accept.c_str());
  headers = curl_slist_append(headers, ("Referer: " + url).c_str());
  headers = curl_slist_append(headers, "Accept-Language: zh-cn");
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      CURL* easy = curl_easy_init();
      curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
      curl_easy_setopt(easy, CURLOPT_PROXY, "");
      curl_easy_setopt(easy, CURLOPT_USERAGENT, DefaultUserAgent);
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
      if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("request failed");
      curl_easy_cleanup(easy);
    }
  }
  curl_slist_free_all(headers);
}
BENCHMARK(BM_PlainCurl1000)->Unit(benchmark::kMillisecond)->MinTime(3);

// An exchange that ends at once and notes when; WebRequest's return is timed against it.
class InstantInet : public Inet {
 public:
  Clock::time_point lastClose;
  InetHandle Open(const char*, int, const char*, CancelSignal*) override { return 1; }
  InetHandle Connect(InetHandle, const char*, std::int32_t, const char*, const char*,
                     int) override {
    return 2;
  }
  InetHandle OpenRequest(InetHandle, const char*, const char*, const char*,
                         std::uint32_t) override {
    return 3;
  }
  bool AddRequestHeaders(InetHandle, const char*, std::size_t) override { return true; }
  bool SendRequest(InetHandle, const char*, std::size_t, const char*, std::size_t) override {
    return true;
  }
  bool ReadFile(InetHandle, char*, std::size_t, std::size_t* read) override {
    *read = 0;
    return true;
  }
  bool QueryRawHeaders(InetHandle, char*, std::size_t* length) override {
    *length = 0;
    return false;
  }
  bool SetCookie(const char*, const char*, const char*) override { return true; }
  void CloseHandle(InetHandle handle) override {
    if (handle == 1) lastClose = Clock::now();
  }
};

void BM_HeadlessWaitDelay(benchmark::State& state) {
  InstantInet inet;
  HeadlessWaiter waiter;
  WebAccess access(inet, waiter);
  double totalMicros = 0;
  for (auto _ : state) {
    WebRequest(access, "http://host/");
    totalMicros += std::chrono::duration<double, std::micro>(Clock::now() - inet.lastClose).count();
  }
  state.counters["delay_us"] = totalMicros / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HeadlessWaitDelay)->Unit(benchmark::kMicrosecond);

// From Cancel() to the end of an exchange that waits for a server that never answers.
void BM_CancelLatency(benchmark::State& state) {
  testing::ScriptedServer stalled(
      [](testing::ServerConnection& c, const std::string&) { c.StallUntilStopped(); });
  CurlInet inet;
  double totalMillis = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RequestRecord record;
    record.Write({Text(RequestTag), Text(stalled.Url("/")), Text(), Text(), Text(), Text(), Text(),
                  Text(), Text(), Text(), true, true});
    CancelSignal cancel;
    std::thread worker([&] { HttpExchange(&record, inet, &cancel); });
    const std::size_t before = stalled.Requests().size();
    stalled.WaitForRequests(before + 1);
    state.ResumeTiming();
    const auto start = Clock::now();
    cancel.Cancel();
    worker.join();
    totalMillis += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  state.counters["cancel_ms"] = totalMillis / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CancelLatency)->Unit(benchmark::kMillisecond)->Iterations(20);

// From Cancel() to the end of an exchange still connecting: a listening socket whose backlog is
// full and that never accepts leaves the next connection attempt hanging.
void BM_CancelWhileConnecting(benchmark::State& state) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener, 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::vector<int> fillers;
  for (int i = 0; i < 4; ++i) {
    const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(filler);
  }
  const Text url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  CurlInet inet;
  double totalMillis = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RequestRecord record;
    record.Write({Text(RequestTag), url, Text(), Text(), Text(), Text(), Text(), Text(), Text(),
                  Text(), true, true});
    CancelSignal cancel;
    std::thread worker([&] { HttpExchange(&record, inet, &cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // well into the connect
    state.ResumeTiming();
    const auto start = Clock::now();
    cancel.Cancel();
    worker.join();
    totalMillis += std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  for (int filler : fillers) ::close(filler);
  ::close(listener);
  state.counters["cancel_ms"] = totalMillis / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CancelWhileConnecting)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace pelorin

BENCHMARK_MAIN();
