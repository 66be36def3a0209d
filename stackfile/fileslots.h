// The file slots: a table of 20 slots of 368 bytes, in their stored layout, holding the
// paths of the player's working files and folders, and the file operations over them.
//
// Paths inside the system keep the Windows form stacks use (drive letter, backslashes,
// Windows character set); `PathMap::ToHost` is the one place that turns such a path into
// a host path.
//
// Slot layout (offsets within a slot):
//   0  4 bytes    unused
//   4  260 bytes  full path, NUL-terminated
//   264 byte      0
//   298 u16       0xFFFF at start; carried in serialized references
//   300 u32       0 at start; carried in serialized references
//   304 64 bytes  file name part, NUL-terminated
//
// Slots with fixed roles: 0 scratch, 1 the current stack, 16 target of "save as"; the
// media folders sit in the slots stackfile/media_folders.h names.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/handles.h"
#include "platform/files.h"
#include "platform/platform.h"

namespace corvida {

// Maps Windows-form paths to host paths: a drive letter names a host folder (by default
// C: is the host's root), backslashes become slashes, "." and ".." are resolved without
// climbing above the drive's root, the text goes from the Windows character set to
// UTF-8, and a component that is absent with its exact case is matched without regard to
// case, as stacks made on case-insensitive systems expect.
class PathMap {
 public:
  PathMap();
  void SetDrive(char letter, std::string host_root);  // "" removes the drive
  const std::string& DriveRoot(char letter) const;
  bool HasDrive(char letter) const { return !DriveRoot(letter).empty(); }

  // Host path of a Windows-form path (a path without a drive letter is on C:, a relative
  // one too). The path's components are matched case-insensitively where needed.
  std::string ToHost(std::string_view windows_path) const;
  // Windows-form path of a host path: the drive whose root is the longest prefix.
  std::string ToWindows(std::string_view host_path) const;

 private:
  std::array<std::string, 26> roots_;
};

struct SlotFileInfo {
  int64_t size = 0;
  bool exists = false;
  bool locked = false;  // exists but cannot be opened for writing
};

// A file reference as records store it (see SerializeSlot).
struct FileReference {
  std::string path;  // Windows form
  uint16_t value298 = 0xFFFF;
  uint32_t value300 = 0;
  std::string name;
};

// File types by extension (-1: none or unknown).
int FileType(std::string_view name);
bool IsSoundFileType(int type);  // wav, aif, au
bool IsMovieFileType(int type);  // mov, avi
// Windows-form path helpers.
std::string FolderOf(std::string_view path);  // up to, not including, the last backslash
std::string SiblingPath(std::string_view name, std::string_view path);
std::string_view NamePart(std::string_view path);  // after the last backslash or colon

// Exact-count file operations: 0 when exactly `count` bytes moved, else -1 (the count is
// left unchanged on a short read). A write of 0 bytes succeeds.
int ReadExact(File& file, uint32_t& count, void* buffer);
int WriteExact(File& file, uint32_t& count, const void* buffer);
int SeekTo(File& file, int origin, int64_t position);  // 0 when at the position asked for
int TellPosition(File& file, int64_t& position);
// Parses a serialized reference from untrusted bytes; the bytes consumed, or -1.
int ParseFileReference(std::span<const uint8_t> bytes, FileReference& out);

class FileSlots {
 public:
  static constexpr int kSlotCount = 20;
  static constexpr int kSlotSize = 368;
  static constexpr int kPathSize = 260;
  static constexpr int kNameSize = 64;
  static constexpr int kScratch = 0, kStack = 1, kSounds = 2, kArt = 4, kNbas = 12, kMovies = 14,
                       kSaveAs = 16, kExtras = 17, kAnimations = 18;
  static constexpr const char* kModuleName = "CORVIDA.EXE";

  // Every slot starts as the player's own path; the media folders are looked up in the
  // per-user data folder first and beside the program second.
  FileSlots(Handles& handles, const Folders& folders, PathMap map = {});

  PathMap& paths() { return map_; }
  const PathMap& paths() const { return map_; }

  std::string Path(int slot) const;  // "" for a slot number out of range
  std::string Name(int slot) const;
  std::string HostPath(int slot) const { return map_.ToHost(Path(slot)); }
  // Copies the path and its name part into the slot; -1 (slot unchanged) when the slot
  // does not exist or the path does not fit.
  int SetPath(int slot, std::string_view windows_path);
  int SetHostPath(int slot, std::string_view host_path);
  int Copy(int from, int to);  // all 368 bytes
  // Takes a whole slot record from a caller: its path and name are cut at their fields'
  // ends, so a record without terminators cannot run into the next field; -1 (slot
  // unchanged) unless the record is 368 bytes.
  int SetRecord(int slot, std::span<const uint8_t> record);
  std::span<const uint8_t> Raw(int slot) const;
  uint16_t Value298(int slot) const;
  uint32_t Value300(int slot) const;

  // File operations on slots and Windows-form paths.
  int Open(int slot, int mode, File& out) const;  // mode 0 read, 2 read/write
  int Create(int slot, File& out) const;          // creates or empties
  bool Exists(std::string_view windows_path) const;
  SlotFileInfo Info(int slot) const;
  bool Delete(std::string_view windows_path) const;
  std::string FullPath(std::string_view windows_path) const;
  int64_t FreeSpace(std::string_view windows_path) const;
  char FirstAbsentDriveLetter() const;  // 0 when all 26 are present
  // Whole files: -1 for a missing or empty file, or one larger than maximum (0 = none).
  int LoadFile(int slot, Handle* out, uint32_t maximum) const;
  int WriteHandleToFile(Handle h, uint32_t count, int slot) const;
  int CopyFile(int from, int to) const;
  // Saving over a stack: 0, or -2688 when the target exists but cannot be written.
  int CheckSaveTarget(int slot) const;
  // Creates the first free "CVTMP000.TMP" .. "CVTMP999.TMP" in the folder of `target`
  // (never replacing a file) and puts its path into slot `into`; -1 when all exist.
  int CreateTempSaveFile(int target, int into, File& out);

  // A handle with the serialized reference of the slot: the path and its NUL, a zero byte
  // when the path's length is even, u16 298 and u32 300 (in memory order, little-endian),
  // the name and its NUL.
  Handle Serialize(int slot) const;
  // Puts the reference's path into the slot and returns 1 when the file is on the local
  // disk; otherwise asks for it through the request hook and returns 0.
  int EnsureFilePresent(const FileReference& reference, int slot);
  void SetRequestHook(std::function<void(const FileReference&)> hook) {
    request_hook_ = std::move(hook);
  }

 private:
  uint8_t* SlotBytes(int slot) { return bytes_.data() + slot * kSlotSize; }
  const uint8_t* SlotBytes(int slot) const { return bytes_.data() + slot * kSlotSize; }
  static bool ValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

  Handles& handles_;
  PathMap map_;
  std::array<uint8_t, kSlotCount * kSlotSize> bytes_{};
  std::function<void(const FileReference&)> request_hook_;
};

}  // namespace corvida
