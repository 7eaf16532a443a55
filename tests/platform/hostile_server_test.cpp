// Servers that misbehave on purpose, on 127.0.0.1: every case ends with the program's defined
// result and the process healthy (no hang, no worker left running).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/curl/curl_inet.h"
#include "platform/headless/headless_wait.h"
#include "support/run_process.h"
#include "support/scripted_server.h"
#include "web/web_request.h"

namespace pelorin {
namespace {

using testing::HttpReply;
using testing::RunProcess;
using testing::ScriptedServer;
using testing::ServerConnection;
using namespace std::chrono_literals;

class HostileServerTest : public ::testing::Test {
 protected:
  CurlInet inet;
  HeadlessWaiter waiter;
  WebAccess access{inet, waiter};

  void TearDown() override {
    // Whatever happened, every worker is done within the bound.
    access.Shutdown(5000ms);
    EXPECT_EQ(access.AbandonedCount(), 0u);
  }
};

TEST_F(HostileServerTest, AcceptsAndNeverAnswers) {
  ScriptedServer silent([](ServerConnection& c, const std::string&) { c.StallUntilStopped(); });
  WebRequestOptions options;
  options.timeoutSeconds = 2;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WebRequest(access, silent.Url("/"), options).Empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST_F(HostileServerTest, HeadersByteByByteOverAMinute) {
  const std::string reply = HttpReply(200, "X-Slow: " + std::string(60, 's') + "\r\n", "slow body");
  ScriptedServer trickle([reply](ServerConnection& c, const std::string&) {
    const std::size_t headerEnd = reply.find("\r\n\r\n") + 4;
    const auto pause = std::chrono::milliseconds(61000 / static_cast<int>(headerEnd));
    for (std::size_t i = 0; i < headerEnd; ++i) {
      if (!c.Send(reply.substr(i, 1))) return;
      std::this_thread::sleep_for(pause);
    }
    c.Send(reply.substr(headerEnd));
  });
  // The default time-out (90 s) bounds the whole wait: a server this slow is still answered.
  Text raw;
  WebRequestOptions options;
  options.rawHeaders = &raw;
  EXPECT_EQ(WebRequest(access, trickle.Url("/"), options).Data(), "slow body");
  EXPECT_NE(raw.find("X-Slow: "), std::string::npos);
}

TEST_F(HostileServerTest, RedirectToARefusedPort) {
  int port;
  {
    ScriptedServer closed([](ServerConnection&, const std::string&) {});
    port = closed.Port();
  }
  ScriptedServer redirect([port](ServerConnection& c, const std::string&) {
    c.Send(HttpReply(302, "Location: http://127.0.0.1:" + std::to_string(port) + "/x\r\n", ""));
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WebRequest(access, redirect.Url("/")).Empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

TEST_F(HostileServerTest, HundredKilobytesOfHeaders) {
  std::string headers;
  for (int i = 0; i < 100; ++i) headers += "X-Filler-" + std::to_string(i) + ": " + std::string(1000, 'f') + "\r\n";
  headers += "Set-Cookie: after=filler\r\n";
  ScriptedServer server([headers](ServerConnection& c, const std::string&) {
    c.Send(HttpReply(200, headers, "body"));
  });
  Text raw, cookies;
  WebRequestOptions options;
  options.rawHeaders = &raw;
  options.cookies = &cookies;
  EXPECT_EQ(WebRequest(access, server.Url("/"), options).Data(), "body");
  EXPECT_GT(raw.size(), 100000u);
  EXPECT_EQ(cookies, "after=filler;");
}

TEST_F(HostileServerTest, BodyLongerThanAnnouncedIsCutAtTheAnnouncedLength) {
  ScriptedServer server([](ServerConnection& c, const std::string&) {
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbodyEXTRA-THAT-DOES-NOT-BELONG");
    c.Close();
  });
  EXPECT_EQ(WebRequest(access, server.Url("/")).Data(), "body");
}

// 200 MB through pelorin-cli fetch: the process's peak memory stays within three times the
// body (it is held once, read in pieces, written once).
TEST(HostileServerCliTest, TwoHundredMegabyteBody) {
  constexpr std::size_t Size = 200u << 20;
  ScriptedServer server([](ServerConnection& c, const std::string&) {
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(Size) + "\r\n\r\n");
    const std::string chunk(1 << 20, 'z');
    for (std::size_t sent = 0; sent < Size; sent += chunk.size()) {
      if (!c.Send(chunk)) return;
    }
  });
  auto r = RunProcess({PELORIN_CLI_PATH, "fetch", "-o", "/dev/null", server.Url("/big")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_LT(r.maxRssKb, static_cast<long>(3 * Size / 1024)) << "peak " << r.maxRssKb << " KiB";
  RecordProperty("peak_rss_kib", std::to_string(r.maxRssKb));
  std::printf("peak memory for a 200 MB body: %ld KiB\n", r.maxRssKb);
}

}  // namespace
}  // namespace pelorin
