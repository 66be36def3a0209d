#include "logo/sandbox.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/charset.h"
#include "platform/dirwalk.h"
#include "platform/files.h"
#include "platform/text.h"
#include "stackfile/mactext.h"
#include "stackfile/media_folders.h"

namespace corvida::logo {
namespace {

// Longest name a script may give, and deepest folder nesting below the sandbox folder.
constexpr size_t kMaxNameBytes = 1024;
constexpr size_t kMaxComponents = 32;

// A name with ASCII letters upper-cased: two names match loosely when these are equal.
std::string LooseKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = AsciiUpper(c);
  return key;
}

// Splits a host path below the sandbox into its folder and its last component.
std::pair<std::string, std::string> SplitHost(const std::string& host) {
  size_t slash = host.rfind('/');
  if (slash == std::string::npos) return {"", host};
  return {host.substr(0, slash), host.substr(slash + 1)};
}

}  // namespace

Sandbox::Sandbox(std::string folder, std::vector<NamedFolder> media, FileQuota quota)
    : folder_(std::move(folder)), media_(std::move(media)), quota_(quota) {}

bool Sandbox::SplitName(std::string_view mac_name, std::vector<std::string>& parts) {
  parts.clear();
  if (mac_name.empty() || mac_name.size() > kMaxNameBytes) return false;
  // Absolute paths, drive letters and Mac volume paths all name places outside.
  if (mac_name[0] == '/' || mac_name[0] == '\\') return false;
  if (mac_name.find(':') != std::string_view::npos) return false;
  size_t start = 0;
  while (start <= mac_name.size()) {
    size_t end = mac_name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = mac_name.size();
    std::string_view part = mac_name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return false;
    for (char c : part)
      if (static_cast<unsigned char>(c) < 32) return false;
    parts.push_back(MacToUtf8(part));
    if (parts.size() > kMaxComponents) return false;
  }
  return true;
}

bool Sandbox::Walk(const std::string& root, const std::vector<std::string>& parts, Target& out) {
  std::string path = root;
  std::string relative;
  bool present = true;  // every component so far exists
  for (const std::string& part : parts) {
    std::string name = part;
    if (present && !FileExists(JoinPath(path, name)) && !IsSymlink(JoinPath(path, name))) {
      // Stacks were made where letter case does not matter: take the one loose match.
      std::string loose = LooseMatch(path, part);
      if (!loose.empty()) name = std::move(loose);
    }
    std::string next = JoinPath(path, name);
    if (IsSymlink(next)) return false;
    present = present && FileExists(next);
    path = std::move(next);
    relative = relative.empty() ? name : relative + "/" + name;
  }
  out.host = std::move(path);
  out.root = root;
  out.relative = std::move(relative);
  out.exists = present;
  return true;
}

Sandbox::LooseNames& Sandbox::LooseNamesOf(const std::string& folder) {
  int64_t modified = FolderStamp(folder);
  auto [it, fresh] = loose_.try_emplace(folder);
  LooseNames& loose = it->second;
  if (fresh || loose.modified != modified) {
    loose.modified = modified;
    loose.names.clear();
    for (const DirectoryEntry& e : ListDirectory(folder))
      loose.names.emplace(LooseKey(e.name), e.name);
  }
  return loose;
}

std::string Sandbox::LooseMatch(const std::string& folder, const std::string& name) {
  LooseNames& loose = LooseNamesOf(folder);
  auto match = loose.names.find(LooseKey(name));
  if (match == loose.names.end()) return "";
  // Another program may have removed it since.
  std::string path = JoinPath(folder, match->second);
  if (!FileExists(path) && !IsSymlink(path)) {
    loose.names.erase(match);
    return "";
  }
  return match->second;
}

void Sandbox::Added(const std::string& host) {
  auto [folder, name] = SplitHost(host);
  auto it = loose_.find(folder);
  if (it == loose_.end()) return;
  it->second.names.emplace(LooseKey(name), name);
  it->second.modified = FolderStamp(folder);  // our own change: no new listing
}

void Sandbox::Removed(const std::string& host) {
  auto [folder, name] = SplitHost(host);
  loose_.erase(host);  // a removed folder's own names
  auto it = loose_.find(folder);
  if (it == loose_.end()) return;
  auto match = it->second.names.find(LooseKey(name));
  if (match != it->second.names.end() && match->second == name) it->second.names.erase(match);
  it->second.modified = FolderStamp(folder);
}

