// The fatal error report: a modal box titled "错误", or standard error when no display can be
// opened at all.
#pragma once

#include "text/text.h"

namespace pelorin::qt {

// Whether a window can be shown here (a display, or a Qt platform chosen explicitly).
bool DisplayAvailable();

// Shows the report (box when `withWindow`, else standard error) and returns the exit code, -1.
int ReportFatalError(const Text& message, bool withWindow);

}  // namespace pelorin::qt
