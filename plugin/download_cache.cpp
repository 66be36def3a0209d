#include "plugin/download_cache.h"

#include <algorithm>
#include <cstring>

#include "platform/bytes.h"
#include "plugin/urls.h"

namespace corvida::plugin {

namespace {

// A NUL-terminated text field; "" when the field holds no NUL.
std::string FieldText(std::span<const uint8_t> entry, size_t offset, size_t size) {
  const auto field = entry.subspan(offset, size);
  const auto nul = std::find(field.begin(), field.end(), uint8_t(0));
  if (nul == field.end()) return "";
  return std::string(field.begin(), nul);
}

bool HasNul(std::span<const uint8_t> entry, size_t offset, size_t size) {
  const auto field = entry.subspan(offset, size);
  return std::find(field.begin(), field.end(), uint8_t(0)) != field.end();
}

bool PutFieldText(std::span<uint8_t> entry, size_t offset, size_t size, std::string_view text) {
  if (text.size() >= size || text.find('\0') != std::string_view::npos) return false;
  std::memset(entry.data() + offset, 0, size);
  std::memcpy(entry.data() + offset, text.data(), text.size());
  return true;
}

}  // namespace

DownloadCache::DownloadCache(std::string folder) : folder_(std::move(folder)) {}

std::span<uint8_t> DownloadCache::Entry(int entry) {
  return std::span<uint8_t>(entries_).subspan(size_t(entry) * cache_entry::kSize,
                                              cache_entry::kSize);
}

std::span<const uint8_t> DownloadCache::Entry(int entry) const {
  return std::span<const uint8_t>(entries_).subspan(size_t(entry) * cache_entry::kSize,
                                                    cache_entry::kSize);
}

std::string DownloadCache::Url(int entry) const {
  return FieldText(Entry(entry), cache_entry::kUrl, cache_entry::kUrlSize);
}
std::string DownloadCache::Path(int entry) const {
  return FieldText(Entry(entry), cache_entry::kPath, cache_entry::kPathSize);
}
uint32_t DownloadCache::LastModified(int entry) const {
  return ReadLE32(Entry(entry), cache_entry::kLastModified);
}
int16_t DownloadCache::UseStamp(int entry) const {
  return int16_t(ReadLE16(Entry(entry), cache_entry::kUseStamp));
}
uint32_t DownloadCache::Expected(int entry) const {
  return ReadLE32(Entry(entry), cache_entry::kExpected);
}
uint32_t DownloadCache::Received(int entry) const {
  return ReadLE32(Entry(entry), cache_entry::kReceived);
}
bool DownloadCache::Complete(int entry) const {
  return ReadLE32(Entry(entry), cache_entry::kComplete) != 0;
}
bool DownloadCache::Ready(int entry) const {
  return ReadLE32(Entry(entry), cache_entry::kReady) != 0;
}

int DownloadCache::Find(std::string_view url) const {
  for (int i = 0; i < count_; ++i) {
    if (SameUrl(Url(i), url)) return i;
  }
  return -1;
}

bool DownloadCache::InsideFolder(std::string_view path) const {
  if (folder_.empty() || path.size() <= folder_.size() + 1) return false;
  if (path.substr(0, folder_.size()) != folder_ || path[folder_.size()] != '/') return false;
  const std::string_view name = path.substr(folder_.size() + 1);
  return name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// ---- the index file ----

void DownloadCache::ReadIndex(std::span<const uint8_t> bytes) {
  entries_.fill(0);
  count_ = 0;
  const int16_t stored = int16_t(ReadLE16(bytes, 0));
  if (!InBounds(bytes, 0, 2) || stored < 0 || stored > kCacheEntryLimit) return;
  for (int i = 0; i < stored; ++i) {
    const size_t at = 2 + size_t(i) * cache_entry::kSize;
    if (!InBounds(bytes, at, cache_entry::kSize)) break;
    const auto stored_entry = bytes.subspan(at, cache_entry::kSize);
    if (!HasNul(stored_entry, cache_entry::kUrl, cache_entry::kUrlSize) ||
        !HasNul(stored_entry, cache_entry::kPath, cache_entry::kPathSize))
      continue;
    if (FieldText(stored_entry, cache_entry::kUrl, cache_entry::kUrlSize).empty()) continue;
    if (!InsideFolder(FieldText(stored_entry, cache_entry::kPath, cache_entry::kPathSize)))
      continue;
    const std::span<uint8_t> entry = Entry(count_++);
    std::memcpy(entry.data(), stored_entry.data(), cache_entry::kSize);
    // A use stamp and readiness only hold for the run that set them.
    WriteLE16(entry, cache_entry::kUseStamp, 0);
    WriteLE32(entry, cache_entry::kReady, 0);
    WriteLE32(entry, cache_entry::kReceived, std::min(Received(count_ - 1), Expected(count_ - 1)));
  }
}

std::vector<uint8_t> DownloadCache::IndexBytes() const {
  std::vector<uint8_t> bytes(2 + size_t(count_) * cache_entry::kSize);
  WriteLE16(bytes, 0, uint16_t(count_));
  std::memcpy(bytes.data() + 2, entries_.data(), size_t(count_) * cache_entry::kSize);
  return bytes;
}

void DownloadCache::LoadIndex() {
  std::vector<uint8_t> bytes;
  if (usable() && ReadFileUpTo(JoinPath(folder_, kCacheIndexName), kCacheIndexSize, bytes)) {
    ReadIndex(bytes);
  } else {
    ReadIndex({});
  }
  paths_on_disk_ = EntryPaths();
  if (usable()) RemoveOrphans();
}

std::vector<std::string> DownloadCache::EntryPaths() const {
  std::vector<std::string> paths;
  for (int i = 0; i < count_; ++i) paths.push_back(Path(i));
  return paths;
}

bool DownloadCache::IsCacheFileName(std::string_view name) {
  const auto plain = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  if (name.size() != 15 || name.substr(0, 3) != "stk" || name[11] != '.') return false;
  for (size_t i = 3; i < name.size(); ++i) {
    if (i != 11 && !plain(name[i])) return false;
  }
  return true;
}

int DownloadCache::FindPath(const std::string& path) const {
  for (int i = 0; i < count_; ++i) {
    if (Path(i) == path) return i;
  }
  return -1;
}

void DownloadCache::RemoveOrphans() const {
  // A player that wrote its index from an older copy left the other's files unnamed; they
  // would stay for ever, since nothing else deletes a file that no entry names.
  for (const DirectoryEntry& found : ListDirectory(folder_)) {
    if (found.is_directory || !IsCacheFileName(found.name)) continue;
    if (FindPath(JoinPath(folder_, found.name)) < 0) DeleteFileBeneath(folder_, found.name);
  }
}

void DownloadCache::MergeIndexOnDisk() {
  std::vector<uint8_t> bytes;
  if (!ReadFileUpTo(JoinPath(folder_, kCacheIndexName), kCacheIndexSize, bytes)) return;
  DownloadCache on_disk(folder_);
  on_disk.ReadIndex(bytes);
  const auto listed = [](const std::vector<std::string>& paths, const std::string& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  };
  // What another player removed since this cache last looked goes here too (its file went
  // with it).
  const std::vector<std::string> now_on_disk = on_disk.EntryPaths();
  for (int i = count_ - 1; i >= 0; --i) {
    if (listed(paths_on_disk_, Path(i)) && !listed(now_on_disk, Path(i))) Remove(i);
  }
  for (int i = 0; i < on_disk.count(); ++i) {
    const std::string path = on_disk.Path(i);
    const int own = FindPath(path);
    if (own >= 0) {
      // Another player finished the download this cache saw begin.
      if (on_disk.Complete(i) && !Complete(own)) {
        WriteLE32(Entry(own), cache_entry::kExpected, on_disk.Expected(i));
        WriteLE32(Entry(own), cache_entry::kReceived, on_disk.Received(i));
        WriteLE32(Entry(own), cache_entry::kComplete, 1);
      }
      continue;
    }
    if (listed(removed_paths_, path) || !IsRegularFile(path) || count_ >= kCacheEntryLimit ||
        ExpectedTotal() + on_disk.Expected(i) > kCacheByteLimit)
      continue;  // a file left unnamed here goes at the next load
    std::memcpy(Entry(count_++).data(), on_disk.Entry(i).data(), cache_entry::kSize);
  }
}

bool DownloadCache::SaveIndex() {
  if (!usable()) return false;
  MergeIndexOnDisk();
  const std::vector<uint8_t> bytes = IndexBytes();
  if (!WriteFileAtomically(
          JoinPath(folder_, kCacheIndexName),
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    return false;
  paths_on_disk_ = EntryPaths();
  return true;
}

void DownloadCache::Persist() {
  // A failed write loses nothing: the old index stays whole and the next change tries again.
  if (usable()) SaveIndex();
}

// ---- entries ----

void DownloadCache::DeleteOwnFile(const std::string& path) const {
  if (InsideFolder(path)) DeleteFileBeneath(folder_, PathFileName(path));
}

void DownloadCache::Remove(int entry) {
  removed_paths_.push_back(Path(entry));
  const size_t at = size_t(entry) * cache_entry::kSize;
  const size_t end = size_t(count_) * cache_entry::kSize;
  std::memmove(entries_.data() + at, entries_.data() + at + cache_entry::kSize,
               end - at - cache_entry::kSize);
  std::memset(entries_.data() + end - cache_entry::kSize, 0, cache_entry::kSize);
  --count_;
}

bool DownloadCache::Lookup(std::string_view url, uint32_t last_modified, uint32_t length) {
  const int entry = Find(url);
  if (entry < 0) return false;
  const std::string path = Path(entry);
  // A copy from an earlier run is only as good as the date the server gave for it.
  const bool same_file = LastModified(entry) == last_modified &&
                         (last_modified != 0 || Ready(entry)) &&
                         (length == 0 || Expected(entry) == length);
  if (same_file && Complete(entry) && IsRegularFile(path) &&
      File::OpenNoFollow(path, File::Mode::kRead).is_open()) {
    WriteLE32(Entry(entry), cache_entry::kReady, 1);  // its file was found whole in this run
    return true;
  }
  DeleteOwnFile(path);
  Remove(entry);
  Persist();
  return false;
}

uint64_t DownloadCache::ExpectedTotal() const {
  uint64_t total = 0;
  for (int i = 0; i < count_; ++i) total += Expected(i);
  return total;
}

bool DownloadCache::EvictOne(const PinnedFiles& pins) {
  // Incomplete entries go first, then the one handed over longest ago.
  int candidate = -1;
  for (int i = 0; i < count_; ++i) {
    if (pins.IsPinned(Path(i))) continue;
    if (candidate < 0 || UseStamp(i) < UseStamp(candidate) || !Complete(i)) candidate = i;
  }
  if (candidate < 0) return false;
  DeleteOwnFile(Path(candidate));
  Remove(candidate);
  return true;
}

bool DownloadCache::Add(std::string_view url, const std::string& path, uint32_t last_modified,
                        uint32_t expected, const PinnedFiles& pins) {
  if (!usable() || url.empty() || url.size() >= cache_entry::kUrlSize ||
      path.size() >= cache_entry::kPathSize || !InsideFolder(path))
    return false;
  if (count_ >= kCacheEntryLimit && !EvictOne(pins)) return false;
  while (count_ > 0 && uint64_t(kCacheByteLimit) < ExpectedTotal() + expected) {
    if (!EvictOne(pins)) {
      Persist();  // what was evicted before is gone
      return false;
    }
  }
  const std::span<uint8_t> entry = Entry(count_);
  std::memset(entry.data(), 0, cache_entry::kSize);
  PutFieldText(entry, cache_entry::kUrl, cache_entry::kUrlSize, url);
  PutFieldText(entry, cache_entry::kPath, cache_entry::kPathSize, path);
  WriteLE32(entry, cache_entry::kLastModified, last_modified);
  WriteLE32(entry, cache_entry::kExpected, expected);
  ++count_;
  // An entry that never completes (the page was closed meanwhile) is found by the next
  // run's lookup, which removes it with its file.
  Persist();
  return true;
}

void DownloadCache::AddWritten(const std::string& path, uint32_t count) {
  for (int i = 0; i < count_; ++i) {
    if (Complete(i) || Path(i) != path) continue;
    const uint64_t written = uint64_t(Received(i)) + count;
    const uint32_t expected = Expected(i);
    // An unknown length grows with what was written.
    const uint64_t capped = expected == 0 ? std::min<uint64_t>(written, kCacheByteLimit)
                                          : std::min<uint64_t>(written, expected);
    WriteLE32(Entry(i), cache_entry::kReceived, uint32_t(capped));
  }
}

void DownloadCache::MarkComplete(const std::string& path) {
  bool completed = false;
  for (int i = 0; i < count_; ++i) {
    if (Complete(i) || Path(i) != path || Received(i) < Expected(i)) continue;
    if (Expected(i) == 0) WriteLE32(Entry(i), cache_entry::kExpected, Received(i));
    WriteLE32(Entry(i), cache_entry::kComplete, 1);
    WriteLE32(Entry(i), cache_entry::kReady, 1);
    completed = true;
  }
  if (completed) Persist();
}

std::string DownloadCache::HandOver(std::string_view url) {
  for (int i = 0; i < count_; ++i) {
    if (!SameUrl(Url(i), url) || !Complete(i) || !Ready(i)) continue;
    if (use_counter_ >= INT16_MAX) Restamp();
    ++use_counter_;
    WriteLE16(Entry(i), cache_entry::kUseStamp, use_counter_);
    return Path(i);
  }
  return "";
}

void DownloadCache::Restamp() {
  // The stamps are signed 16-bit: before the counter would turn negative (and the entry
  // used last would look oldest), the used entries are numbered afresh in their order.
  std::vector<int> used;
  for (int i = 0; i < count_; ++i) {
    if (UseStamp(i) > 0) used.push_back(i);
  }
  std::sort(used.begin(), used.end(), [this](int a, int b) { return UseStamp(a) < UseStamp(b); });
  use_counter_ = 0;
  for (int entry : used) WriteLE16(Entry(entry), cache_entry::kUseStamp, ++use_counter_);
}

void DownloadCache::Forget(const std::string& path) {
  for (int i = 0; i < count_; ++i) {
    if (Path(i) != path) continue;
    Remove(i);
    Persist();
    break;
  }
  DeleteOwnFile(path);
}

void DownloadCache::Drop(std::string_view url) {
  const int before = count_;
  for (int i = count_ - 1; i >= 0; --i) {
    if (!SameUrl(Url(i), url)) continue;
    DeleteOwnFile(Path(i));
    Remove(i);
  }
  if (count_ != before) Persist();
}

File DownloadCache::CreateFile(std::string_view url, std::string& path) const {
  path.clear();
  if (!usable()) return {};
  const std::string extension = UrlExtension(url);
  std::string name;
  File file = CreateFreshFile(folder_, "stk", "." + (extension.empty() ? "tmp" : extension), name);
  if (file.is_open()) path = JoinPath(folder_, name);
  return file;
}

}  // namespace corvida::plugin
