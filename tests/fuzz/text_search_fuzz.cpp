// The fast text search and the parts of a text against plain reference loops that follow the
// text rules one character at a time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/text.h"

namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int ReferenceSearch(const std::string& text, const std::string& pattern, int start, bool ignoreCase) {
  if (start < 1) start = 1;
  const std::size_t from = static_cast<std::size_t>(start);
  if (from > text.size()) return -1;
  if (pattern.empty()) return start;
  for (std::size_t i = from - 1; i < text.size();) {
    if (i + pattern.size() <= text.size()) {
      bool match = true;
      for (std::size_t k = 0; k < pattern.size() && match; ++k) {
        match = ignoreCase ? Fold(text[i + k]) == Fold(pattern[k]) : text[i + k] == pattern[k];
      }
      if (match) return static_cast<int>(i + 1);
    }
    i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  if (size < 3) return 0;
  // First byte: flags and start; second: pattern length; the rest: pattern then text.
  const bool ignoreCase = data[0] & 1;
  const int start = static_cast<int>(data[0] >> 1) - 8;
  const std::size_t patternLength = std::min<std::size_t>(data[1] % 16, size - 2);
  const std::string pattern(reinterpret_cast<const char*>(data + 2), patternLength);
  const std::string text(reinterpret_cast<const char*>(data + 2 + patternLength),
                         size - 2 - patternLength);
  if (SearchText(text, pattern, start, ignoreCase) !=
      ReferenceSearch(text, pattern, start, ignoreCase)) {
    std::abort();
  }
  const long long n = start;
  const long long length = static_cast<long long>(text.size());
  const Text left = LeftPart(text, n);
  const Text right = RightPart(text, n);
  const Text middle = MiddlePart(text, n, patternLength);
  if (n <= 0 && (!left.empty() || !right.empty())) std::abort();
  if (n > 0 && (left != text.substr(0, static_cast<std::size_t>(std::min(n, length))) ||
                right != text.substr(text.size() - static_cast<std::size_t>(std::min(n, length))))) {
    std::abort();
  }
  if ((n < 1 || n > length || patternLength == 0) ? !middle.empty()
                                                  : middle != text.substr(static_cast<std::size_t>(n - 1), patternLength)) {
    std::abort();
  }
  const Text trimmed = TrimSpaces(text);
  if (trimmed.size() > text.size() || text.find(trimmed) == std::string::npos) std::abort();
  const Text removed = RemoveAllSpaces(text);
  if (RemoveAllSpaces(removed) != removed || removed.size() > text.size()) std::abort();
  if (AsciiUpper(text).size() != text.size() || AsciiLower(AsciiUpper(text)) != AsciiLower(text)) {
    std::abort();
  }
  return 0;
}
