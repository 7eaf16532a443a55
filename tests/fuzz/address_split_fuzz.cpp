// Any text splits into a host, a path and a port, without failing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "web/address_split.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  Text address(reinterpret_cast<const char*>(data), size);
  address = TextOfBytes(Bytes(address));  // a text holds no zero byte
  const Text host = HostOfAddress(address);
  const Text hostWithPort = HostOfAddress(address, true);
  const Text path = PathOfAddress(address);
  PortOfAddress(address);
  if (path.empty()) std::abort();
  if (hostWithPort.compare(0, host.size(), host) != 0) std::abort();
  if (AsciiLower(hostWithPort) != hostWithPort) std::abort();
  if (path != "/" && address.find(path) == Text::npos) std::abort();
  return 0;
}
