// pelorin-cli lookup: the whole road of a lookup without a window, against a local service.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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

// A resolving service that knows one page, plus its thumbnail.
class Service {
 public:
  Service()
      : server_([this](ServerConnection& c, const std::string& request) {
          const std::string line = request.substr(0, request.find("\r\n"));
          if (line.find(" /thumb.jpg ") != std::string::npos) {
            c.Send(HttpReply(200, "", "\xFF\xD8thumbnail"));
          } else if (line.find(" /url/" + known_ + " ") != std::string::npos) {
            c.Send(HttpReply(200, "", answer_));
          } else {
            c.Send(HttpReply(200, "", "<root></root>"));
          }
        }) {
    answer_ = "<root><video><site><![CDATA[站]]></site><playurl><![CDATA[http://p/1]]></playurl>"
              "<img><![CDATA[" + server_.Url("/thumb.jpg") + "]]></img><title><![CDATA[片]]>"
              "</title><ftype>mp4</ftype><furl><![CDATA[http://f/1]]></furl></video></root>";
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(server_.Port()); }
  ScriptedServer& Server() { return server_; }

 private:
  // base64("http:##v.example.com/known") and the extra "=".
  const std::string known_ = "aHR0cDojI3YuZXhhbXBsZS5jb20va25vd24==";
  std::string answer_;
  ScriptedServer server_;
};

TEST(CliLookupTest, RowsJsonAndThumbnail) {
  Service service;
  const auto thumbnail =
      std::filesystem::temp_directory_path() / ("pelorin_thumb_" + std::to_string(::getpid()));
  auto r = RunProcess({Cli, "lookup", "--resolver", service.Host(), "--json", "--thumbnail",
                       thumbnail.string(), "http://v.example.com/known"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["status"], "VideosFound");
  EXPECT_EQ(doc["rows"].size(), 1u);
  EXPECT_EQ(doc["rows"][0]["name"], "片.mp4");
  EXPECT_EQ(doc["rows"][0]["site"], "站");
  EXPECT_EQ(testing::ReadFileBytes(thumbnail), "\xFF\xD8thumbnail");
  std::filesystem::remove(thumbnail);
  // The same as tab-separated rows, and the two requests in order.
  auto plain = RunProcess({Cli, "lookup", "--resolver", service.Host(), "http://v.example.com/known"});
  EXPECT_EQ(plain.out, "片.mp4\thttp://f/1\t站\t\t\t\thttp://p/1\n");
  auto requests = service.Server().Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[2].rfind("GET /url/aHR0cDojI3YuZXhhbXBsZS5jb20va25vd24== HTTP/1.1\r\n", 0), 0u);
  EXPECT_EQ(requests[3].rfind("GET /thumb.jpg HTTP/1.1\r\n", 0), 0u);
}

TEST(CliLookupTest, UnknownPageAndUnreachableServiceExitOne) {
  Service service;
  auto unknown = RunProcess({Cli, "lookup", "--resolver", service.Host(), "http://v/other"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("未找到视频"), std::string::npos);
  int port;
  {
    ScriptedServer closed([](ServerConnection&, const std::string&) {});
    port = closed.Port();
  }
  auto refused = RunProcess({Cli, "lookup", "--json", "--resolver",
                             "127.0.0.1:" + std::to_string(port), "http://v/x"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(refused.out)["status"], "Empty");
  EXPECT_EQ(RunProcess({Cli, "lookup"}).exitCode, 2);
}

}  // namespace
}  // namespace pelorin
