// Reads the resolving service's answer by plain text search. A sample answer:
//
//   <root><video><site><![CDATA[优酷]]></site><playurl><![CDATA[http://v.example.com/1]]></playurl>
//   <img><![CDATA[http://img.example.com/1.jpg]]></img><title><![CDATA[片名]]></title>
//   <ftype>mp4</ftype><furl><![CDATA[http://f.example.com/1.mp4]]></furl>
//   <quality><![CDATA[高清]]></quality><seconds>300</seconds><size>12.3MB</size>
//   <time>00:05:00</time></video></root>
//
// It is cut at every "<video>"; the prologue "<root></root>" alone means no video.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace pelorin {

enum class AnswerStatus { NoVideo, VideosFound, TooFewPieces };

// One file, in the order of the result list's columns.
struct VideoRow {
  Text name;      // 名称: title "." file type
  Text file;      // 文件: direct file address
  Text site;      // 网站
  Text quality;   // 品质
  Text size;      // 大小
  Text duration;  // 时长
  Text page;      // 播放地址

  friend bool operator==(const VideoRow&, const VideoRow&) = default;
};

struct LookupAnswer {
  AnswerStatus status = AnswerStatus::TooFewPieces;
  Text thumbnailAddress;
  std::vector<VideoRow> rows;
};

const char* AnswerStatusName(AnswerStatus status);

LookupAnswer ReadLookupResponse(std::string_view answer);
// The bytes between "<name>" and the first "</name>" after it, or empty.
Text TagContent(std::string_view text, std::string_view name);
// The bytes between the first `opening` and the first `closing` after it, or empty.
Text TextBetween(std::string_view text, std::string_view opening, std::string_view closing);
// Drops a CDATA wrapper by its fixed size: nine bytes in front, three at the end.
Text StripCdata(std::string_view field);

}  // namespace pelorin
