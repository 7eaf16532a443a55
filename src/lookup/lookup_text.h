// The lookup's own words.
#pragma once

#include "text/text.h"

namespace pelorin {

// The one message the user sees when a lookup ends without rows.
const Text& NotFoundMessage();

}  // namespace pelorin
