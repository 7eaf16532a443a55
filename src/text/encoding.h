// Conversions at the program's edges: the service's UTF-8 answer into GBK, and GBK texts into
// UTF-8 for the terminal and the toolkit.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace pelorin {

// UTF-8 -> GBK, all or nothing: invalid UTF-8, a truncated sequence or a character GBK lacks
// gives the empty result. Nothing is transliterated or skipped.
Bytes Utf8ToGbk(const Bytes& utf8);
// The same for a text known to be UTF-8 (literals, command-line arguments).
Text GbkOfUtf8(std::string_view utf8);

// GBK -> UTF-8 for display. A byte sequence that is not valid GBK becomes U+FFFD, so output
// never fails.
std::string Utf8OfGbk(std::string_view gbk);

}  // namespace pelorin
