#include "stackfile/fileslots.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/bytes.h"
#include "stackfile/media_folders.h"

namespace corvida {

namespace {

constexpr int kPathOffset = 4;
constexpr int kFlagOffset = 264;
constexpr int kValue298Offset = 298;
constexpr int kValue300Offset = 300;
constexpr int kNameOffset = 304;

std::string CString(const uint8_t* p, size_t capacity) {
  const auto* c = reinterpret_cast<const char*>(p);
  return std::string(c, strnlen(c, capacity));
}

}  // namespace

int ReadExact(File& file, uint32_t& count, void* buffer) {
  if (count == 0) return 0;
  return file.Read(buffer, count) == static_cast<int64_t>(count) ? 0 : -1;
}

int WriteExact(File& file, uint32_t& count, const void* buffer) {
  if (count == 0) return 0;
  return file.Write(buffer, count) == static_cast<int64_t>(count) ? 0 : -1;
}

int SeekTo(File& file, int origin, int64_t position) {
  const auto from = origin == 1   ? File::kFromCurrent
                    : origin == 2 ? File::kFromEnd
                                  : File::kFromStart;
  const int64_t now = file.Seek(position, from);
  if (now < 0) return -1;
  // From the start, the system must report the very position asked for.
  return from != File::kFromStart || now == position ? 0 : -1;
}

int TellPosition(File& file, int64_t& position) {
  const int64_t now = file.Tell();
  if (now < 0) return -1;
  position = now;
  return 0;
}

int ParseFileReference(std::span<const uint8_t> bytes, FileReference& out) {
  if (bytes.empty()) return -1;  // an empty span may have no bytes to point at
  const auto* text = reinterpret_cast<const char*>(bytes.data());
  const size_t path_length = strnlen(text, std::min<size_t>(bytes.size(), FileSlots::kPathSize));
  if (path_length >= bytes.size() || path_length >= FileSlots::kPathSize) return -1;
  size_t at = path_length + 1 + (path_length % 2 == 0 ? 1 : 0);
  if (at + 6 >= bytes.size()) return -1;
  FileReference ref;
  ref.path.assign(text, path_length);
  ref.value298 = ReadLE16(bytes, at);
  ref.value300 = ReadLE32(bytes, at + 2);
  at += 6;
  const size_t room = std::min<size_t>(bytes.size() - at, FileSlots::kNameSize);
  const size_t name_length = strnlen(text + at, room);
  if (name_length >= room) return -1;
  ref.name.assign(text + at, name_length);
  out = std::move(ref);
  return static_cast<int>(at + name_length + 1);
}

FileSlots::FileSlots(Handles& handles, const Folders& folders, PathMap map)
    : handles_(handles), map_(std::move(map)) {
  const std::string module = map_.ToWindows(folders.program + "/" + kModuleName);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const std::span<uint8_t> bytes(SlotBytes(slot), kSlotSize);
    bytes[kFlagOffset] = 0;
    WriteLE16(bytes, kValue298Offset, 0xFFFF);
    WriteLE32(bytes, kValue300Offset, 0);
    SetPath(slot, module);
  }
  const std::string data = folders.data.empty() ? "" : map_.ToWindows(folders.data);
  for (const MediaFolder& folder : kMediaFolders) {
    const std::string name(folder.name);
    std::string path = data + "\\" + name + "\\";
    if (data.empty() || !FileExists(map_.ToHost(path))) path = SiblingPath(name + "\\", module);
    SetPath(folder.slot, path);
  }
}

std::string FileSlots::Path(int slot) const {
  return ValidSlot(slot) ? CString(SlotBytes(slot) + kPathOffset, kPathSize) : "";
}

std::string FileSlots::Name(int slot) const {
  return ValidSlot(slot) ? CString(SlotBytes(slot) + kNameOffset, kNameSize) : "";
}