void Sandbox::Measure() {
  measured_ = true;
  used_bytes_ = used_entries_ = 0;
  if (!EnsureFolder()) return;
  // Folders still to count; links are not followed, and counting stops once the folder
  // holds more entries than the quota allows.
  std::vector<std::pair<std::string, size_t>> pending{{folder_, 0}};
  while (!pending.empty() && used_entries_ <= quota_.entries) {
    auto [folder, depth] = pending.back();
    pending.pop_back();
    for (const DirectoryEntry& e : ListDirectory(folder)) {
      std::string path = JoinPath(folder, e.name);
      ++used_entries_;
      if (IsSymlink(path)) continue;
      FileInfo info = GetFileInfo(path);
      if (info.is_directory && depth < kMaxComponents) pending.push_back({path, depth + 1});
      if (!info.is_directory) used_bytes_ += info.size;
    }
  }
}

bool Sandbox::Reserve(int64_t bytes, int64_t entries) {
  if (!measured_) Measure();
  if (used_bytes_ + bytes > quota_.bytes || used_entries_ + entries > quota_.entries) return false;
  used_bytes_ += bytes;
  used_entries_ += entries;
  return true;
}

void Sandbox::Released(int64_t bytes, int64_t entries) {
  if (!measured_) return;  // measured afresh when next asked
  used_bytes_ = std::max<int64_t>(0, used_bytes_ - bytes);
  used_entries_ = std::max<int64_t>(0, used_entries_ - entries);
}

bool Sandbox::EnsureFolder() {
  if (folder_.empty()) return false;
  if (!folder_made_) folder_made_ = CreateDirectories(folder_);
  return folder_made_;
}

bool Sandbox::Resolve(std::string_view name, Use use, Target& out) {
  out = Target{};
  std::vector<std::string> parts;
  if (!SplitName(name, parts) || parts.empty()) return false;
  bool in_folder = false;
  if (EnsureFolder()) {
    std::vector<std::string> full = prefix_parts_;
    full.insert(full.end(), parts.begin(), parts.end());
    in_folder = Walk(folder_, full, out);
    if (in_folder && (out.exists || use == Use::kWrite)) return true;
  }
  if (use == Use::kRead && parts.size() >= 2) {
    std::vector<std::string> rest(parts.begin() + 1, parts.end());
    for (const NamedFolder& m : media_) {
      Target t;
      if (!EqualsIgnoringCase(m.name, parts[0]) || !Walk(m.path, rest, t) || !t.exists) continue;
      t.read_only = true;
      out = std::move(t);
      return true;
    }
  }
  return in_folder;
}

bool Sandbox::SetPrefix(std::string_view path) {
  std::vector<std::string> parts;
  if (!path.empty() && !SplitName(path, parts)) return false;
  if (!EnsureFolder()) return false;
  Target t;
  if (!Walk(folder_, parts, t) || !t.exists || !GetFileInfo(t.host).is_directory) return false;
  // Keep the names as they are on disk, so the prefix reads back exactly.
  prefix_parts_.clear();
  prefix_text_.clear();
  std::string rest = t.host.substr(folder_.size());
  size_t start = 0;
  while (start < rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) {
      std::string part = rest.substr(start, end - start);
      if (!prefix_text_.empty()) prefix_text_ += '\\';
      prefix_text_ += WindowsToMac(Utf8ToWindows1252(part));
      prefix_parts_.push_back(std::move(part));
    }
    start = end + 1;
  }
  return true;
}

std::string Sandbox::PrefixFolder() {
  if (!EnsureFolder()) return "";
  std::string path = folder_;
  for (const std::string& p : prefix_parts_) path = JoinPath(path, p);
  return path;
}

std::string StackFilesFolder(const std::string& data_folder, std::string_view stack_key) {
  // A readable part from the stack's file name, and a hash of the whole key so that two
  // stacks of the same name from different places do not share.
  size_t slash = stack_key.find_last_of("/\\:");
  std::string_view base = slash == std::string_view::npos ? stack_key : stack_key.substr(slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
  std::string name;
  for (char c : base.substr(0, 40)) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '_';
    name += plain ? c : '_';
  }
  if (name.empty()) name = "stack";
  uint32_t h = 2166136261u;
  for (char c : stack_key) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  char hex[12];
  std::snprintf(hex, sizeof hex, "-%08x", h);
  return JoinPath(JoinPath(data_folder, "script-files"), name + hex);
}

std::vector<NamedFolder> ScriptMediaFolders(const Folders& folders) {
  std::vector<NamedFolder> out;
  for (const std::string* base : {&folders.data, &folders.program}) {
    if (base->empty()) continue;
    for (const MediaFolder& folder : kMediaFolders) {
      if (folder.holds_extensions) continue;  // scripts read media, not modules
      out.push_back({std::string(folder.name), JoinPath(*base, std::string(folder.name))});
    }
  }
  return out;
}

}  // namespace corvida::logo
