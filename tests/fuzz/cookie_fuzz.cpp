// Cookie collection from raw response headers: one "pair;" per cookie line, every cookie
// handed to the store with its name and data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "web/http_exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  const Text raw = TextOfBytes(Bytes(reinterpret_cast<const char*>(data), size));
  std::size_t stored = 0;
  const Text cookies = CollectCookies(raw, [&](const Text& name, const Text& value) {
    ++stored;
    if (name.size() + value.size() > raw.size()) std::abort();
  });
  std::size_t pairs = 0;
  for (char c : cookies) pairs += c == ';';
  if (pairs < stored) std::abort();
  if (stored == 0 && !cookies.empty()) std::abort();
  if (!cookies.empty() && cookies.back() != ';') std::abort();
  return 0;
}