int FileSlots::SetPath(int slot, std::string_view windows_path) {
  if (!ValidSlot(slot) || windows_path.size() >= kPathSize ||
      windows_path.find('\0') != std::string_view::npos) {
    return -1;
  }
  uint8_t* p = SlotBytes(slot);
  std::memset(p + kPathOffset, 0, kPathSize);
  std::memcpy(p + kPathOffset, windows_path.data(), windows_path.size());
  // The name part is informational: a long one is cut to fit.
  const std::string_view name = NamePart(windows_path).substr(0, kNameSize - 1);
  std::memset(p + kNameOffset, 0, kNameSize);
  std::memcpy(p + kNameOffset, name.data(), name.size());
  return 0;
}

int FileSlots::SetHostPath(int slot, std::string_view host_path) {
  const std::string windows = map_.ToWindows(host_path);
  return windows.empty() ? -1 : SetPath(slot, windows);
}

int FileSlots::Copy(int from, int to) {
  if (!ValidSlot(from) || !ValidSlot(to)) return -1;
  if (from != to) std::memcpy(SlotBytes(to), SlotBytes(from), kSlotSize);
  return 0;
}

int FileSlots::SetRecord(int slot, std::span<const uint8_t> record) {
  if (!ValidSlot(slot) || record.size() != kSlotSize) return -1;
  uint8_t* bytes = SlotBytes(slot);
  std::memcpy(bytes, record.data(), kSlotSize);
  bytes[kPathOffset + kPathSize - 1] = 0;
  bytes[kNameOffset + kNameSize - 1] = 0;
  return 0;
}

std::span<const uint8_t> FileSlots::Raw(int slot) const {
  return ValidSlot(slot) ? std::span<const uint8_t>(SlotBytes(slot), kSlotSize)
                         : std::span<const uint8_t>();
}

uint16_t FileSlots::Value298(int slot) const {
  return ReadLE16(Raw(slot), kValue298Offset);
}

uint32_t FileSlots::Value300(int slot) const {
  return ReadLE32(Raw(slot), kValue300Offset);
}

int FileSlots::Open(int slot, int mode, File& out) const {
  if (!ValidSlot(slot)) return -1;
  out = File::Open(HostPath(slot), mode == 0 ? File::Mode::kRead : File::Mode::kReadWrite);
  return out.is_open() ? 0 : -1;
}

int FileSlots::Create(int slot, File& out) const {
  if (!ValidSlot(slot)) return -1;
  out = File::Open(HostPath(slot), File::Mode::kCreate);
  return out.is_open() ? 0 : -1;
}

bool FileSlots::Exists(std::string_view windows_path) const {
  return FileExists(map_.ToHost(windows_path));
}

SlotFileInfo FileSlots::Info(int slot) const {
  SlotFileInfo info;
  if (!ValidSlot(slot)) return info;
  const FileInfo file = GetFileInfo(HostPath(slot));
  info.exists = file.exists && !file.is_directory;
  info.size = info.exists ? file.size : 0;
  info.locked = info.exists && !file.writable;
  return info;
}

bool FileSlots::Delete(std::string_view windows_path) const {
  const std::string host = map_.ToHost(windows_path);
  return !host.empty() && DeleteFile(host);
}

std::string FileSlots::FullPath(std::string_view windows_path) const {
  const std::string host = map_.ToHost(windows_path);
  return host.empty() ? "" : map_.ToWindows(host);
}

int64_t FileSlots::FreeSpace(std::string_view windows_path) const {
  std::string host = map_.ToHost(windows_path);
  // The nearest folder that exists decides (the path may name a file not yet made).
  while (!host.empty() && !FileExists(host)) {
    size_t cut = host.find_last_of('/');
    host = cut == 0 ? "/" : cut == std::string::npos ? "" : host.substr(0, cut);
  }
  return host.empty() ? -1 : corvida::FreeSpace(host);
}

