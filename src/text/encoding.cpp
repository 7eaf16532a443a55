#include "text/encoding.h"

#include <iconv.h>

#include <cerrno>
#include <utility>

namespace pelorin {
namespace {

// One conversion descriptor, closed on every path.
class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvConverter() {
    if (Valid()) iconv_close(cd_);
  }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can into `out`. Returns 0 when all input was converted, else the
  // errno that stopped it; `*consumed` tells how many input bytes were used.
  int Convert(std::string_view in, std::string& out, std::size_t* consumed) {
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[16384];
    int result = 0;
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (rc == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) continue;
        result = errno;
        break;
      }
    }
    if (result == 0) {
      // Flush any shift state (none for these encodings, but it is the documented protocol).
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    }
    *consumed = in.size() - inLeft;
    return result;
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

Bytes Utf8ToGbk(const Bytes& utf8) {
  if (utf8.Empty()) return {};
  // ASCII is the same in both; most texts are addresses.
  if (IsAscii(utf8.View())) return utf8;
  IconvConverter converter("GBK", "UTF-8");
  if (!converter.Valid()) return {};
  std::string out;
  out.reserve(utf8.Size());
  std::size_t consumed = 0;
  if (converter.Convert(utf8.View(), out, &consumed) != 0) return {};
  return Bytes(std::move(out));
}

Text GbkOfUtf8(std::string_view utf8) { return Utf8ToGbk(Bytes(std::string(utf8))).Data(); }

std::string Utf8OfGbk(std::string_view gbk) {
  static constexpr std::string_view Replacement = "\xEF\xBF\xBD";
  if (IsAscii(gbk)) return std::string(gbk);
  IconvConverter converter("UTF-8", "GBK");
  std::string out;
  if (!converter.Valid()) return out;
  out.reserve(gbk.size() + gbk.size() / 2);
  while (!gbk.empty()) {
    std::size_t consumed = 0;
    int error = converter.Convert(gbk, out, &consumed);
    gbk.remove_prefix(consumed);
    if (error == 0) break;
    out.append(Replacement);
    // A bad sequence loses one byte; a truncated one at the end loses the rest.
    if (error == EINVAL) break;
    gbk.remove_prefix(1);
  }
  return out;
}

}  // namespace pelorin
