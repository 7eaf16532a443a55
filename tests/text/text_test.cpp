#include "text/text.h"

#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/encoding.h"

namespace pelorin {
namespace {

using testing::G;

struct SearchCase {
  const char* name;
  std::string text;
  std::string pattern;
  int start;
  bool ignoreCase;
  int expected;
};

class SearchTextTest : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchTextTest, FindsFirstMatchOnACharacterStart) {
  const SearchCase& c = GetParam();
  EXPECT_EQ(SearchText(c.text, c.pattern, c.start, c.ignoreCase), c.expected)
      << "text=" << c.text << " pattern=" << c.pattern << " start=" << c.start;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchTextTest,
    ::testing::Values(
        SearchCase{"FirstMatch", "abcabc", "bc", 1, false, 2},
        SearchCase{"FromStart", "abcabc", "bc", 3, false, 5},
        SearchCase{"StartBelowOneCountsAsOne", "abc", "a", -5, false, 1},
        SearchCase{"StartAtLastByte", "abc", "c", 3, false, 3},
        SearchCase{"OnePastTheEndFindsNothing", "abc", "c", 4, false, -1},
        SearchCase{"Absent", "abc", "d", 1, false, -1},
        SearchCase{"CaseSensitiveByDefault", "ABC", "b", 1, false, -1},
        SearchCase{"IgnoreCaseFoldsAscii", "xAcCePt: ", "accept: ", 1, true, 2},
        SearchCase{"EmptyPatternGivesStart", "abc", "", 2, false, 2},
        SearchCase{"EmptyPatternOnEmptyText", "", "", 1, false, -1},
        SearchCase{"EmptyPatternPastEnd", "abc", "", 4, false, -1},
        SearchCase{"EmptyText", "", "a", 1, false, -1},
        // "\xB0\xA1" is 啊: its trail byte 0xA1 followed by 0xB0 0xA1 must not match "\xA1\xB0".
        SearchCase{"NeverStartsOnTrailByte", "\xB0\xA1\xB0\xA1", "\xA1\xB0", 1, false, -1},
        SearchCase{"TrailByteInAsciiRange", "\x81@x@", "@", 1, false, 4},
        SearchCase{"DoubleByteMatch", "ab\xB0\xA1\xB0\xA1", "\xB0\xA1", 3, false, 3},
        SearchCase{"StartOnTrailByteShiftsCharacters", "ab\xB0\xA1\xB0\xA1", "\xB0\xA1", 4, false, -1},
        SearchCase{"StartInsideCharacterCountsAsStart", "\xB0\xA1x", "\xA1x", 2, false, 2},
        SearchCase{"LongLeadRunEvenIsStart", "\xB0\xA1\xB0\xA1<v>", "<v>", 1, false, 5},
        SearchCase{"IgnoreCaseLeavesDoubleByteAlone", "\xB0\xA1" "ACCEPT", "accept", 1, true, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SearchTextTest, StaysLinearOnARunOfLeadBytes) {
  // Every candidate on a trail byte must not re-walk the run behind it.
  std::string text(4 * 1024 * 1024, '\xA1');
  text += "!";
  EXPECT_EQ(SearchText(text, "\xA1!"), -1);
  EXPECT_EQ(SearchText(text, "!"), static_cast<int>(text.size()));
}

TEST(TextPartsTest, BoundsFollowTheTextRules) {
  const std::string t = "abcdef";
  EXPECT_EQ(LeftPart(t, 0), "");
  EXPECT_EQ(LeftPart(t, -1), "");
  EXPECT_EQ(LeftPart(t, 2), "ab");
  EXPECT_EQ(LeftPart(t, 99), t);
  EXPECT_EQ(RightPart(t, 0), "");
  EXPECT_EQ(RightPart(t, 2), "ef");
  EXPECT_EQ(RightPart(t, 99), t);
  EXPECT_EQ(MiddlePart(t, 0, 2), "");
  EXPECT_EQ(MiddlePart(t, 7, 2), "");
  EXPECT_EQ(MiddlePart(t, 2, 0), "");
  EXPECT_EQ(MiddlePart(t, 2, 3), "bcd");
  EXPECT_EQ(MiddlePart(t, 5, 99), "ef");
}

TEST(SpacesTest, OnlyAsciiAndFullWidthSpacesCount) {
  const std::string fw = "\xA1\xA1";
  EXPECT_EQ(TrimSpaces(" " + fw + "a b" + fw + " "), "a b");
  EXPECT_EQ(TrimSpaces("\ta\r\n"), "\ta\r\n");
  EXPECT_EQ(TrimSpaces(fw + fw), "");
  EXPECT_EQ(RemoveAllSpaces(" a" + fw + "b c\t"), "abc\t");
  // The trail byte of 啊 (B0 A1) next to a lone A1 is no full-width space.
  EXPECT_EQ(TrimSpaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
  EXPECT_EQ(RemoveAllSpaces("\xB0\xA1\xA1"), "\xB0\xA1\xA1");
}

TEST(CaseTest, AsciiLettersOnly) {
  // 丁 is 0xB6 0xA1; the GBK character 0x81 0x61 has a trail byte that looks like 'a'.
  EXPECT_EQ(AsciiUpper("abc\x81" "a\xB6\xA1z"), "ABC\x81" "a\xB6\xA1Z");
  EXPECT_EQ(AsciiLower("ABC\x81" "A\xB6\xA1Z"), "abc\x81" "A\xB6\xA1z");
}

TEST(BytesTest, TextEndsAtFirstZeroByte) {
  EXPECT_EQ(TextOfBytes(Bytes(std::string("ab\0cd", 5))), "ab");
  EXPECT_EQ(BytesOfText("ab").Size(), 2u);
}

struct ConversionCase {
  const char* name;
  std::string utf8;
  bool converts;
};

class Utf8ToGbkTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Utf8ToGbkTest, AllOrNothing) {
  const ConversionCase& c = GetParam();
  Bytes out = Utf8ToGbk(Bytes(c.utf8));
  EXPECT_EQ(!out.Empty(), c.converts) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToGbkTest,
    ::testing::Values(ConversionCase{"Ascii", "hello", true},
                      ConversionCase{"Chinese", "优酷网", true},
                      ConversionCase{"Empty", "", false},
                      ConversionCase{"InvalidByte", "ab\xFF" "cd", false},
                      ConversionCase{"TruncatedSequence", "ab\xE4\xBC", false},
                      ConversionCase{"Overlong", "\xC0\xAF", false},
                      ConversionCase{"OutsideGbkEmoji", "ok \xF0\x9F\x98\x80", false},
                      ConversionCase{"OutsideGbkOneCharAmongMany", "优酷网\xE0\xB8\x81优酷", false},
                      ConversionCase{"ZeroByteKept", std::string("a\0b", 3), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EncodingTest, RoundTripsChinese) {
  const Text gbk = G("土豆网 abc");
  EXPECT_EQ(gbk, "\xCD\xC1\xB6\xB9\xCD\xF8 abc");
  EXPECT_EQ(Utf8OfGbk(gbk), "土豆网 abc");
}

TEST(EncodingTest, InvalidGbkBecomesReplacementCharacter) {
  EXPECT_EQ(Utf8OfGbk("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf8OfGbk("a\xB0"), "a\xEF\xBF\xBD");  // lead byte at the very end
  EXPECT_EQ(Utf8OfGbk(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(EncodingTest, LargeInputConvertsWhole) {
  std::string utf8;
  for (int i = 0; i < 100000; ++i) utf8 += "视频abc";
  Bytes gbk = Utf8ToGbk(Bytes(utf8));
  EXPECT_EQ(gbk.Size(), 100000u * 7);
  EXPECT_EQ(Utf8OfGbk(gbk.View()), utf8);
}

}  // namespace
}  // namespace pelorin