char FileSlots::FirstAbsentDriveLetter() const {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!map_.HasDrive(letter)) return letter;
  }
  return 0;
}

int FileSlots::LoadFile(int slot, Handle* out, uint32_t maximum) const {
  File file;
  if (out == nullptr || Open(slot, 0, file) != 0) return -1;
  int64_t size = file.Size();
  if (maximum != 0) size = std::min<int64_t>(size, maximum);
  if (size <= 0 || static_cast<uint64_t>(size) > Handles::kMaxRequest) return -1;
  Handle h = handles_.New(static_cast<uint32_t>(size));
  if (h == 0) return -1;
  uint32_t count = static_cast<uint32_t>(size);
  int result = ReadExact(file, count, handles_.Lock(h));
  handles_.Unlock(h);
  if (result != 0) {
    handles_.Dispose(h);
    return -1;
  }
  *out = h;
  return 0;
}

int FileSlots::WriteHandleToFile(Handle h, uint32_t count, int slot) const {
  if (handles_.IsValid(h) == 0 || count > handles_.GetSize(h)) return -1;
  File file;
  if (Create(slot, file) != 0) return -1;
  LockedHandle bytes(handles_, h);
  return WriteExact(file, count, bytes.data());
}

int FileSlots::CopyFile(int from, int to) const {
  Handle h = 0;
  if (LoadFile(from, &h, 0) != 0) return -1;
  int result = WriteHandleToFile(h, handles_.GetSize(h), to);
  handles_.Dispose(h);
  return result;
}

int FileSlots::CheckSaveTarget(int slot) const {
  const SlotFileInfo info = Info(slot);
  return info.exists && info.locked ? -2688 : 0;
}

int FileSlots::CreateTempSaveFile(int target, int into, File& out) {
  if (!ValidSlot(target) || !ValidSlot(into)) return -1;
  const std::string folder = FolderOf(Path(target));
  for (int n = 0; n < 1000; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "CVTMP%03d.TMP", n);
    const std::string path = folder + "\\" + name;
    const std::string host = map_.ToHost(path);
    // Created exclusively: a name that appears meanwhile is skipped, never replaced.
    out = File::OpenNoFollow(host, File::Mode::kCreateNew);
    if (out.is_open()) {
      if (SetPath(into, path) == 0) return 0;
      out.Close();
      DeleteFile(host);
      return -1;
    }
    // Failed for another reason than a name taken (by a file or a link): no point going on.
    if (!FileExists(host) && !IsSymlink(host)) return -1;
  }
  return -1;
}

Handle FileSlots::Serialize(int slot) const {
  if (!ValidSlot(slot)) return 0;
  const std::string path = Path(slot);
  const std::string name = Name(slot);
  const size_t pad = path.size() % 2 == 0 ? 1 : 0;
  const size_t size = path.size() + 1 + pad + 6 + name.size() + 1;
  Handle h = handles_.New(static_cast<uint32_t>(size));
  if (h == 0) return 0;
  LockedHandle locked(handles_, h);
  const std::span<uint8_t> bytes(locked.data(), size);
  std::memcpy(bytes.data(), path.data(), path.size());
  const size_t at = path.size() + 1 + pad;
  WriteLE16(bytes, at, Value298(slot));
  WriteLE32(bytes, at + 2, Value300(slot));
  std::memcpy(bytes.data() + at + 6, name.data(), name.size());
  return h;
}

int FileSlots::EnsureFilePresent(const FileReference& reference, int slot) {
  if (SetPath(slot, reference.path) != 0) return 0;
  const std::span<uint8_t> bytes(SlotBytes(slot), kSlotSize);
  WriteLE16(bytes, kValue298Offset, reference.value298);
  WriteLE32(bytes, kValue300Offset, reference.value300);
  if (Exists(reference.path)) return 1;
  if (request_hook_) request_hook_(reference);
  return 0;
}

}  // namespace corvida
