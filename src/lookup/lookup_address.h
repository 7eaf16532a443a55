// The resolving service's address for one video page:
// "http://" ResolverHost "/url/" Base64("http:##" + page less its first 7 bytes) "=".
#pragma once

#include "text/text.h"

namespace pelorin {

// The service's host (it may carry ":port"), compiled in from PELORIN_RESOLVER_HOST.
const Text& ResolverHost();
// The page the edit box shows at start, compiled in from PELORIN_EXAMPLE_PAGE_ADDRESS.
const Text& ExamplePageAddress();

// RFC 4648 Base64 with the standard alphabet and "=" padding, no line breaks.
Text Base64Encode(const Bytes& bytes);

Text BuildLookupAddress(const Text& pageAddress);
Text BuildLookupAddress(const Text& pageAddress, const Text& resolverHost);

}  // namespace pelorin
