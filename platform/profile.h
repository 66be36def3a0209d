// Private profile files: small INI text files of "[section]" headers and "key=value"
// lines. Sections and keys compare without regard to (ASCII) case; blanks around keys and
// values are ignored, and a value in matching double quotes loses them. Reading is bounded
// and never fails on garbage; writing keeps every other line as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvida {

// Profile files larger than this are read only up to it and are not rewritten (so that
// nothing beyond it is lost).
inline constexpr size_t kMaxProfileBytes = 1 << 20;

// The value of key in section, cut to max_chars characters; nothing when the file,
// section or key is missing.
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key, size_t max_chars);

// Sets key in section to value, creating the file, the section or the key as needed.
// False when the file cannot be written, or when a name or the value would break the
// file's structure (line breaks, '=' in a key, ']' in a section).
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace corvida
