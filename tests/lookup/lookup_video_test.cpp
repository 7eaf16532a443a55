#include "lookup/lookup_video.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "lookup/lookup_address.h"
#include "lookup/lookup_text.h"
#include "platform/headless/memory_toolkit.h"
#include "support/gbk.h"
#include "support/map_inet.h"
#include "support/scripted_waiter.h"

namespace pelorin {
namespace {

using testing::G;
using testing::MapInet;
using testing::ScriptedWaiter;

const Text Host = "svc";

// "host/path" of the lookup address for `page`, as the fake transport files it.
std::string Key(const Text& page) { return BuildLookupAddress(page, Host).substr(7); }

std::string Answer(const std::string& img, const std::string& titleOfFirst = "片名") {
  return "<root><video><site><![CDATA[优酷]]></site><playurl><![CDATA[http://p/1]]></playurl>"
         "<img><![CDATA[" + img + "]]></img><title><![CDATA[" + titleOfFirst +
         "]]></title><ftype>mp4</ftype><furl><![CDATA[http://f/1.mp4]]></furl>"
         "<quality><![CDATA[高清]]></quality><seconds>1</seconds><size>9MB</size>"
         "<time>00:01</time></video><video><title><![CDATA[B]]></title><ftype>flv</ftype>"
         "</video></root>";
}

class LookupVideoTest : public ::testing::Test {
 protected:
  MapInet inet;
  ScriptedWaiter waiter;
  WebAccess web{inet, waiter};
  MemoryToolkit toolkit;

