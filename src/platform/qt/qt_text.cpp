#include "platform/qt/qt_text.h"

namespace pelorin::qt {

Text ToGbk(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  Text whole = GbkOfUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  if (!whole.empty() || utf8.isEmpty()) return whole;
  // Convert character by character, so that only what GBK lacks is replaced.
  Text out;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    const QByteArray one = text.mid(i, length).toUtf8();
    const Text converted = one == QByteArray(1, '\0')
                               ? Text()
                               : GbkOfUtf8(std::string_view(one.constData(), static_cast<std::size_t>(one.size())));
    out += converted.empty() ? Text("?") : converted;
    i += length;
  }
  return out;
}

}  // namespace pelorin::qt
