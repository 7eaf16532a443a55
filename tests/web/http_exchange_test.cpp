#include "web/http_exchange.h"

#include <gtest/gtest.h>

#include "support/fake_inet.h"

namespace pelorin {
namespace {

using testing::FakeInet;

struct Request {
  Text address = "http://Host.Test:8080/p?q=1";
  Text method, proxy, userName, password, userAgent, extraHeaders, body, cookies;
  bool storeCookies = true;
  bool followRedirects = true;
};

RequestRecord RecordOf(const Request& r) {
  RequestRecord record;
  record.Write({Text(RequestTag), r.address, r.method, r.proxy, r.userName, r.password,
                r.userAgent, r.extraHeaders, r.body, r.cookies, r.storeCookies,
                r.followRedirects});
  return record;
}

const Text DefaultHeaders = Text(DefaultAcceptLine) +
                            "Referer: http://Host.Test:8080/p?q=1\r\n"
                            "Accept-Language: zh-cn\r\n";

TEST(HttpExchangeTest, DefaultRequestCallsInOrderAndClosesNewestFirst) {
  FakeInet inet;
  inet.bodyPieces = {std::string(700, 'x'), "tail"};
  inet.rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
  RequestRecord record = RecordOf({});
  ASSERT_TRUE(HttpExchange(&record, inet));
  const std::vector<std::string> expected = {
      "Open(Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0), 1, null)",
      "Connect(1, host.test, 8080, null, null, 3)",
      "OpenRequest(2, null, /p?q=1, HTTP/1.1, 0x80000000)",
      "SendRequest(3, " + std::to_string(DefaultHeaders.size()) + ", null, 0)",
      "QueryRawHeaders(1024)",
      "CloseHandle(3)",
      "CloseHandle(2)",
      "CloseHandle(1)",
  };
  EXPECT_EQ(inet.calls, expected);
  EXPECT_EQ(inet.sentHeaders, DefaultHeaders);
  EXPECT_EQ(inet.reads, 4);  // 512 + 188 + 4, then the empty read

  Text tag, rawHeaders, cookies = "unchanged";
  Bytes body;
  EXPECT_EQ(record.Read(tag, rawHeaders, body, cookies), 3u);  // no Set-Cookie: three fields
  EXPECT_EQ(tag, "Vexlorn_OK");
  EXPECT_EQ(rawHeaders, "HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_EQ(body.Data(), std::string(700, 'x') + "tail");
}

TEST(HttpExchangeTest, GivenTextsPassedUntrimmedSpacesOnlyCountAsNotGiven) {
  FakeInet inet;
  Request r;
  r.proxy = " p:1 ";
  r.userName = " u ";
  r.password = "\xA1\xA1";  // a full-width space alone
  r.userAgent = "  ";
  r.cookies = " a=1; ";
  r.followRedirects = false;
  RequestRecord record = RecordOf(r);
  ASSERT_TRUE(HttpExchange(&record, inet));
  EXPECT_EQ(inet.calls[0], "Open(Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0), 3, http= p:1 )");
  EXPECT_EQ(inet.calls[1], "Connect(1, host.test, 8080,  u , null, 3)");
  EXPECT_EQ(inet.flags, InetFlagReload | InetFlagNoCookies | InetFlagNoAutoRedirect);
  // The cookie line goes through add-headers, untrimmed, never into the header text.
  EXPECT_EQ(inet.calls[3], "AddRequestHeaders(3, Cookie:  a=1; \r\n)");
  EXPECT_EQ(inet.sentHeaders.find("Cookie"), std::string::npos);
}

struct HeaderCase {
  const char* name;
  std::string method;
  std::string extraHeaders;
  std::string body;
  std::string expectedHeaders;
  bool bodySent;
};

TEST(HttpExchangeTest, HeaderCompositionAndPostRules) {
  const std::string referer = "Referer: http://Host.Test:8080/p?q=1\r\n";
  const std::string language = "Accept-Language: zh-cn\r\n";
  const std::string accept = DefaultAcceptLine;
  const std::string form = "Content-Type: application/x-www-form-urlencoded\r\n";
  const HeaderCase cases[] = {
      {"PostWithBody", "POST", "", "a=1", accept + referer + language + form + "Content-Length: 3\r\n", true},
      {"LowerCasePostIsPost", "post", "", "a=1", accept + referer + language + form + "Content-Length: 3\r\n", true},
      {"PostEmptyBody", "POST", "", "", accept + referer + language, false},
      {"GetIgnoresBody", "GET", "", "a=1", accept + referer + language, false},
      {"PutIgnoresBody", "PUT", "", "a=1", accept + referer + language, false},
      {"AcceptAnyCaseSuppressesDefault", "", "aCCEPT: x\r\n", "", "aCCEPT: x\r\n" + referer + language, false},
      {"AcceptWithoutSpaceDoesNot", "", "Accept:x\r\n", "", "Accept:x\r\n" + accept + referer + language, false},
      {"OwnRefererAndLanguage", "", "Referer: r\r\nAccept-Language: en\r\n", "", "Referer: r\r\nAccept-Language: en\r\n" + accept, false},
      {"OwnContentTypeKept", "POST", "Content-Type: text/plain\r\n", "b", "Content-Type: text/plain\r\n" + accept + referer + language + "Content-Length: 1\r\n", true},
      {"OwnLengthGivesTwo", "POST", "Content-Length: 9\r\n", "b", "Content-Length: 9\r\n" + accept + referer + language + form + "Content-Length: 1\r\n", true},
  };
  for (const HeaderCase& c : cases) {
    FakeInet inet;
    Request r;
    r.method = c.method;
    r.extraHeaders = c.extraHeaders;
    r.body = c.body;
    RequestRecord record = RecordOf(r);
    ASSERT_TRUE(HttpExchange(&record, inet)) << c.name;
    EXPECT_EQ(inet.sentHeaders, c.expectedHeaders) << c.name;
    EXPECT_EQ(!inet.sentBodyIsNull, c.bodySent) << c.name;
    if (c.bodySent) {
      EXPECT_EQ(inet.sentBody, c.body) << c.name;
    }
    // The verb reaches the client as written.
    EXPECT_NE(inet.calls[2].find(c.method.empty() ? "null" : c.method), std::string::npos) << c.name;
  }
}

TEST(HttpExchangeTest, FailuresCloseWhatWasOpenedAndLeaveTheRecordEmpty) {
  struct FailCase {
    const char* name;
    bool open, connect, request;
    std::vector<std::string> closes;
  };
  const FailCase cases[] = {
      {"Session", true, false, false, {}},
      {"Connection", false, true, false, {"CloseHandle(1)"}},
      {"Request", false, false, true, {"CloseHandle(2)", "CloseHandle(1)"}},
  };
  for (const FailCase& c : cases) {
    FakeInet inet;
    inet.failOpen = c.open;
    inet.failConnect = c.connect;
    inet.failOpenRequest = c.request;
    RequestRecord record = RecordOf({});
    EXPECT_FALSE(HttpExchange(&record, inet)) << c.name;
    EXPECT_EQ(record.FieldCount(), 0u) << c.name;
    std::vector<std::string> closes;
    for (const std::string& call : inet.calls) {
      if (call.rfind("CloseHandle", 0) == 0) closes.push_back(call);
    }
    EXPECT_EQ(closes, c.closes) << c.name;
  }
}

TEST(HttpExchangeTest, NoRecordOrWrongTagLeavesRecordUntouched) {
  FakeInet inet;
  EXPECT_FALSE(HttpExchange(nullptr, inet));
  RequestRecord record;
  record.Write({Text("Other"), Text("x")});
  EXPECT_FALSE(HttpExchange(&record, inet));
  EXPECT_EQ(record.FieldCount(), 2u);
  EXPECT_TRUE(inet.calls.empty());
}

TEST(HttpExchangeTest, UnreachableServerLeavesSpacesAsRawHeaders) {
  FakeInet inet;
  inet.headersWritten = false;
  RequestRecord record = RecordOf({});
  ASSERT_TRUE(HttpExchange(&record, inet));
  Text tag, rawHeaders;
  Bytes body;
  record.Read(tag, rawHeaders, body);
  EXPECT_EQ(tag, "Vexlorn_OK");
  EXPECT_EQ(rawHeaders, std::string(1024, ' '));
  EXPECT_TRUE(body.Empty());
}

TEST(HttpExchangeTest, LongRawHeadersComeBackWholeWithTheirCookies) {
  FakeInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nX-Long: " + std::string(3000, 'a') +
                    "\r\nSet-Cookie: s=1; path=/\r\n\r\n";
  RequestRecord record = RecordOf({});
  ASSERT_TRUE(HttpExchange(&record, inet));
  Text tag, rawHeaders, cookies;
  Bytes body;
  EXPECT_EQ(record.Read(tag, rawHeaders, body, cookies), 4u);
  EXPECT_EQ(rawHeaders, inet.rawHeaders);
  EXPECT_EQ(cookies, "s=1;");
}

TEST(HttpExchangeTest, CookiesCollectedAndStoredWithAttributes) {
  FakeInet inet;
  inet.rawHeaders =
      "HTTP/1.1 200 OK\r\n"
      "Set-Cookie: a=1; path=/; HttpOnly\r\n"
      "set-cookie: b=2\r\n"                       // small letters count; no ";" keeps the pair
      "Set-Cookie:c=3\r\n"                        // no space after the colon: not collected
      "X-Note: see Set-Cookie: d=4\r\n"           // marker inside a value: first 12 bytes go
      "Set-Cookie: =e\r\n"                        // no name
      "\r\n";
  RequestRecord record = RecordOf({});
  ASSERT_TRUE(HttpExchange(&record, inet));
  Text tag, rawHeaders, cookies;
  Bytes body;
  record.Read(tag, rawHeaders, body, cookies);
  EXPECT_EQ(cookies, "a=1;b=2;Set-Cookie: d=4;=e;");
  const std::vector<std::string> stored = {
      "http://host.test|a|1; path=/; HttpOnly",
      "http://host.test|b|2",
      "http://host.test|Set-Cookie: d|4",
      "http://host.test|null|e",
  };
  EXPECT_EQ(inet.cookiesSet, stored);
}

TEST(HttpExchangeTest, StoreCookiesFalseCollectsWithoutStoring) {
  FakeInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
  Request r;
  r.storeCookies = false;
  RequestRecord record = RecordOf(r);
  ASSERT_TRUE(HttpExchange(&record, inet));
  EXPECT_TRUE(inet.cookiesSet.empty());
  EXPECT_EQ(record.FieldCount(), 4u);
}

TEST(HttpExchangeTest, CancelledExchangeStoresNoCookies) {
  FakeInet inet;
  inet.rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n";
  CancelSignal cancel;
  cancel.Cancel();
  RequestRecord record = RecordOf({});
  ASSERT_TRUE(HttpExchange(&record, inet, &cancel));
  EXPECT_TRUE(inet.cookiesSet.empty());
}

TEST(CollectCookiesTest, LineRules) {
  struct Case {
    const char* name;
    std::string raw;
    std::string expected;
  };
  const Case cases[] = {
      {"ByteTwentySixEndsText", "Set-Cookie: a=1\r\n\x1ASet-Cookie: b=2\r\n", "a=1;"},
      {"LastLineWithoutLineFeed", "Set-Cookie: a=1", "a=1;"},
      {"LoneCarriageReturnStays", "Set-Cookie: a=1\r", "a=1\r;"},
      {"EmptyValue", "Set-Cookie: \r\n", ";"},
  };
  for (const Case& c : cases) EXPECT_EQ(CollectCookies(c.raw, nullptr), c.expected) << c.name;
}

TEST(CookiePairTest, BeforeFirstSemicolonOrWhole) {
  EXPECT_EQ(CookiePair("a=1; path=/"), "a=1");
  EXPECT_EQ(CookiePair("a=1"), "a=1");
  EXPECT_EQ(CookiePair(";x"), "");
}

}  // namespace
}  // namespace pelorin
