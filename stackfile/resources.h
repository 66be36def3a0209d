// The resource area of a stack: typed, numbered blocks after the card records (icons,
// sounds, shared action lists, hyperlinks, extension references, the font list, the
// saved workspace). A ResourceFile indexes one area; `Resources` keeps the open areas,
// newest first, and its operations act on the current one.
//
// Resource data lives in handles in native layout: 'Actn' and 'Hlnk' records and 'NBAs'
// references are converted when read and converted back when written; every other type
// is kept exactly as stored.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/handles.h"
#include "stackfile/records_access.h"

namespace corvida {

namespace stackio {
class InFile;
}

using FourCC = uint32_t;
constexpr FourCC MakeFourCC(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
         uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}
std::string FourCCText(FourCC type);

namespace restype {
inline constexpr FourCC kActn = MakeFourCC("Actn");
inline constexpr FourCC kHlnk = MakeFourCC("Hlnk");
inline constexpr FourCC kNBAs = MakeFourCC("NBAs");
inline constexpr FourCC kIcon = MakeFourCC("Icon");
inline constexpr FourCC kSnd = MakeFourCC("Snd ");
inline constexpr FourCC kStrk = MakeFourCC("Strk");
inline constexpr FourCC kWKSp = MakeFourCC("WKSp");
inline constexpr FourCC kWkSp = MakeFourCC("WkSp");
inline constexpr FourCC kFntL = MakeFourCC("FntL");
inline constexpr FourCC kCVpr = MakeFourCC("CVpr");
inline constexpr FourCC kPPak = MakeFourCC("PPak");
inline constexpr FourCC kSprt = MakeFourCC("Sprt");
}  // namespace restype

// Types read without the marker test.
bool IsKnownResourceType(FourCC type);
// Marker rule for other types: the two marker bytes, first byte low, in 0x4321..0x4325.
bool MarkerAccepted(const uint8_t marker[2]);

namespace resentry {
inline constexpr size_t kHeaderSize = 68;
inline constexpr size_t kNameField = 32;
inline constexpr uint32_t kStateDeleted = 0x80000000u;
inline constexpr int kFailed = 16;  // result of a resource operation that failed
}  // namespace resentry

struct ResourceEntry {
  FourCC type = 0;
  uint16_t id = 0;
  std::array<uint8_t, 2> marker{};
  std::array<uint8_t, 32> name{};  // counted string, as stored
  uint32_t state = 0;
  uint32_t length = 0;                 // data length
  Handle data = 0;                     // 0 while not loaded
  int64_t file_offset = -1;            // offset of the entry header in the file; -1: none
  std::array<uint8_t, 16> reserved{};  // kept as read
  std::array<uint8_t, 3> padding{};    // bytes after the data up to the next multiple of 4

  bool deleted() const { return (state & resentry::kStateDeleted) != 0; }
  std::string Name() const;  // stored characters, clamped to the field
  uint32_t SizeOnDisk() const { return ((length + 3u) & ~3u) + resentry::kHeaderSize; }
};

// What to do when a damaged block is met. The area cannot decide: whoever opens it
// asks the user (alert 2396) and opens it again with the answer.
enum class DamagedBlocks { kUnanswered, kKeepWhatWasRead, kDiscardArea };

struct ResourceOpenOptions {
  bool convert_names = false;  // button names in 'Actn' and 'Hlnk' are Mac Roman
  bool write_last_id = false;  // the file is local and writable: new IDs go to offset 68
  DamagedBlocks damaged = DamagedBlocks::kDiscardArea;
};

struct ResourceOpenResult {
  int serial = 0;  // the area opened; 0 when it did not
  // A damaged block was met while `damaged` was kUnanswered: nothing was kept.
  bool damage_unanswered = false;
};

class ResourceFile {
 public:
  int serial = 0;
  uint32_t flags = 0;  // bit 0: delete the file when the area closes
  uint64_t first_offset = 0;
  uint16_t last_id = 1;
  std::string path;  // host path; empty for an area kept only in memory
  bool convert_names = false;
  bool write_last_id = false;
  std::vector<ResourceEntry> entries;

  uint64_t AreaSize() const;
};

class Resources {
 public:
  explicit Resources(Handles& handles) : handles_(handles) {}
  ~Resources();
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  // Opens the area of the file at `path` whose first block is at `first`; the count and
  // last ID come from header offsets 64 and 68.
  ResourceOpenResult OpenArea(const std::string& path, uint64_t first,
                              const ResourceOpenOptions& options);
  // An empty area that lives only in memory (a new stack, or storing with no area open).
  int OpenScratchArea();
  void CloseArea(int serial);
  void CloseAll();
  ResourceFile* current() { return current_; }
  const ResourceFile* current() const { return current_; }

  Handle Get(FourCC type, uint16_t id);
  Handle GetByName(FourCC type, std::string_view name);
  Handle GetIndexed(FourCC type, int index);
  int Count(FourCC type) const;
  uint16_t NthId(FourCC type, int index) const;  // no data is loaded; 0 when absent
  int IndexOf(FourCC type, uint16_t id) const;
  uint32_t Size(FourCC type, uint16_t id) const;
  // The entry that owns a data handle; 16 when none does.
  int Info(Handle data, FourCC* type, uint16_t* id, std::string* name, uint32_t* state) const;
  int SetName(FourCC type, uint16_t id, std::string_view name);
  // Takes ownership of `data`. id 0 assigns a unique ID; the ID used is returned through
  // `out_id`. 0, or 16 on failure.
  int Add(Handle data, FourCC type, uint16_t id, std::string_view name, uint16_t* out_id = nullptr);
  int Remove(FourCC type, uint16_t id);
  void RemoveEntry(ResourceEntry& entry);  // an entry of the current area
  uint16_t UniqueId();                     // 0 when all 65,535 IDs are taken
  // Gives the entry owning `data` a copy, so that the caller owns `data` outright.
  int Detach(Handle data);
  enum StoreOption : unsigned { kStoreCopy = 1, kStoreReplace = 2, kStoreRenameOnly = 4 };
  int Store(FourCC type, uint16_t id, Handle data, std::string_view name, unsigned options);

  // Loads every entry's data (deleted entries excepted); false when one cannot be read.
  bool LoadAll();
  // The stored form of the whole area, every entry in table order.
  bool WriteArea(std::vector<uint8_t>& out);
  // After a save: the area now lives in `path`, its blocks from `first` on.
  void Relocate(const std::string& path, uint64_t first);

  // Native data of one entry (loads it when needed); null view when it has none.
  ResourceEntry* Find(FourCC type, uint16_t id);
  const ResourceEntry* Find(FourCC type, uint16_t id) const;

 private:
  bool LoadEntry(ResourceFile& file, ResourceEntry& entry);
  bool LoadEntryFrom(stackio::InFile& in, const ResourceFile& file, ResourceEntry& entry);
  Handle DataOf(ResourceEntry& entry);

  Handles& handles_;
  std::vector<std::unique_ptr<ResourceFile>> files_;  // newest first
  ResourceFile* current_ = nullptr;
  int next_serial_ = 1;
};

// Converts a resource's data by type, in place.
void ConvertResourceData(FourCC type, Bytes data, Direction dir, bool convert_names);

}  // namespace corvida
