#include "apps/export_names.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace corvida::app {
namespace {

constexpr size_t kMaxExtensionBytes = 10;

// The length of the UTF-8 sequence starting at `at`, or 0 when it is not a whole, valid
// one (overlong forms and surrogates included).
size_t SequenceLength(std::string_view s, size_t at) {
  const auto byte = [&](size_t i) { return uint8_t(s[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead > 0xF4 || at + length > s.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  if (lead == 0xE0 && byte(at + 1) < 0xA0) return 0;   // overlong
  if (lead == 0xED && byte(at + 1) >= 0xA0) return 0;  // surrogate
  if (lead == 0xF0 && byte(at + 1) < 0x90) return 0;   // overlong
  if (lead == 0xF4 && byte(at + 1) >= 0x90) return 0;  // beyond U+10FFFF
  return length;
}

// Separators, characters other systems refuse in names, and control characters (C1
// ones, U+0080..U+009F, included).
bool Refused(std::string_view character) {
  static constexpr std::string_view kRefused = "/\\:*?\"<>|";
  const uint8_t lead = uint8_t(character[0]);
  if (character.size() == 2) return lead == 0xC2 && uint8_t(character[1]) < 0xA0;
  return character.size() == 1 &&
         (lead < 0x20 || lead == 0x7F || kRefused.find(character[0]) != std::string_view::npos);
}

std::string Replaced(std::string_view utf8) {
  std::string out;
  for (size_t at = 0; at < utf8.size();) {
    size_t length = SequenceLength(utf8, at);
    if (length == 0 || Refused(utf8.substr(at, length))) {
      out += '_';
      at += std::max<size_t>(length, 1);
      continue;
    }
    out.append(utf8.substr(at, length));
    at += length;
  }
  return out;
}

// The longest prefix of `s` of at most `limit` bytes that ends on a character boundary.
std::string_view CutAt(std::string_view s, size_t limit) {
  if (s.size() <= limit) return s;
  size_t end = limit;
  while (end > 0 && (uint8_t(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(uint8_t(c)));
  return out;
}

bool DeviceName(std::string_view stem) {
  static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
  const std::string lower = Lower(stem);
  if (std::find(kPlain.begin(), kPlain.end(), lower) != kPlain.end()) return true;
  return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
         lower[3] >= '1' && lower[3] <= '9';
}

// Splits at the last '.', when what follows is a short extension.
std::pair<std::string_view, std::string_view> StemAndExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || name.size() - dot > kMaxExtensionBytes)
    return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

std::string SafeFileName(std::string_view utf8) {
  std::string name = Replaced(utf8);
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  if (!name.empty() && name.front() == '.') name.front() = '_';
  if (name.empty()) return "unnamed";
  auto [stem, extension] = StemAndExtension(name);
  std::string out(CutAt(stem, kMaxExportNameBytes - extension.size()));
  if (out.empty()) out = "unnamed";
  if (DeviceName(out)) out.insert(0, "_");
  out += extension;
  if (out.size() > kMaxExportNameBytes) out = std::string(CutAt(out, kMaxExportNameBytes));
  return out;
}

std::string NameBook::Claim(const std::string& folder, std::string_view wanted) {
  const std::string safe = SafeFileName(wanted);
  std::set<std::string>& taken = taken_[folder];
  if (taken.insert(Lower(safe)).second) return safe;
  auto [stem, extension] = StemAndExtension(safe);
  for (int n = 2;; ++n) {
    const std::string suffix = "-" + std::to_string(n);
    std::string candidate(CutAt(stem, kMaxExportNameBytes - extension.size() - suffix.size()));
    candidate += suffix;
    candidate += extension;
    if (taken.insert(Lower(candidate)).second) return candidate;
  }
}

}  // namespace corvida::app
