// The whole road of a service answer: raw body bytes -> UTF-8 to GBK (all or nothing) -> cut
// at the first zero byte -> ReadLookupResponse.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lookup/response_reader.h"
#include "text/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  const Bytes body(reinterpret_cast<const char*>(data), size);
  const Bytes converted = Utf8ToGbk(body);
  const Text text = TextOfBytes(converted);
  const LookupAnswer answer = ReadLookupResponse(text);
  if (answer.status != AnswerStatus::VideosFound &&
      (!answer.rows.empty() || !answer.thumbnailAddress.empty())) {
    std::abort();
  }
  if (answer.status == AnswerStatus::VideosFound && answer.rows.empty()) std::abort();
  for (const VideoRow& row : answer.rows) {
    if (row.site != answer.rows[0].site || row.page != answer.rows[0].page) std::abort();
    if (row.name.find('.') == Text::npos) std::abort();
  }
  return 0;
}
