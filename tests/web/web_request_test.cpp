#include "web/web_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/headless/headless_wait.h"
#include "support/fake_inet.h"
#include "support/scripted_waiter.h"

namespace pelorin {
namespace {

using testing::FakeInet;
using testing::StallingInet;
using testing::ScriptedWaiter;
using namespace std::chrono_literals;

TEST(WebRequestTest, ReturnsBodyOfAPlainGet) {
  FakeInet inet;
  inet.bodyPieces = {"hello"};
  inet.rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
  ScriptedWaiter waiter;
  WebAccess access(inet, waiter);
  EXPECT_EQ(WebRequest(access, "http://host/x").Data(), "hello");
  ASSERT_EQ(waiter.timeouts.size(), 1u);
  EXPECT_EQ(waiter.timeouts[0], 90000ms);
  EXPECT_EQ(waiter.dispatches, 1);  // dispatched after the last wait too
  EXPECT_EQ(inet.calls[2], "OpenRequest(2, null, /x, HTTP/1.1, 0x80000000)");
}

TEST(WebRequestTest, TimeOutRestartsAfterEveryWakeUpAndIsDispatchedEachTime) {
  FakeInet inet;
  inet.bodyPieces = {"b"};
  ScriptedWaiter waiter;
  waiter.script = {WaitResult::Woken, WaitResult::Woken};
  WebAccess access(inet, waiter);
  WebRequestOptions options;
  options.timeoutSeconds = 5;
  EXPECT_EQ(WebRequest(access, "http://host/", options).Data(), "b");
  EXPECT_EQ(waiter.timeouts, (std::vector<std::chrono::milliseconds>{5000ms, 5000ms, 5000ms}));
  EXPECT_EQ(waiter.dispatches, 3);
}

TEST(WebRequestTest, ZeroTimeOutMeansNinetySeconds) {
  FakeInet inet;
  ScriptedWaiter waiter;
  WebAccess access(inet, waiter);
  WebRequestOptions options;
  options.timeoutSeconds = 0;
  WebRequest(access, "http://host/", options);
  EXPECT_EQ(waiter.timeouts.at(0), 90000ms);
}

TEST(WebRequestTest, GivenFalseReachesTheWorkerAsFalse) {
  FakeInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
  ScriptedWaiter waiter;
  WebAccess access(inet, waiter);
  WebRequestOptions options;
  options.storeCookies = false;
  options.followRedirects = false;
  WebRequest(access, "http://host/", options);
  EXPECT_TRUE(inet.cookiesSet.empty());
  EXPECT_EQ(inet.flags, InetFlagReload | InetFlagNoAutoRedirect);
}

TEST(WebRequestTest, TimeOutDiscardsAReplyAlreadyWritten) {
  FakeInet inet;
  inet.bodyPieces = {"late"};
  inet.rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
  ScriptedWaiter waiter;
  waiter.reportTimeOutAfterEnd = true;
  WebAccess access(inet, waiter);
  Text raw = "x";
  WebRequestOptions options;
  options.rawHeaders = &raw;
  EXPECT_TRUE(WebRequest(access, "http://host/", options).Empty());
  EXPECT_EQ(raw, "");
}

TEST(WebRequestTest, FailedWaitEndsWithEmptyResultInsteadOfLooping) {
  StallingInet inet;
  ScriptedWaiter waiter;
  waiter.script = {WaitResult::Failed};
  WebAccess access(inet, waiter);
  EXPECT_TRUE(WebRequest(access, "http://host/").Empty());
  EXPECT_EQ(waiter.timeouts.size(), 1u);
  access.Shutdown(5000ms);
  EXPECT_TRUE(inet.sawCancel);
}

TEST(WebRequestTest, StalledRequestGivenUpAfterTimeOutAndWorkerEndsByItself) {
  StallingInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
  HeadlessWaiter waiter;
  WebAccess access(inet, waiter);
  WebRequestOptions options;
  options.timeoutSeconds = 1;
  Text cookies = "  c=1  ";
  options.cookies = &cookies;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WebRequest(access, "http://host/", options).Empty());
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 1s);
  EXPECT_EQ(cookies, "c=1");
  access.Shutdown(5000ms);
  EXPECT_TRUE(inet.sawCancel);
  EXPECT_TRUE(inet.ended);
  EXPECT_TRUE(inet.cookiesSet.empty());  // the abandoned exchange stored nothing
}

TEST(WebRequestTest, RawHeadersAndTrimmedCookiesHandedBack) {
  FakeInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n";
  ScriptedWaiter waiter;
  WebAccess access(inet, waiter);
  Text raw, cookies = " old ";
  WebRequestOptions options;
  options.rawHeaders = &raw;
  options.cookies = &cookies;
  EXPECT_TRUE(WebRequest(access, "http://host/", options).Empty());  // empty body
  EXPECT_EQ(raw, inet.rawHeaders);
  EXPECT_EQ(cookies, "a=1;b=2;");  // the ";" after the last pair stays
}

TEST(WebRequestTest, SessionFailureKeepsCallersCookiesTrimmed) {
  FakeInet inet;
  inet.failOpen = true;
  ScriptedWaiter waiter;
  WebAccess access(inet, waiter);
  Text raw = "x", cookies = "\xA1\xA1 k=v \xA1\xA1";
  WebRequestOptions options;
  options.rawHeaders = &raw;
  options.cookies = &cookies;
  EXPECT_TRUE(WebRequest(access, "http://host/", options).Empty());
  EXPECT_EQ(raw, "");
  EXPECT_EQ(cookies, "k=v");
}

TEST(WebRequestTest, NestedRequestFromInsideTheWaitRunsToItsEndFirst) {
  FakeInet outerInet;
  outerInet.bodyPieces = {"outer"};
  ScriptedWaiter waiter;
  waiter.script = {WaitResult::Woken};
  WebAccess access(outerInet, waiter);
  FakeInet innerInet;  // its own transport: the outer worker may still be running
  innerInet.bodyPieces = {"inner"};
  WebAccess innerAccess(innerInet, waiter);
  std::string innerResult;
  waiter.onDispatch = [&] { innerResult = WebRequest(innerAccess, "http://host/inner").Data(); };
  EXPECT_EQ(WebRequest(access, "http://host/outer").Data(), "outer");
  EXPECT_EQ(innerResult, "inner");
  EXPECT_EQ(waiter.dispatches, 3);  // outer's first wait, the inner's wait, outer's last wait
}

}  // namespace
}  // namespace pelorin
