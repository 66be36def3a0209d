#include "player/desktop_prefs.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/profile.h"

namespace corvida {
namespace {

constexpr const char* kWindowSection = "window";
constexpr const char* kRecentSection = "recent";

std::optional<int> ReadSide(const Prefs& prefs, const char* key) {
  const auto text = ReadProfileString(prefs.path(), kWindowSection, key, 8);
  if (!text || text->empty() || text->size() > 5 ||
      text->find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int side = std::stoi(*text);
  if (side < kMinWindowSide || side > kMaxWindowSide) return std::nullopt;
  return side;
}

bool UsableStackPath(const std::string& path) {
  if (path.empty() || path.size() >= kMaxRecentPathChars || path.front() != '/') return false;
  return std::none_of(path.begin(), path.end(), [](char c) { return uint8_t(c) < 32; });
}

std::string RecentKey(int index) {
  return "stack" + std::to_string(index + 1);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? std::string("&&") : std::string(1, c);
  return out;
}

}  // namespace

std::optional<Size> ReadWindowSize(const Prefs& prefs) {
  const auto width = ReadSide(prefs, "width");
  const auto height = ReadSide(prefs, "height");
  if (!width || !height) return std::nullopt;
  return Size{*width, *height};
}

bool WriteWindowSize(Prefs& prefs, Size size) {
  if (size.width < kMinWindowSide || size.height < kMinWindowSide || size.width > kMaxWindowSide ||
      size.height > kMaxWindowSide)
    return false;
  return prefs.WritePref(kWindowSection, "width", std::to_string(size.width)) &&
         prefs.WritePref(kWindowSection, "height", std::to_string(size.height));
}

std::vector<std::string> ReadRecentStacks(const Prefs& prefs) {
  std::vector<std::string> paths;
  for (int i = 0; i < kRecentStackCount; ++i) {
    const auto path =
        ReadProfileString(prefs.path(), kRecentSection, RecentKey(i), kMaxRecentPathChars);
    if (!path || !UsableStackPath(*path)) continue;
    if (std::find(paths.begin(), paths.end(), *path) == paths.end()) paths.push_back(*path);
  }
  return paths;
}

bool NoteRecentStack(Prefs& prefs, const std::string& path) {
  if (!UsableStackPath(path)) return false;
  std::vector<std::string> paths = ReadRecentStacks(prefs);
  if (!paths.empty() && paths.front() == path) return true;  // nothing to write
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  if (paths.size() > size_t(kRecentStackCount)) paths.resize(kRecentStackCount);
  bool written = true;
  for (int i = 0; i < kRecentStackCount; ++i)
    written &= prefs.WritePref(kRecentSection, RecentKey(i),
                               size_t(i) < paths.size() ? paths[size_t(i)] : "");
  return written;
}

std::string RecentStackLabel(int index, const std::string& path, size_t max_folder_chars) {
  std::string folder = PathFolder(path);
  if (folder.size() > max_folder_chars) {
    // The end of the folder tells stacks of the same name apart; its start rarely does.
    size_t cut = folder.size() - max_folder_chars + 3;
    const size_t slash = folder.find('/', cut);
    if (slash != std::string::npos && slash + 1 < folder.size()) cut = slash;
    folder = "..." + folder.substr(cut);
  }
  std::string label = "&" + std::to_string(index + 1) + " " + Escaped(PathFileName(path));
  if (!folder.empty()) label += "  (" + Escaped(folder) + ")";
  return label;
}

}  // namespace corvida
