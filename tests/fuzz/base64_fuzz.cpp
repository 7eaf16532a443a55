// Base64Encode against a decoder: every input comes back whole, and the text is canonical.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lookup/lookup_address.h"

namespace {

std::string Decode(const std::string& text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    const int v = value(c);
    if (v < 0) std::abort();
    bits = (bits << 6) | static_cast<unsigned>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const Text encoded = Base64Encode(Bytes(input));
  if (encoded.size() != (size + 2) / 3 * 4) std::abort();
  if (Decode(encoded) != input) std::abort();
  const Text address = BuildLookupAddress(TextOfBytes(Bytes(input)), "h");
  if (address.rfind("http://h/url/", 0) != 0 || address.back() != '=') std::abort();
  return 0;
}
