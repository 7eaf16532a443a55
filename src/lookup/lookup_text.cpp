#include "lookup/lookup_text.h"

#include "text/encoding.h"

namespace pelorin {

const Text& NotFoundMessage() {
  static const Text message =
      GbkOfUtf8("未找到视频，请确认此视频是否为收费视频，我们不解析收费视频。");
  return message;
}

}  // namespace pelorin
