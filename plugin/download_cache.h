// The download cache: every file a page's streams brought, kept from one run to the next in
// a private per-user folder, and its index "CORVIA.LOG" in that folder.
//
// The index is a signed 16-bit count (little-endian) and that many entries of 542 bytes,
// held here in that same layout and read through the accessors below:
//   0   260  URL, NUL-terminated
//   260 260  full host path of the file, NUL-terminated, directly inside the folder
//   520 4    last-modified value of the stream, as the browser reported it
//   524 2    use stamp (signed): the use counter at the last hand-over; 0 after loading
//   526 4    expected size: the stream's announced length (0: unknown)
//   530 4    bytes written so far, never above the expected size
//   534 4    complete flag
//   538 4    ready flag (complete in this run; 0 after loading)
//
// The index is written again whenever an entry is added, completed or removed, not only at
// the end of the run: a page's player is never told that it ends (the page is closed), and
// a cache whose index was not written forgets its files, which then stay for ever.
//
// Players in other processes (or other pages' players) may share the folder: before the
// index is written, the index on disk is read again and every entry another player added
// there (whose file is still present, and which this cache did not remove itself) is kept,
// an entry another player completed is taken as complete, and one another player removed
// (on disk when this cache last read or wrote the index, gone now) is let go. Files of the cache's
// own name pattern that no entry names (a player wrote its index without them) are removed when the
// index is loaded.
//
// At most 50 entries and 15,000,000 expected bytes. Eviction deletes the least recently
// handed-over entry (incomplete ones first) but never an entry whose file is pinned (a file
// slot of a player names it). The index comes from outside the program: a count outside
// 0..50 empties it, and an entry without its NULs, or whose path is not a plain name
// directly inside the folder, is dropped.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace corvida::plugin {

namespace cache_entry {
inline constexpr size_t kUrl = 0, kUrlSize = 260;
inline constexpr size_t kPath = 260, kPathSize = 260;
inline constexpr size_t kLastModified = 520;
inline constexpr size_t kUseStamp = 524;
inline constexpr size_t kExpected = 526;
inline constexpr size_t kReceived = 530;
inline constexpr size_t kComplete = 534;
inline constexpr size_t kReady = 538;
inline constexpr size_t kSize = 542;
}  // namespace cache_entry

inline constexpr const char* kCacheIndexName = "CORVIA.LOG";
inline constexpr int kCacheEntryLimit = 50;
inline constexpr uint32_t kCacheByteLimit = 15000000;
inline constexpr size_t kCacheIndexSize = 2 + kCacheEntryLimit * cache_entry::kSize;

// Whether a player still needs a file (eviction leaves it alone).
class PinnedFiles {
 public:
  virtual ~PinnedFiles() = default;
  virtual bool IsPinned(const std::string& host_path) const = 0;
};

// Nothing pinned.
class NoPinnedFiles : public PinnedFiles {
 public:
  bool IsPinned(const std::string&) const override { return false; }
};

class DownloadCache {
 public:
  // `folder` is the private cache folder; "" makes a cache that keeps nothing.
  explicit DownloadCache(std::string folder);

  const std::string& folder() const { return folder_; }
  bool usable() const { return !folder_.empty(); }

  // The index file: read once (a missing or faulty file leaves the cache empty), written
  // after every change of the entries and at the end of the run.
  void LoadIndex();
  bool SaveIndex();
  // The index from its bytes, with the checks above; and the bytes of the index.
  void ReadIndex(std::span<const uint8_t> bytes);
  std::vector<uint8_t> IndexBytes() const;

  int count() const { return count_; }
  std::string Url(int entry) const;
  std::string Path(int entry) const;
  uint32_t LastModified(int entry) const;
  int16_t UseStamp(int entry) const;
  uint32_t Expected(int entry) const;
  uint32_t Received(int entry) const;
  bool Complete(int entry) const;
  bool Ready(int entry) const;
  // The first entry of the URL; -1 when none.
  int Find(std::string_view url) const;

  // A complete entry of the URL with the same last-modified value whose file can be read:
  // true, and the entry is ready. Any other entry of the URL is removed with its file. A
  // stream that does not say when it changed (last-modified 0) is taken only from a copy
  // made in this run, and none whose announced length (when known) differs from the
  // entry's size: either may be a newer file.
  bool Lookup(std::string_view url, uint32_t last_modified, uint32_t length);
  // Makes room (evicting) and appends an entry; false when it cannot be kept (no room
  // beside pinned files, or URL or path too long): the file then stays uncached.
  bool Add(std::string_view url, const std::string& path, uint32_t last_modified, uint32_t expected,
           const PinnedFiles& pins);
  // Adds written bytes to the unfinished entry of the file at `path`, up to its expected
  // size. Entries are found by their file, never by URL: an older entry of the same URL
  // (another last-modified value, or a folded URL) is a different download.
  void AddWritten(const std::string& path, uint32_t count);
  // The entry of the file at `path` becomes complete and ready when its bytes all arrived
  // (an unknown length counts as complete: its size is then what was written).
  void MarkComplete(const std::string& path);
  // The file of the first complete and ready entry of the URL, stamped with the next use;
  // "" when there is none.
  std::string HandOver(std::string_view url);
  // The use counter (the last stamp given); tests set it to see it wrap.
  uint16_t use_counter() const { return use_counter_; }
  void set_use_counter(uint16_t value) { use_counter_ = value; }
  // Removes the entry of this file (and the file itself, inside the folder only).
  void Forget(const std::string& path);
  // Removes every entry of the URL with its file: a stream that failed.
  void Drop(std::string_view url);

  // A new file for a stream of `url`, created exclusively in the folder: "stk", random
  // letters and the URL's extension when it is three ASCII letters or digits, else ".tmp".
  File CreateFile(std::string_view url, std::string& path) const;
  // Whether `path` is a plain name directly inside the folder.
  bool InsideFolder(std::string_view path) const;
  // Whether `name` is of the pattern CreateFile gives ("stk", 8 letters or digits, ".",
  // three letters or digits).
  static bool IsCacheFileName(std::string_view name);

 private:
  std::span<uint8_t> Entry(int entry);
  std::span<const uint8_t> Entry(int entry) const;
  void Remove(int entry);
  // Evicts one unpinned entry; false when every entry is pinned.
  bool EvictOne(const PinnedFiles& pins);
  uint64_t ExpectedTotal() const;
  void Restamp();
  void DeleteOwnFile(const std::string& path) const;
  // Writes the index after a change; a cache that keeps nothing writes nothing.
  void Persist();
  // Takes in what other players wrote to the index on disk since it was read.
  void MergeIndexOnDisk();
  // Deletes the cache files that no entry names.
  void RemoveOrphans() const;
  int FindPath(const std::string& path) const;
  std::vector<std::string> EntryPaths() const;

  std::string folder_;
  std::array<uint8_t, kCacheEntryLimit * cache_entry::kSize> entries_{};
  int count_ = 0;
  uint16_t use_counter_ = 0;
  std::vector<std::string> removed_paths_;  // entries this cache removed: never taken back
  std::vector<std::string>
      paths_on_disk_;  // the entries' files when the index was last read or written
};

}  // namespace corvida::plugin
