// Text in stacks is Mac Roman; the system shows it in the Windows character set and writes
// it back unchanged (the conversion is a permutation of 0x80..0xFF, so it is lossless).
// Also the Mac Roman case tables used by name comparison and the Tarrow word primitives.
// Bytes below 0x80 pass the conversions unchanged and take the ASCII case functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvida {

// In-place conversion of count bytes.
void MacToWindows(uint8_t* bytes, size_t count);
void WindowsToMac(uint8_t* bytes, size_t count);
std::string MacToWindows(std::string_view mac);
std::string WindowsToMac(std::string_view windows);
// Mac Roman straight to UTF-8 (through the Windows character set), for printing.
std::string MacToUtf8(std::string_view mac);

uint8_t MacUpperNoAccents(uint8_t c);  // for sorting and loose comparison
uint8_t MacUpper(uint8_t c);           // accents kept
// MacUpper for every byte value (ASCII letters by the usual rule), for hot comparisons.
extern const std::array<uint8_t, 256> kMacUpperTable;
uint8_t MacLower(uint8_t c);
// In place over a NUL-terminated string; null is left alone.
void MacUpperString(char* text);
void MacUpperNoAccentsString(char* text);

// '0'..'9' -> 0..9, 'A'..'F' and 'a'..'f' -> 10..15, anything else -> -1.
int HexDigitValue(char c);

// Appends c to the NUL-terminated string in a buffer of buffer_size bytes, unless the
// string already fills it (length + 1 >= buffer_size). Returns whether it appended.
bool AppendChar(char* text, char c, size_t buffer_size);

}  // namespace corvida
