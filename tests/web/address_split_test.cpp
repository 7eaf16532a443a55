#include "web/address_split.h"

#include <gtest/gtest.h>

namespace pelorin {
namespace {

struct SplitCase {
  const char* name;
  std::string address;
  std::string host;
  std::string hostWithPort;
  std::string path;
  std::int32_t port;
};

class AddressSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(AddressSplitTest, HostPathPort) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(HostOfAddress(c.address), c.host) << c.address;
  EXPECT_EQ(HostOfAddress(c.address, true), c.hostWithPort) << c.address;
  EXPECT_EQ(PathOfAddress(c.address), c.path) << c.address;
  EXPECT_EQ(PortOfAddress(c.address), c.port) << c.address;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddressSplitTest,
    ::testing::Values(
        SplitCase{"Plain", "http://Example.COM/a/B?q=1#f", "example.com", "example.com",
                  "/a/B?q=1#f", 80},
        SplitCase{"Port", "http://host:8080/x", "host", "host:8080", "/x", 8080},
        SplitCase{"NoScheme", "host.test/p", "host.test", "host.test", "/p", 80},
        SplitCase{"NothingAfterHost", "http://host", "host", "host", "/", 80},
        SplitCase{"QueryWithoutSlashStaysInHost", "http://h?x=1", "h?x=1", "h?x=1", "/", 80},
        SplitCase{"CapitalSchemeIsNotRecognised", "HTTP://h/p", "http", "http:", "//h/p", 0},
        SplitCase{"HttpsBecomesSchemeLetters", "https://h:9/p", "https", "https:", "//h:9/p", 0},
        SplitCase{"EmptyPort", "http://host:/p", "host", "host:", "/p", 0},
        SplitCase{"PortWithLetters", "http://host:81ab/p", "host", "host:81ab", "/p", 81},
        SplitCase{"PortLettersFirst", "http://host:ab/p", "host", "host:ab", "/p", 0},
        SplitCase{"HugePortSaturates", "http://host:99999999999/", "host", "host:99999999999", "/",
                  2147483647},
        SplitCase{"Empty", "", "", "", "/", 80},
        // The host is looked for from the address's first byte, so a host that also stands in
        // the scheme is found there.
        SplitCase{"HostInsideScheme", "http://t/p", "t", "t", "//t/p", 80},
        SplitCase{"DoubleByteHostLeftAlone", "http://\xB0\xA1" "Ab/p", "\xB0\xA1" "ab",
                  "\xB0\xA1" "ab", "/p", 80}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelorin
