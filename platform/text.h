// Small text helpers every layer shares: quoting for log lines, ASCII letter case and
// blank characters. Stored names are Mac Roman and shown ones Windows text: only A-Z and
// a-z have a case here, every byte above 127 stays as it is, as stored names compare.
#pragma once

#include <string>
#include <string_view>

namespace corvida {

// The text in double quotes, as log lines show names: boing -> "boing".
std::string Quoted(std::string_view text);

constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal lengths and the same bytes, A-Z matching a-z.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Whether `name` ends in "." and `extension` (given without the dot), in any case.
bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension);

// Space, tab, line feed, vertical tab, form feed or carriage return.
constexpr bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace corvida