  void SetUp() override {
    toolkit.editText = "http://v.example.com/1";
    toolkit.rows = {{"old", "", "", "", "", "", ""}};
    toolkit.label = "start";
  }
  LookupOutcome Run() { return LookupVideo(toolkit, web, Host); }
  long Count(const std::string& operation) {
    return std::count(toolkit.log.begin(), toolkit.log.end(), operation);
  }
};

TEST_F(LookupVideoTest, FillsRowsThumbnailAndLabel) {
  inet.Answer(Key(toolkit.editText), Answer("http://img/1.jpg"));
  inet.Answer("img/1.jpg", "JPEGBYTES");
  const LookupOutcome outcome = Run();
  EXPECT_STREQ(outcome.status, "VideosFound");
  // The list is emptied before anything is sent, and the label changes once, at the end.
  EXPECT_EQ(toolkit.log.front(), "DeleteAllRows");
  EXPECT_EQ(toolkit.log.back(), "SetLabelCaption");
  EXPECT_EQ(Count("SetLabelCaption"), 1);
  EXPECT_EQ(inet.Requested(), (std::vector<std::string>{Key(toolkit.editText), "img/1.jpg"}));
  EXPECT_EQ(toolkit.picture.Data(), "JPEGBYTES");
  ASSERT_EQ(toolkit.rows.size(), 2u);
  EXPECT_EQ(toolkit.rows[0], (std::vector<Text>{G("片名.mp4"), "http://f/1.mp4", G("优酷"),
                                                G("高清"), "9MB", "00:01", "http://p/1"}));
  EXPECT_EQ(toolkit.rows[1][0], "B.flv");
  EXPECT_EQ(toolkit.rows[1][2], G("优酷"));
  EXPECT_EQ(toolkit.label, G("片名.mp4"));
}

TEST_F(LookupVideoTest, EveryOutcomeWithoutRowsShowsNotFoundAndKeepsThePicture) {
  struct Case {
    const char* name;
    bool answered;
    std::string body;
    const char* status;
  };
  const Case cases[] = {
      {"Unreachable", false, "", "Empty"},
      {"EmptyBody", true, "", "Empty"},
      {"NotUtf8", true, "<root><video>\xB0\xA1", "Empty"},
      {"OneCharacterOutsideGbk", true, Answer("http://img/1.jpg") + "\xF0\x9F\x98\x80", "Empty"},
      {"NoVideo", true, "<root></root>", "NoVideo"},
      {"ErrorPage", true, "<html>502</html>", "TooFewPieces"},
      {"ZeroByteHidesBlocks", true, std::string("<root></root>\0<video>", 21), "NoVideo"},
  };
  for (const Case& c : cases) {
    MapInet caseInet;
    WebAccess caseWeb(caseInet, waiter);
    MemoryToolkit window;
    window.editText = "http://v.example.com/2";
    window.rows = {{"old", "", "", "", "", "", ""}};
    if (c.answered) caseInet.Answer(Key(window.editText), c.body);
    const LookupOutcome outcome = LookupVideo(window, caseWeb, Host);
    EXPECT_STREQ(outcome.status, c.status) << c.name;
    EXPECT_EQ(window.label, NotFoundMessage()) << c.name;
    EXPECT_TRUE(window.rows.empty()) << c.name;
    EXPECT_FALSE(window.pictureSet) << c.name;  // the previous thumbnail stays
    EXPECT_EQ(caseInet.Requested().size(), 1u) << c.name;
  }
}

TEST_F(LookupVideoTest, MissingImageAsksForTheEmptyAddressAndClearsThePicture) {
  inet.Answer(Key(toolkit.editText),
              "<root><video><title><![CDATA[]]></title></video></root>");
  Run();
  EXPECT_EQ(inet.Requested().size(), 2u);
  EXPECT_EQ(inet.Requested()[1], "/");  // the empty address: no host, path "/"
  EXPECT_TRUE(toolkit.pictureSet);
  EXPECT_TRUE(toolkit.picture.Empty());
  EXPECT_EQ(toolkit.label, ".");  // a first block without title and type
}

TEST_F(LookupVideoTest, EmptyEditBoxStillAsksForTheRewrittenSchemeAlone) {
  toolkit.editText.clear();
  Run();
  EXPECT_EQ(inet.Requested().at(0), "svc/url/" + Base64Encode(Bytes(std::string("http:##"))) + "=");
  EXPECT_EQ(toolkit.label, NotFoundMessage());
}

TEST_F(LookupVideoTest, NestedLookupInsideTheWaitRunsFirstAndOuterAppendsAfterIt) {
  const Text outerPage = "http://v.example.com/outer";
  const Text innerPage = "http://v.example.com/inner";
  inet.Answer(Key(outerPage), Answer("http://img/o.jpg", "Outer"));
  inet.Answer(Key(innerPage), Answer("http://img/i.jpg", "Inner"));
  toolkit.editText = outerPage;
  waiter.script = {WaitResult::Woken};  // window input during the outer's first wait...
  waiter.onDispatch = [&] {            // ...is a second click on the button
    toolkit.editText = innerPage;
    LookupVideo(toolkit, web, Host);
  };
  Run();
  ASSERT_EQ(toolkit.rows.size(), 4u);
  EXPECT_EQ(toolkit.rows[0][0], "Inner.mp4");
  EXPECT_EQ(toolkit.rows[2][0], "Outer.mp4");  // not emptied again: appended after
  EXPECT_EQ(toolkit.label, "Inner.mp4");       // the first row's name, whoever put it there
  EXPECT_EQ(Count("DeleteAllRows"), 2);
}

TEST_F(LookupVideoTest, WindowClosedDuringTheWaitTouchesNoControlAfterIt) {
  inet.Answer(Key(toolkit.editText), Answer("http://img/1.jpg"));
  waiter.script = {WaitResult::Woken};
  waiter.onDispatch = [&] { toolkit.alive = false; };
  const LookupOutcome outcome = Run();
  EXPECT_STREQ(outcome.status, "WindowClosed");
  EXPECT_EQ(toolkit.log, (std::vector<std::string>{"DeleteAllRows", "EditText"}));
}

TEST_F(LookupVideoTest, SecondLookupHoldsOnlyItsOwnRows) {
  inet.Answer(Key(toolkit.editText), Answer("http://img/1.jpg"));
  Run();
  toolkit.editText = "http://v.example.com/none";
  inet.Answer(Key(toolkit.editText), "<root></root>");
  toolkit.picture = Bytes(std::string("first thumbnail"));
  toolkit.pictureSet = false;
  Run();
  EXPECT_TRUE(toolkit.rows.empty());
  EXPECT_EQ(toolkit.picture.Data(), "first thumbnail");
  EXPECT_FALSE(toolkit.pictureSet);
}

}  // namespace
}  // namespace pelorin
