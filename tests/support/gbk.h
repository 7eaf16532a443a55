// Test helper: write Chinese test data in UTF-8, compare as GBK.
#pragma once

#include <string_view>

#include "text/encoding.h"

namespace pelorin::testing {

inline Text G(std::string_view utf8) { return GbkOfUtf8(utf8); }

}  // namespace pelorin::testing
