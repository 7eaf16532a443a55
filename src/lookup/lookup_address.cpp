#include "lookup/lookup_address.h"

#include "lookup/settings.h"
#include "text/encoding.h"

namespace pelorin {

const Text& ResolverHost() {
  static const Text host = GbkOfUtf8(settings::ResolverHostUtf8);
  return host;
}

const Text& ExamplePageAddress() {
  static const Text address = GbkOfUtf8(settings::ExamplePageAddressUtf8);
  return address;
}

Text Base64Encode(const Bytes& bytes) {
  static constexpr char Alphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.Data().data());
  const std::size_t size = bytes.Size();
  Text out;
  out.resize((size + 2) / 3 * 4);
  char* o = out.data();
  std::size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const unsigned v = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
    o[0] = Alphabet[v >> 18];
    o[1] = Alphabet[(v >> 12) & 63];
    o[2] = Alphabet[(v >> 6) & 63];
    o[3] = Alphabet[v & 63];
    o += 4;
  }
  const std::size_t rest = size - i;
  if (rest > 0) {
    const unsigned b0 = in[i];
    const unsigned b1 = rest == 2 ? in[i + 1] : 0;
    o[0] = Alphabet[b0 >> 2];
    o[1] = Alphabet[((b0 & 3) << 4) | (b1 >> 4)];
    o[2] = rest == 2 ? Alphabet[(b1 & 15) << 2] : '=';
    o[3] = '=';
  }
  return out;
}

Text BuildLookupAddress(const Text& pageAddress) {
  return BuildLookupAddress(pageAddress, ResolverHost());
}

Text BuildLookupAddress(const Text& pageAddress, const Text& resolverHost) {
  // The service wants the scheme rewritten; the first seven bytes go whatever they are.
  Text rewritten = "http:##" + RightPart(pageAddress, static_cast<long long>(pageAddress.size()) - 7);
  return "http://" + resolverHost + "/url/" + Base64Encode(BytesOfText(rewritten)) + "=";
}

}  // namespace pelorin
