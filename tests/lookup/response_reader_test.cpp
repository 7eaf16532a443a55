#include "lookup/response_reader.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace pelorin {
namespace {

using testing::G;

std::string Cdata(const std::string& value) { return "<![CDATA[" + value + "]]>"; }

std::string Block(const std::string& title, const std::string& ftype, const std::string& furl,
                  const std::string& extra = "") {
  return "<video><site>" + Cdata("site") + "</site><playurl>" + Cdata("http://p/1") +
         "</playurl><img>" + Cdata("http://i/1.jpg") + "</img><title>" + Cdata(title) +
         "</title><ftype>" + ftype + "</ftype><furl>" + Cdata(furl) + "</furl><quality>" +
         Cdata("HD") + "</quality><seconds>60</seconds><size>9MB</size><time>00:01:00</time>" +
         extra + "</video>";
}

TEST(ReadLookupResponseTest, ReadsEveryBlockWithSharedFieldsOfTheFirst) {
  const std::string answer = "<root>" + Block(G("片名"), "mp4", "http://f/1.mp4") +
                             "<video><site>" + Cdata("other") + "</site><title>" + Cdata("B") +
                             "</title><ftype>flv</ftype><furl>" + Cdata("http://f/2") +
                             "</furl><size>1</size></video></root>";
  LookupAnswer a = ReadLookupResponse(answer);
  ASSERT_EQ(a.status, AnswerStatus::VideosFound);
  EXPECT_EQ(a.thumbnailAddress, "http://i/1.jpg");
  ASSERT_EQ(a.rows.size(), 2u);
  EXPECT_EQ(a.rows[0], (VideoRow{G("片名") + ".mp4", "http://f/1.mp4", "site", "HD", "9MB",
                                 "00:01:00", "http://p/1"}));
  // The second block names another site, but every row carries the first block's.
  EXPECT_EQ(a.rows[1], (VideoRow{"B.flv", "http://f/2", "site", "", "", "", "http://p/1"}));
}

struct StatusCase {
  const char* name;
  std::string answer;
  AnswerStatus status;
  std::size_t rows;
};

class AnswerStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(AnswerStatusTest, StatusAndRowCount) {
  const StatusCase& c = GetParam();
  LookupAnswer a = ReadLookupResponse(c.answer);
  EXPECT_EQ(a.status, c.status) << c.answer;
  EXPECT_EQ(a.rows.size(), c.rows) << c.answer;
  if (c.status != AnswerStatus::VideosFound) {
    EXPECT_TRUE(a.thumbnailAddress.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswerStatusTest,
    ::testing::Values(
        StatusCase{"Empty", "", AnswerStatus::TooFewPieces, 0},
        StatusCase{"ExactNoVideo", "<root></root>", AnswerStatus::NoVideo, 0},
        StatusCase{"NoVideoBeatsBlocks", "<root></root><video>a<video>b", AnswerStatus::NoVideo, 0},
        StatusCase{"NoVideoWithLineBreak", "<root></root>\n", AnswerStatus::TooFewPieces, 0},
        StatusCase{"NoVideoWithSpace", " <root></root>", AnswerStatus::TooFewPieces, 0},
        StatusCase{"ErrorPage", "<html>500</html>", AnswerStatus::TooFewPieces, 0},
        StatusCase{"OnlyTrailingMarker", "<root><video>", AnswerStatus::TooFewPieces, 0},
        StatusCase{"MarkerAlone", "<video>", AnswerStatus::TooFewPieces, 0},
        StatusCase{"EmptyPrologue", "<video>x", AnswerStatus::VideosFound, 1},
        StatusCase{"AdjacentMarkers", "<root><video><video>x", AnswerStatus::VideosFound, 2},
        StatusCase{"TrailingMarkerAddsNoRow", "<root><video>x<video>", AnswerStatus::VideosFound, 1},
        StatusCase{"CapitalMarkerIsNoMarker", "<root><VIDEO>x", AnswerStatus::TooFewPieces, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLookupResponseTest, EmptyBlockGivesDotAndSharedFields) {
  LookupAnswer a = ReadLookupResponse("<root>" + Block("T", "mp4", "u") + "<video></root>");
  ASSERT_EQ(a.rows.size(), 2u);
  EXPECT_EQ(a.rows[1].name, ".");
  EXPECT_EQ(a.rows[1].site, "site");
  EXPECT_EQ(a.rows[1].page, "http://p/1");
}

TEST(ReadLookupResponseTest, MarkerInsideTitleCutsTheBlock) {
  LookupAnswer a = ReadLookupResponse(
      "<root><video><title>" + Cdata("a<video>b") + "</title><ftype>mp4</ftype></video>");
  ASSERT_EQ(a.rows.size(), 2u);
  EXPECT_EQ(a.rows[0].name, ".");  // the title's closing marker went to the next block
  EXPECT_EQ(a.rows[1].name, ".mp4");
}

TEST(ReadLookupResponseTest, MarkerNeverMatchesAcrossADoubleByteCharacter) {
  // 0x81 0x3C is one GBK character whose trail byte is '<'.
  LookupAnswer a = ReadLookupResponse("x\x81<video>y");
  EXPECT_EQ(a.status, AnswerStatus::TooFewPieces);
}

TEST(ReadLookupResponseTest, SizeOnlyRightAfterSecondsEnd) {
  auto sizeOf = [](const std::string& block) {
    return ReadLookupResponse("<video>" + block).rows.at(0).size;
  };
  EXPECT_EQ(sizeOf("<seconds>1</seconds><size>5MB</size>"), "5MB");
  EXPECT_EQ(sizeOf("<seconds>1</seconds> <size>5MB</size>"), "");
  EXPECT_EQ(sizeOf("<seconds>1</seconds>\n<size>5MB</size>"), "");
  EXPECT_EQ(sizeOf("<size>5MB</size>"), "");
}

struct FieldCase {
  const char* name;
  std::string text;
  std::string expected;
};

TEST(TagContentTest, FirstOpeningThenFirstClosingAfterIt) {
  const FieldCase cases[] = {
      {"Plain", "<a>x</a>", "x"},
      {"EmptyValue", "<a></a>", ""},
      {"ClosingOnlyBefore", "</a><a>x", ""},
      {"MissingClosing", "<a>x", ""},
      {"MissingOpening", "x</a>", ""},
      {"Attributes", "<a k=1>x</a>", ""},
      {"Capitals", "<A>x</A>", ""},
      {"FirstOfTwo", "<a>1</a><a>2</a>", "1"},
      {"NestedSameName", "<a>1<a>2</a></a>", "1<a>2"},
  };
  for (const FieldCase& c : cases) EXPECT_EQ(TagContent(c.text, "a"), c.expected) << c.name;
}

TEST(StripCdataTest, FixedByteCounts) {
  const FieldCase cases[] = {
      {"Wrapped", "<![CDATA[abc]]>", "abc"},
      {"EmptySection", "<![CDATA[]]>", ""},
      {"TwelveBytes", "123456789012", ""},
      {"ShortValue", "abc", ""},
      {"NotWrappedLosesBytesAllTheSame", "0123456789abcdef", "9abc"},
      {"CutsDoubleByteInTwo", "12345678\xB0\xA1xyz", "\xA1"},
  };
  for (const FieldCase& c : cases) EXPECT_EQ(StripCdata(c.text), c.expected) << c.name;
}

}  // namespace
}  // namespace pelorin
