#include "web/address_split.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace pelorin {
namespace {

// Reads the leading decimal number the way the C library's atof does (white space, sign,
// digits, fraction, exponent), truncated toward zero. Out-of-range values saturate instead of
// being undefined.
std::int32_t LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  double value = 0;
  auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                   std::chars_format::general);
  if (ec == std::errc::invalid_argument) return 0;
  if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::infinity();
  (void)end;
  if (negative) value = -value;
  if (std::isnan(value)) return 0;
  value = std::trunc(value);
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

Text HostOfAddress(const Text& address, bool keepPort) {
  const int scheme = SearchText(address, "http://", 1);
  const int start = scheme == -1 ? 1 : scheme + 7;
  const int slash = SearchText(address, "/", start);
  const long long length = slash == -1 ? static_cast<long long>(address.size()) : slash - start;
  Text host = MiddlePart(address, start, length);
  if (!keepPort) {
    const int colon = SearchText(host, ":", 1);
    if (colon != -1) host = LeftPart(host, colon - 1);
  }
  return AsciiLower(host);
}

Text PathOfAddress(const Text& address) {
  const Text host = HostOfAddress(address, false);
  const int hostAt = SearchText(address, host, 1, true);
  const int slash = SearchText(address, "/", hostAt, true);
  if (slash == -1) return "/";
  return RightPart(address, static_cast<long long>(address.size()) - slash + 1);
}

std::int32_t PortOfAddress(const Text& address) {
  const Text hostAndPort = HostOfAddress(address, true);
  const int colon = SearchText(hostAndPort, ":", 1);
  if (colon == -1) return 80;
  return LeadingNumber(RightPart(hostAndPort, static_cast<long long>(hostAndPort.size()) - colon));
}

}  // namespace pelorin
