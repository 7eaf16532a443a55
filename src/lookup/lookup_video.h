// The program's main operation: page address in 编辑框1 -> rows in 超级列表框1, thumbnail in
// 图片框1, and the first file's name (or NotFoundMessage) in 标签1.
#pragma once

#include "lookup/response_reader.h"
#include "platform/toolkit.h"
#include "web/web_request.h"

namespace pelorin {

// How a lookup ended, for callers without a window (pelorin-cli); the window ignores it.
struct LookupOutcome {
  // "VideosFound", "NoVideo", "TooFewPieces", "Empty" (nothing came back, or not UTF-8 and GBK
  // throughout), or "WindowClosed" (the window went while the lookup waited).
  const char* status = "Empty";
  Text thumbnailAddress;
};

LookupOutcome LookupVideo(Toolkit& toolkit, WebAccess& web);
LookupOutcome LookupVideo(Toolkit& toolkit, WebAccess& web, const Text& resolverHost);

}  // namespace pelorin
