// The Windows character set (code page 1252) that the system keeps shown text in, and its
// conversion to Unicode for the font service, the desktop backend and the command line.
// This is the only 1252 table in the system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvida {

// The Unicode code point of a 1252 byte. The five positions 1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) are where Mac text puts its characters that 1252 lacks, so
// they map to those (infinity, n-ary summation, fraction slash, breve, dot above).
char32_t Windows1252ToUnicode(uint8_t byte);

// The 1252 byte of a code point, or -1 when 1252 has none.
int UnicodeToWindows1252(char32_t code_point);

std::string Windows1252ToUtf8(std::string_view text);
// Lossy: code points 1252 lacks, and malformed UTF-8 sequences, become '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

}  // namespace corvida
