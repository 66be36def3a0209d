#include "platform/profile.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"

namespace corvida {

namespace {

std::string_view Trim(std::string_view s) {
  const char* blanks = " \t\r\n";
  size_t first = s.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Reads up to the size limit; `complete` tells whether that was the whole file.
std::string ReadBounded(const std::string& path, bool* complete) {
  std::string text;
  if (complete) *complete = true;
  File file = File::Open(path, File::Mode::kRead);
  if (!file.is_open()) return text;
  // Sized by the file, one byte over the limit to notice a longer one.
  const int64_t size = file.Size();
  text.resize(size < 0 ? 0 : std::min<size_t>(static_cast<size_t>(size), kMaxProfileBytes) + 1);
  int64_t n = file.Read(text.data(), text.size());
  text.resize(n < 0 ? 0 : static_cast<size_t>(n));
  if (text.size() > kMaxProfileBytes) {
    text.resize(kMaxProfileBytes);
    if (complete) *complete = false;
  }
  return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The section a header line opens, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyOf(std::string_view line) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '[') return std::nullopt;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

bool SafeName(std::string_view name, std::string_view forbidden) {
  return !Trim(name).empty() && name.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace

std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key, size_t max_chars) {
  const std::string text = ReadBounded(path, nullptr);
  bool inside = false;
  for (std::string_view line : SplitLines(text)) {
    if (auto name = SectionOf(line)) {
      inside = EqualsIgnoringCase(*name, Trim(section));
      continue;
    }
    auto k = inside ? KeyOf(line) : std::nullopt;
    if (k && EqualsIgnoringCase(*k, Trim(key)))
      return std::string(ValueOf(line).substr(0, max_chars));
  }
  return std::nullopt;
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  if (!SafeName(section, "]\r\n") || !SafeName(key, "=\r\n") || Trim(key)[0] == '[' ||
      Trim(key)[0] == ';' || value.find_first_of("\r\n") != std::string_view::npos) {
    return false;
  }
  bool complete = true;
  const std::string text = ReadBounded(path, &complete);
  if (!complete) return false;
  const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  std::vector<std::string_view> lines = SplitLines(text);

  std::string out;
  bool inside = false, found_section = false, done = false;
  size_t insert_after = 0;  // index past the last non-blank line of the section
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    if (auto name = SectionOf(lines[i])) {
      if (inside) break;
      inside = EqualsIgnoringCase(*name, Trim(section));
      found_section = found_section || inside;
      if (inside) insert_after = i + 1;
      continue;
    }
    if (!inside) continue;
    if (!Trim(lines[i]).empty()) insert_after = i + 1;
    if (auto k = KeyOf(lines[i]); k && EqualsIgnoringCase(*k, Trim(key))) {
      lines[i] = entry;  // replaced in place below
      done = true;
    }
  }
  std::vector<std::string> result(lines.begin(), lines.end());
  if (!done) {
    if (found_section) {
      result.insert(result.begin() + static_cast<long>(insert_after), entry);
    } else {
      if (!result.empty() && !Trim(result.back()).empty()) result.emplace_back("");
      std::string header(1, '[');
      header.append(Trim(section));
      header.push_back(']');
      result.push_back(std::move(header));
      result.push_back(entry);
    }
  }
  for (std::string& line : result) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += line;
    out += eol;
  }
  // Written beside the file and renamed over it, so that a failed write loses nothing.
  return WriteFileAtomically(path, out);
}

}  // namespace corvida
