// pelorin-cli fetch against servers the test starts on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/run_process.h"
#include "support/scripted_server.h"

namespace pelorin {
namespace {

using testing::HttpReply;
using testing::RunProcess;
using testing::ScriptedServer;
using testing::ServerConnection;

const std::string Cli = PELORIN_CLI_PATH;

std::string ReadAll(const std::filesystem::path& path) { return testing::ReadFileBytes(path); }

class CliFetchTest : public ::testing::Test {
 protected:
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("pelorin_fetch_" + std::to_string(::getpid()));
  void SetUp() override { std::filesystem::create_directories(dir); }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(CliFetchTest, HeadersInOrderBodyAndFilesWritten) {
  ScriptedServer server([](ServerConnection& c, const std::string&) {
    c.Send(HttpReply(200, "Set-Cookie: s=1; Path=/\r\n", std::string("bo\0dy", 5)));
  });
  const auto headers = dir / "headers.txt";
  const auto cookies = dir / "cookies.txt";
  auto r = RunProcess({Cli, "fetch", "-H", "X-A: 1", "--header", "X-B: 2", "--agent", "T/1",
                       "--raw-headers", headers.string(), "--cookies-out", cookies.string(),
                       server.Url("/p")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, std::string("bo\0dy", 5));
  const std::string request = server.Requests().at(0);
  EXPECT_NE(request.find("User-Agent: T/1\r\nX-A: 1\r\nX-B: 2\r\nAccept: "), std::string::npos)
      << request;
  EXPECT_EQ(ReadAll(headers).rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_EQ(ReadAll(cookies), "s=1;");
}

TEST_F(CliFetchTest, PostBodyToOutputFile) {
  ScriptedServer server([](ServerConnection& c, const std::string& request) {
    c.Send(HttpReply(200, "", "got " + request.substr(request.find("\r\n\r\n") + 4)));
  });
  const auto out = dir / "body.bin";
  auto r = RunProcess({Cli, "fetch", "--method", "POST", "--body", "k=v", "-o", out.string(),
                       server.Url("/")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadAll(out), "got k=v");
}

TEST_F(CliFetchTest, FailuresExitOneWithAReason) {
  int port;
  {
    ScriptedServer closed([](ServerConnection&, const std::string&) {});
    port = closed.Port();
  }
  auto refused = RunProcess({Cli, "fetch", "http://127.0.0.1:" + std::to_string(port) + "/"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err,
            "pelorin-cli: no body: the request failed, timed out or the reply was empty\n");

  ScriptedServer stalled([](ServerConnection& c, const std::string&) { c.StallUntilStopped(); });
  const auto start = std::chrono::steady_clock::now();
  auto timedOut = RunProcess({Cli, "fetch", "--timeout", "1", stalled.Url("/")});
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(timedOut.exitCode, 1);
  EXPECT_GE(took, std::chrono::seconds(1));
  EXPECT_LT(took, std::chrono::seconds(10));

  // An output file is left alone when there is no body to put in it.
  const auto out = dir / "keep.txt";
  std::ofstream(out) << "precious";
  auto empty = RunProcess({Cli, "fetch", "-o", out.string(),
                           "http://127.0.0.1:" + std::to_string(port) + "/"});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(ReadAll(out), "precious");
}

TEST_F(CliFetchTest, UsageErrorsExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {Cli, "fetch"},
      {Cli, "fetch", "--timeout", "-1", "http://127.0.0.1:1/"},
      {Cli, "fetch", "--timeout", "soon", "http://127.0.0.1:1/"},
      {Cli, "fetch", "-H", "X: \xF0\x9F\x98\x80", "http://127.0.0.1:1/"},
      {Cli, "fetch", "--bogus", "http://127.0.0.1:1/"},
  };
  for (const auto& args : cases) {
    auto r = RunProcess(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << " " << r.err;
    EXPECT_FALSE(r.err.empty());
  }
}

}  // namespace
}  // namespace pelorin
