// Windows-form paths and their host equivalents.
#include <unistd.h>
#include <algorithm>
#include <vector>

#include "platform/charset.h"
#include "stackfile/fileslots.h"

namespace corvida {

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int DriveIndex(char letter) {
  return (letter & ~0x20) - 'A';
}

// Case folding in the Windows character set: ASCII and the Latin-1 capitals.
std::string Fold(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    auto c = static_cast<uint8_t>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
      ch = static_cast<char>(c + 32);
  }
  return out;
}

// The entry of `folder` whose name equals `component` without regard to case; the
// smallest such name when several do, so that the choice does not depend on the system.
std::string MatchIgnoringCase(const std::string& folder, std::string_view component) {
  const std::string wanted = Fold(component);
  std::string best;
  for (const DirectoryEntry& entry : ListDirectory(folder.empty() ? "/" : folder)) {
    if (Fold(Utf8ToWindows1252(entry.name)) != wanted) continue;
    if (best.empty() || entry.name < best) best = entry.name;
  }
  return best;
}

}  // namespace

PathMap::PathMap() {
  roots_[DriveIndex('C')].assign(1, '/');
}

void PathMap::SetDrive(char letter, std::string host_root) {
  if (!IsDriveLetter(letter)) return;
  while (host_root.size() > 1 && host_root.back() == '/') host_root.pop_back();
  roots_[DriveIndex(letter)] = std::move(host_root);
}

const std::string& PathMap::DriveRoot(char letter) const {
  static const std::string kNone;
  return IsDriveLetter(letter) ? roots_[DriveIndex(letter)] : kNone;
}

std::string PathMap::ToHost(std::string_view windows_path) const {
  char drive = 'C';
  if (windows_path.size() >= 2 && IsDriveLetter(windows_path[0]) && windows_path[1] == ':') {
    drive = windows_path[0];
    windows_path.remove_prefix(2);
  }
  const std::string& root = DriveRoot(drive);
  // A NUL would cut the host path short of what was checked here.
  if (root.empty() || windows_path.find('\0') != std::string_view::npos) return "";
  // Components, with "." and ".." resolved lexically and never above the drive's root.
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= windows_path.size()) {
    size_t end = start;
    while (end < windows_path.size() && !IsSeparator(windows_path[end])) ++end;
    std::string_view part = windows_path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string host = root == "/" ? "" : root;
  bool exists = true;
  for (std::string_view part : parts) {
    std::string exact = host + "/" + Windows1252ToUtf8(part);
    if (exists && !FileExists(exact)) {
      std::string match = MatchIgnoringCase(host, part);
      if (!match.empty()) {
        host += "/" + match;
        continue;
      }
      exists = false;  // nothing below a missing component can exist
    }
    host = std::move(exact);
  }
  if (host.empty()) host.assign(1, '/');
  if (!windows_path.empty() && IsSeparator(windows_path.back()) && host.back() != '/') host += '/';
  return host;
}

std::string PathMap::ToWindows(std::string_view host_path) const {
  std::string absolute(host_path);
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return "";
    absolute = std::string(cwd) + "/" + absolute;
  }
  int best = -1;
  size_t best_length = 0;
  for (int i = 0; i < 26; ++i) {
    const std::string& root = roots_[i];
    if (root.empty()) continue;
    const bool inside =
        root == "/" || (absolute.compare(0, root.size(), root) == 0 &&
                        (absolute.size() == root.size() || absolute[root.size()] == '/'));
    if (inside && (best < 0 || root.size() > best_length)) {
      best = i;
      best_length = root.size();
    }
  }
  if (best < 0) return "";
  std::string rest = absolute.substr(roots_[best] == "/" ? 0 : best_length);
  std::replace(rest.begin(), rest.end(), '/', '\\');
  if (rest.empty() || rest[0] != '\\') rest.insert(rest.begin(), '\\');
  return std::string(1, static_cast<char>('A' + best)) + ":" + Utf8ToWindows1252(rest);
}

std::string_view NamePart(std::string_view path) {
  size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(std::string_view path) {
  size_t cut = path.rfind('\\');
  return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut));
}

std::string SiblingPath(std::string_view name, std::string_view path) {
  return FolderOf(path) + "\\" + std::string(name);
}

int FileType(std::string_view name) {
  static constexpr const char* kExtensions[] = {"bmp", "tif", "jpg", "gif", "pcx", "bif", "pic",
                                                "pct", "tga", "stk", "wav", "mov", "txt", "exe",
                                                "vid", "cam", "tw",  "avi", "aif", "au"};
  name = NamePart(name);
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return -1;
  const std::string extension = Fold(name.substr(dot + 1));
  for (int i = 0; i < static_cast<int>(std::size(kExtensions)); ++i) {
    if (extension == kExtensions[i]) return i;
  }
  return -1;
}

bool IsSoundFileType(int type) {
  return type == 10 || type == 18 || type == 19;
}

bool IsMovieFileType(int type) {
  return type == 11 || type == 17;
}

}  // namespace corvida
