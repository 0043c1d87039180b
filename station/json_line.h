#pragma once
// One JSON object written as one line of text. Strings are escaped so that any text gives valid
// JSON: quotes, backslashes and control characters are escaped, and bytes that are not UTF-8 (a
// file name in another encoding, a radio's garbled answer) become U+FFFD. Numbers are written
// the same in every locale.

#include <string>
#include <string_view>

namespace mosaic::station {

// `text` as a quoted JSON string.
std::string jsonString(std::string_view text);

class JsonLine {
 public:
  JsonLine& text(std::string_view key, std::string_view value);
  // With `decimals` digits after the point; a value that is not finite is written as null.
  JsonLine& number(std::string_view key, double value, int decimals);
  JsonLine& integer(std::string_view key, long long value);
  JsonLine& boolean(std::string_view key, bool value);
  // The members of `other`, after these.
  JsonLine& append(const JsonLine& other);

  // "{...}", without a line end.
  std::string str() const { return "{" + members_ + "}"; }

 private:
  void key(std::string_view name);
  std::string members_;
};

}  // namespace mosaic::station
