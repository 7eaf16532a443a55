// pelorin-cli address and read, run as a user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/run_process.h"

namespace pelorin {
namespace {

using testing::RunProcess;

const std::string Cli = PELORIN_CLI_PATH;
const std::string NotFoundUtf8 = "未找到视频，请确认此视频是否为收费视频，我们不解析收费视频。";

const std::string SampleAnswer =
    "<root><video><site><![CDATA[优酷]]></site><playurl><![CDATA[http://p/1]]></playurl>"
    "<img><![CDATA[http://i/1.jpg]]></img><title><![CDATA[片名]]></title><ftype>mp4</ftype>"
    "<furl><![CDATA[http://f/1.mp4]]></furl><quality><![CDATA[高清]]></quality>"
    "<seconds>60</seconds><size>9MB</size><time>00:01:00</time></video>"
    "<video><title><![CDATA[第二]]></title><ftype>flv</ftype></video></root>";

TEST(CliAddressTest, PrintsLookupAddress) {
  auto r = RunProcess({Cli, "address", "--resolver", "svc:81", "http://v.example.com/1"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // base64("http:##v.example.com/1") followed by the extra "=".
  EXPECT_EQ(r.out, "http://svc:81/url/aHR0cDojI3YuZXhhbXBsZS5jb20vMQ===\n");
}

TEST(CliAddressTest, ChineseIsEncodedAsGbk) {
  auto r = RunProcess({Cli, "address", "--resolver", "h", "http://视"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // "http:##" + GBK 视 (CA D3) -> aHR0cDojI8rT, then "=" padding and the extra "=".
  EXPECT_EQ(r.out, "http://h/url/aHR0cDojI8rT=\n");
}

TEST(CliAddressTest, UsageErrors) {
  EXPECT_EQ(RunProcess({Cli, "address"}).exitCode, 2);
  EXPECT_EQ(RunProcess({Cli}).exitCode, 2);
  EXPECT_EQ(RunProcess({Cli, "frobnicate"}).exitCode, 2);
  auto notGbk = RunProcess({Cli, "address", "http://x/\xF0\x9F\x98\x80"});
  EXPECT_EQ(notGbk.exitCode, 2);
  EXPECT_NE(notGbk.err.find("GBK"), std::string::npos);
  EXPECT_EQ(RunProcess({Cli, "address", "http://x/\xFF"}).exitCode, 2);
}

TEST(CliReadTest, TabSeparatedRowsFromStandardInput) {
  auto r = RunProcess({Cli, "read"}, SampleAnswer);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "片名.mp4\thttp://f/1.mp4\t优酷\t高清\t9MB\t00:01:00\thttp://p/1\n"
            "第二.flv\t\t优酷\t\t\t\thttp://p/1\n");
  EXPECT_EQ(r.err, "");
}

TEST(CliReadTest, JsonFromFileMatchesStandardInput) {
  const auto path = std::filesystem::temp_directory_path() / "pelorin_cli_read_test.xml";
  std::ofstream(path, std::ios::binary) << SampleAnswer;
  auto fromFile = RunProcess({Cli, "read", "--json", path.string()});
  auto fromDash = RunProcess({Cli, "read", "--json", "-"}, SampleAnswer);
  std::filesystem::remove(path);
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, fromDash.out);
  auto doc = nlohmann::json::parse(fromFile.out);
  EXPECT_EQ(doc["status"], "VideosFound");
  EXPECT_EQ(doc["thumbnail"], "http://i/1.jpg");
  ASSERT_EQ(doc["rows"].size(), 2u);
  EXPECT_EQ(doc["rows"][0]["name"], "片名.mp4");
  EXPECT_EQ(doc["rows"][0]["quality"], "高清");
  EXPECT_EQ(doc["rows"][1]["site"], "优酷");
  EXPECT_EQ(doc["rows"][1]["page"], "http://p/1");
}

struct NotFoundCase {
  const char* name;
  std::string input;
  const char* status;
};

TEST(CliReadTest, AnswersWithoutRowsExitOneWithTheMessage) {
  const NotFoundCase cases[] = {
      {"Empty", "", "Empty"},
      {"NoVideo", "<root></root>", "NoVideo"},
      {"ErrorPage", "<html>oops</html>", "TooFewPieces"},
      {"NotUtf8", "<root><video>\xB0\xA1</video>", "Empty"},
      {"OutsideGbk", SampleAnswer + "\xF0\x9F\x98\x80", "Empty"},
      {"ZeroByteHidesTheRest", std::string("<root></root>\0<video>x", 22), "NoVideo"},
      {"LeadingZeroByte", std::string("\0<video>x", 9), "TooFewPieces"},
  };
  for (const NotFoundCase& c : cases) {
    auto r = RunProcess({Cli, "read", "--json"}, c.input);
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_EQ(r.err, NotFoundUtf8 + "\n") << c.name;
    auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["status"], c.status) << c.name;
    EXPECT_TRUE(doc["rows"].empty()) << c.name;
    auto plain = RunProcess({Cli, "read"}, c.input);
    EXPECT_EQ(plain.exitCode, 1) << c.name;
    EXPECT_EQ(plain.out, "") << c.name;
  }
}

TEST(CliReadTest, UnreadableFileIsAUsageError) {
  auto r = RunProcess({Cli, "read", "/nonexistent/answer.xml"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
  auto dir = RunProcess({Cli, "read", "/"});
  EXPECT_EQ(dir.exitCode, 2);
}

}  // namespace
}  // namespace pelorin

namespace pelorin {
namespace {

TEST(CliAddressTest, EveryByteValueEitherBuildsAnAddressOrIsRefusedClearly) {
  for (int byte = 1; byte < 256; ++byte) {
    auto r = RunProcess({Cli, "address", "--resolver", "h", "http://x/" + std::string(1, static_cast<char>(byte))});
    if (byte < 0x80) {
      ASSERT_EQ(r.exitCode, 0) << byte << r.err;
      // Only Base64 characters follow the fixed start: no byte of the page reaches the path.
      const std::string tail = r.out.substr(13, r.out.size() - 14);
      EXPECT_EQ(tail.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                std::string::npos) << byte;
    } else {
      EXPECT_EQ(r.exitCode, 2) << byte;  // a lone byte of 0x80 or more is not UTF-8
      EXPECT_FALSE(r.err.empty()) << byte;
    }
  }
}

}  // namespace
}  // namespace pelorin
