#include "platform/text.h"

namespace corvida {

std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.append(1, '"').append(text).append(1, '"');
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool HasExtensionIgnoringCase(std::string_view name, std::string_view extension) {
  if (name.size() <= extension.size()) return false;
  const size_t dot = name.size() - extension.size() - 1;
  return name[dot] == '.' && EqualsIgnoringCase(name.substr(dot + 1), extension);
}

}  // namespace corvida
