// Takes a request address apart by plain text search: the only separators known are the scheme
// text "http://", the first "/" after the host and the first ":" in the host part.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace pelorin {

// The host part in lower case; without its ":port" unless `keepPort`.
Text HostOfAddress(const Text& address, bool keepPort = false);
// The path with query and fragment, never empty ("/" at least).
Text PathOfAddress(const Text& address);
// The port written in the address (read as atof reads it, truncated), or 80.
std::int32_t PortOfAddress(const Text& address);

}  // namespace pelorin
