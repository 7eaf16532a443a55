// GBK texts at the toolkit's edge.
#pragma once

#include <QString>

#include "text/encoding.h"
#include "text/text.h"

namespace pelorin::qt {

inline QString FromGbk(const Text& gbk) { return QString::fromStdString(Utf8OfGbk(gbk)); }

inline QString FromUtf8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// What the user typed or pasted, as GBK. A character GBK cannot hold becomes "?": the text
// stays usable (a lookup of it simply finds nothing) instead of vanishing altogether.
Text ToGbk(const QString& text);

}  // namespace pelorin::qt
