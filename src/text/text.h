// Texts and byte strings, and the text rules every layer shares.
//
// A Text is GBK bytes without a zero byte; Bytes may hold any byte. Keeping them apart stops a
// body with zero bytes from being cut by accident. Positions are 1-based byte positions, and
// searches step over double-byte characters (a byte of 0x80 or more takes the next byte with it),
// so a match never begins on the second byte of a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelorin {

using Text = std::string;

// A counted sequence of any bytes: bodies, pictures, Base64 input.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(std::string data) : data_(std::move(data)) {}
  Bytes(const char* data, std::size_t size) : data_(data, size) {}

  const std::string& Data() const { return data_; }
  std::string& Data() { return data_; }
  std::string_view View() const { return data_; }
  std::size_t Size() const { return data_.size(); }
  bool Empty() const { return data_.empty(); }
  void Append(const char* data, std::size_t size) { data_.append(data, size); }
  void Append(std::string_view data) { data_.append(data); }

  friend bool operator==(const Bytes&, const Bytes&) = default;

 private:
  std::string data_;
};

// A text made from bytes ends at their first zero byte.
Text TextOfBytes(const Bytes& bytes);
// The text's bytes, without a terminating zero.
Bytes BytesOfText(const Text& text);

// 1-based position of the first match of `pattern` in `text` at or after `start`, or -1.
// A start below 1 counts as 1; one past the end finds nothing. An empty pattern gives `start`
// when the text from there on is not empty. `ignoreCase` folds ASCII letters only.
int SearchText(std::string_view text, std::string_view pattern, int start = 1,
               bool ignoreCase = false);
// True when `pattern` occurs anywhere in `text`, ASCII case ignored.
bool ContainsIgnoringCase(std::string_view text, std::string_view pattern);

// Parts of a text, with the bounds of the text rules: n <= 0 gives the empty text, n past the
// end gives what there is; Middle is empty when p is below 1 or past the end.
Text LeftPart(std::string_view text, long long n);
Text RightPart(std::string_view text, long long n);
Text MiddlePart(std::string_view text, long long p, long long n);

// A space is 0x20 or the full-width space A1 A1; tabs and line breaks are not spaces.
Text TrimSpaces(std::string_view text);
Text RemoveAllSpaces(std::string_view text);

// ASCII letters only; double-byte characters pass unchanged.
Text AsciiUpper(std::string_view text);
Text AsciiLower(std::string_view text);

// Whether `position` (1-based) begins a character when the text is read from `from`.
bool IsCharacterStart(std::string_view text, std::size_t position, std::size_t from = 1);

}  // namespace pelorin
