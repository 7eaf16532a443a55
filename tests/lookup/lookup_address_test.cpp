#include "lookup/lookup_address.h"

#include <gtest/gtest.h>

#include "support/gbk.h"

namespace pelorin {
namespace {

struct Base64Case {
  std::string input;
  std::string expected;
};

TEST(Base64EncodeTest, MatchesRfc4648Vectors) {
  const Base64Case cases[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
      {std::string("\0\0\0", 3), "AAAA"}, {"\xFF\xFF\xFE", "///+"}, {"\xFB\xEF", "++8="},
  };
  for (const Base64Case& c : cases) {
    EXPECT_EQ(Base64Encode(Bytes(c.input)), c.expected) << "input=" << c.input;
  }
}

struct AddressCase {
  const char* name;
  std::string page;
  std::string rewritten;  // what is Base64-encoded
};

class BuildLookupAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(BuildLookupAddressTest, RewritesSchemeAndAppendsEquals) {
  const AddressCase& c = GetParam();
  const Text expected =
      "http://svc.test:81/url/" + Base64Encode(Bytes(c.rewritten)) + "=";
  EXPECT_EQ(BuildLookupAddress(c.page, "svc.test:81"), expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildLookupAddressTest,
    ::testing::Values(
        AddressCase{"Plain", "http://v.example.com/1.html", "http:##v.example.com/1.html"},
        AddressCase{"Empty", "", "http:##"},
        AddressCase{"SevenBytes", "http://", "http:##"},
        AddressCase{"Short", "abc", "http:##"},
        AddressCase{"EightByteSchemeKeepsSlash", "https://a.b/c", "http:##/a.b/c"},
        AddressCase{"LeadingSpaceShiftsTheCut", " http://a.b", "http:##/a.b"},
        AddressCase{"ChineseCountsTwoBytes", "\xD3\xC5\xBF\xE1\xCD\xF8\xCA\xD3\xC6\xB5",
                    "http:##\xD3\xC6\xB5"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BuildLookupAddressTest, EqualsCountFollowsRewrittenLength) {
  // rewritten length n: n mod 3 == 1 -> "===", 2 -> "==", 0 -> "=".
  auto tailEquals = [](const Text& address) {
    return address.size() - address.find_last_not_of('=') - 1;
  };
  EXPECT_EQ(tailEquals(BuildLookupAddress("http://", "h")), 3u);            // n = 7
  EXPECT_EQ(tailEquals(BuildLookupAddress("http://a", "h")), 2u);           // n = 8
  EXPECT_EQ(tailEquals(BuildLookupAddress("http://ab", "h")), 1u);          // n = 9
}

TEST(BuildLookupAddressTest, SlashesOfBase64StayUnescaped) {
  // "http:##" + "\xFF\xFF\xFF..." encodes to text holding "/".
  const Text address = BuildLookupAddress("http://\xFF\xFF\xFF\xFF\xFF\xFF", "h");
  EXPECT_EQ(address.rfind("http://h/url/", 0), 0u);
  EXPECT_NE(address.find("//", 13), Text::npos);
  EXPECT_EQ(address.find('%'), Text::npos);
}

TEST(BuildLookupAddressTest, DefaultHostIsCompiledIn) {
  EXPECT_FALSE(ResolverHost().empty());
  EXPECT_EQ(BuildLookupAddress("x"), BuildLookupAddress("x", ResolverHost()));
  EXPECT_FALSE(ExamplePageAddress().empty());
}

}  // namespace
}  // namespace pelorin
