#include "stackfile/paths.h"

#include <cctype>

#include "platform/charset.h"
#include "platform/files.h"
#include "platform/text.h"
#include "stackfile/mactext.h"
#include "stackfile/media_folders.h"

namespace corvida {

namespace {

bool IsDriveLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool IsLocal(std::string_view p) {
  return p.size() >= 3 && IsDriveLetter(p[0]) && p[1] == ':' && p[2] == '\\';
}

// The entry of `folder` named `name`, matched exactly first and then without regard to
// case; "" when there is none.
std::string FindEntry(const std::string& folder, const std::string& name) {
  if (FileExists(folder + "/" + name)) return name;
  for (const DirectoryEntry& entry : ListDirectory(folder)) {
    if (EqualsIgnoringCase(entry.name, name)) return entry.name;
  }
  return "";
}

std::string ResolveIn(const std::string& root, const std::vector<std::string>& parts) {
  if (root.empty()) return "";
  for (size_t first = 0; first < parts.size(); ++first) {
    std::string at = root;
    bool found = true;
    for (size_t i = first; i < parts.size() && found; ++i) {
      std::string entry = FindEntry(at, parts[i]);
      found = !entry.empty();
      at += "/" + entry;
    }
    if (!found) continue;
    if (IsRegularFile(at) && InsideFolder(at, root)) return at;
  }
  return "";
}

}  // namespace

bool InsideFolder(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  const std::string real = CanonicalPath(path), base = CanonicalPath(folder);
  if (real.empty() || base.empty()) return false;
  const std::string prefix = base == "/" ? base : base + "/";
  if (real.size() <= prefix.size() || real.compare(0, prefix.size(), prefix) != 0) return false;
  // Hidden names (".ssh", ".config") are the user's settings and keys, never a stack's.
  const std::string below = "/" + real.substr(prefix.size());
  return below.find("/.") == std::string::npos;
}

std::string LocalPathFromStored(std::string_view stored, std::string_view stack_path) {
  if (IsLocal(stored)) return std::string(stored);
  std::string out;
  std::string_view rest;
  if (stored.size() >= 3 && stored[1] == ':' && stored[2] == ':') {
    out = std::string(1, stored[0]) + ":\\";
    rest = stored.substr(3);
  } else {
    out = std::string(stack_path.substr(0, std::min<size_t>(3, stack_path.size())));
    size_t colon = stored.find(':');
    rest = colon == std::string_view::npos ? stored : stored.substr(colon + 1);
  }
  for (char c : rest) out += c == ':' ? '\\' : c;
  return out;
}

std::vector<std::string> StoredPathComponents(std::string_view stored) {
  std::string_view rest = stored;
  char separator = ':';
  if (IsLocal(stored)) {
    rest = stored.substr(3);
    separator = '\\';
  } else if (stored.size() >= 3 && stored[1] == ':' && stored[2] == ':') {
    rest = stored.substr(3);
  } else if (size_t colon = stored.find(':'); colon != std::string_view::npos) {
    rest = stored.substr(colon + 1);
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find(separator, start);
    if (end == std::string_view::npos) end = rest.size();
    std::string part(rest.substr(start, end - start));
    // Empty, ".", ".." and hidden names are refused alike.
    if (part.empty() || part[0] == '.' ||
        part.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
      return {};
    }
    parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

std::string ResolveStoredPath(std::string_view stored, const PathRoots& roots, bool mac_text) {
  std::vector<std::string> parts = StoredPathComponents(stored);
  if (parts.empty()) return "";
  for (std::string& part : parts) {
    part = Windows1252ToUtf8(mac_text ? MacToWindows(part) : part);
  }
  std::string found = ResolveIn(roots.stack_folder, parts);
  for (size_t i = 0; found.empty() && i < roots.media_folders.size(); ++i) {
    found = ResolveIn(roots.media_folders[i], parts);
  }
  if (found.empty()) found = ResolveIn(roots.download_folder, parts);
  return found;
}

std::vector<std::string> MediaFolderPaths(const std::vector<std::string>& bases) {
  std::vector<std::string> paths;
  for (const std::string& base : bases) {
    if (base.empty()) continue;
    for (const MediaFolder& folder : kMediaFolders) {
      if (!folder.holds_extensions) paths.push_back(JoinPath(base, std::string(folder.name)));
    }
  }
  return paths;
}

}  // namespace corvida
