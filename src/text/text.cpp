#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace pelorin {
namespace {

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldAll(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = FoldAscii(c);
  return folded;
}

bool IsSpaceAt(std::string_view text, std::size_t i, std::size_t* width) {
  if (text[i] == ' ') {
    *width = 1;
    return true;
  }
  if (i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xA1 &&
      static_cast<unsigned char>(text[i + 1]) == 0xA1) {
    *width = 2;
    return true;
  }
  return false;
}

}  // namespace

Text TextOfBytes(const Bytes& bytes) {
  const std::string& data = bytes.Data();
  return Text(data.data(), ::strnlen(data.data(), data.size()));
}

Bytes BytesOfText(const Text& text) { return Bytes(text); }

bool IsCharacterStart(std::string_view text, std::size_t position, std::size_t from) {
  // Any byte below 0x80 ends a character (alone or as a trail byte), so the byte after it
  // starts one. Counting the run of lead-range bytes right before `position` is enough:
  // an even run means `position` starts a character.
  std::size_t index = position - 1;
  std::size_t floor = from - 1;
  std::size_t run = 0;
  while (index > floor && IsLeadByte(text[index - 1])) {
    --index;
    ++run;
  }
  return run % 2 == 0;
}

int SearchText(std::string_view text, std::string_view pattern, int start, bool ignoreCase) {
  if (start < 1) start = 1;
  const std::size_t from = static_cast<std::size_t>(start);
  if (from > text.size()) return -1;
  if (pattern.empty()) return start;
  if (ignoreCase) {
    // Folding leaves every byte of 0x80 or more alone, so character starts do not move.
    std::string foldedText = FoldAll(text);
    std::string foldedPattern = FoldAll(pattern);
    return SearchText(foldedText, foldedPattern, start, false);
  }
  // `boundary` is an index known to start a character. A failed candidate moves it past
  // itself, so every byte is walked back over at most once: the search stays linear.
  std::size_t boundary = from - 1;
  std::size_t at = from - 1;
  while (true) {
    std::size_t found = text.find(pattern, at);
    if (found == std::string_view::npos) return -1;
    if (IsCharacterStart(text, found + 1, boundary + 1)) {
      return found + 1 > static_cast<std::size_t>(INT32_MAX) ? -1 : static_cast<int>(found + 1);
    }
    // `found` is a trail byte; the next character starts right after it.
    boundary = found + 1;
    at = found + 1;
  }
}

bool ContainsIgnoringCase(std::string_view text, std::string_view pattern) {
  return SearchText(text, pattern, 1, true) != -1;
}

Text LeftPart(std::string_view text, long long n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(std::min<long long>(n, text.size()))));
}

Text RightPart(std::string_view text, long long n) {
  if (n <= 0) return {};
  std::size_t count = static_cast<std::size_t>(std::min<long long>(n, text.size()));
  return Text(text.substr(text.size() - count));
}

Text MiddlePart(std::string_view text, long long p, long long n) {
  if (p < 1 || n <= 0 || p > static_cast<long long>(text.size())) return {};
  return Text(text.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(n)));
}

Text TrimSpaces(std::string_view text) {
  std::size_t begin = 0;
  std::size_t width = 0;
  while (begin < text.size() && IsSpaceAt(text, begin, &width)) begin += width;
  std::size_t end = text.size();
  while (end > begin) {
    if (text[end - 1] == ' ') {
      --end;
    } else if (end - begin >= 2 && static_cast<unsigned char>(text[end - 1]) == 0xA1 &&
               static_cast<unsigned char>(text[end - 2]) == 0xA1 &&
               IsCharacterStart(text, end - 1, begin + 1)) {
      end -= 2;
    } else {
      break;
    }
  }
  return Text(text.substr(begin, end - begin));
}

Text RemoveAllSpaces(std::string_view text) {
  Text out;
  out.reserve(text.size());
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (IsSpaceAt(text, i, &width)) {
      i += width;
    } else {
      std::size_t length = (IsLeadByte(text[i]) && i + 1 < text.size()) ? 2 : 1;
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

namespace {
template <typename Change>
Text ChangeAsciiLetters(std::string_view text, Change change) {
  Text out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i])) {
      ++i;  // the trail byte belongs to the character
    } else {
      out[i] = change(out[i]);
    }
  }
  return out;
}
}  // namespace

Text AsciiUpper(std::string_view text) {
  return ChangeAsciiLetters(text, [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
}

Text AsciiLower(std::string_view text) { return ChangeAsciiLetters(text, FoldAscii); }

}  // namespace pelorin
