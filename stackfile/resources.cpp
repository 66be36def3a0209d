#include "stackfile/resources.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "stackfile/actions.h"
#include "stackfile/mactext.h"
#include "stackfile/stack_io.h"

namespace corvida {

namespace {

constexpr uint64_t kCountField = 64;
constexpr uint64_t kLastIdField = 68;

uint32_t RoundUp4(uint32_t n) {
  return static_cast<uint32_t>((uint64_t{n} + 3) & ~uint64_t{3});
}

void SetCountedName(std::array<uint8_t, 32>& field, std::string_view name) {
  field.fill(0);
  size_t n = std::min(name.size(), field.size() - 1);
  field[0] = static_cast<uint8_t>(n);
  if (n) std::memcpy(field.data() + 1, name.data(), n);
}

}  // namespace

std::string FourCCText(FourCC type) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(type >> (24 - 8 * i));
  return s;
}

bool IsKnownResourceType(FourCC type) {
  using namespace restype;
  for (FourCC known : {kWKSp, kStrk, kCVpr, kFntL, kIcon, kSnd, kActn, kHlnk, kNBAs, kWkSp}) {
    if (type == known) return true;
  }
  return false;
}

bool MarkerAccepted(const uint8_t marker[2]) {
  unsigned value = marker[0] | marker[1] << 8;
  return value >= 0x4321 && value <= 0x4325;
}

std::string ResourceEntry::Name() const {
  return CountedText({const_cast<uint8_t*>(name.data()), name.size()}, 0, name.size());
}

uint64_t ResourceFile::AreaSize() const {
  uint64_t total = 0;
  for (const ResourceEntry& e : entries) total += e.SizeOnDisk();
  return total;
}

void ConvertResourceData(FourCC type, Bytes data, Direction dir, bool convert_names) {
  Bytes button;
  if (type == restype::kActn) {
    ConvertActionRecord(data, dir);
    button = data;
  } else if (type == restype::kHlnk) {
    if (dir == Direction::kSave) button = HyperlinkAction(data);
    ConvertHyperlink(data, dir);
    if (dir == Direction::kLoad) button = HyperlinkAction(data);
  } else if (type == restype::kNBAs) {
    ConvertNbaDescriptor(data, dir);
  }
  if (convert_names && button.data) {
    ConvertNameField(button, button::kName, button::kNameField, dir);
  }
}

Resources::~Resources() {
  CloseAll();
}

ResourceOpenResult Resources::OpenArea(const std::string& path, uint64_t first,
                                       const ResourceOpenOptions& options) {
  stackio::InFile in;
  if (!in.Open(path)) return {};
  uint8_t field[4];
  if (!in.ReadAt(kCountField, field, 4)) return {};
  uint32_t count = GetBE32(field);
  if (!in.ReadAt(kLastIdField, field, 2)) return {};

  auto file = std::make_unique<ResourceFile>();
  file->path = path;
  file->first_offset = first;
  file->last_id = GetBE16(field);
  file->convert_names = options.convert_names;
  file->write_last_id = options.write_last_id;
  // Never reserve more entries than the file could hold.
  uint64_t room = in.size() > first ? (in.size() - first) / resentry::kHeaderSize : 0;
  file->entries.reserve(static_cast<size_t>(std::min<uint64_t>(count, room)));

  uint64_t position = first;
  bool damaged = false;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t h[resentry::kHeaderSize];
    if (position > in.size() || !in.ReadAt(position, h, sizeof h)) {
      damaged = true;
      break;
    }
    ResourceEntry e;
    e.type = GetBE32(h);
    e.id = GetBE16(h + 4);
    std::memcpy(e.marker.data(), h + 6, 2);
    std::memcpy(e.name.data(), h + 8, 32);
    e.state = GetBE32(h + 40);
    e.length = GetBE32(h + 44);
    uint32_t stored = GetBE32(h + 48);
    std::memcpy(e.reserved.data(), h + 52, 16);
    e.file_offset = static_cast<int64_t>(position);
    uint64_t next = position + resentry::kHeaderSize + stored;
    if (next > in.size() || e.length > stored ||
        (!IsKnownResourceType(e.type) && !MarkerAccepted(e.marker.data()))) {
      damaged = true;
      break;
    }
    if (!e.deleted()) {
      if (!LoadEntryFrom(in, *file, e)) {
        damaged = true;
        break;
      }
    }
    if (stored == RoundUp4(e.length)) {
      in.ReadAt(position + resentry::kHeaderSize + e.length, e.padding.data(), stored - e.length);
    }
    file->entries.push_back(e);
    position = next;
  }

  if (damaged) {
    if (options.damaged != DamagedBlocks::kKeepWhatWasRead) {
      for (ResourceEntry& e : file->entries) handles_.Dispose(e.data);
      return {0, options.damaged == DamagedBlocks::kUnanswered};
    }
    // The block read just before the damaged one is suspect too (its length led here).
    size_t kept = file->entries.empty() ? 0 : file->entries.size() - 1;
    for (size_t i = kept; i < file->entries.size(); ++i) handles_.Dispose(file->entries[i].data);
    file->entries.resize(kept);
  }

  file->serial = next_serial_++;
  current_ = file.get();
  files_.insert(files_.begin(), std::move(file));
  return {current_->serial, false};
}

int Resources::OpenScratchArea() {
  auto file = std::make_unique<ResourceFile>();
  file->first_offset = 128;
  file->last_id = 1;
  file->serial = next_serial_++;
  current_ = file.get();
  files_.insert(files_.begin(), std::move(file));
  return current_->serial;
}

void Resources::CloseArea(int serial) {
  for (auto it = files_.begin(); it != files_.end(); ++it) {
    if ((*it)->serial != serial) continue;
    for (ResourceEntry& e : (*it)->entries) handles_.Dispose(e.data);
    if (((*it)->flags & 1) && !(*it)->path.empty()) stackio::Remove((*it)->path);
    bool was_current = it->get() == current_;
    files_.erase(it);
    if (was_current) current_ = files_.empty() ? nullptr : files_.front().get();
    return;
  }
}

void Resources::CloseAll() {
  while (!files_.empty()) CloseArea(files_.front()->serial);
}

bool Resources::LoadEntry(ResourceFile& file, ResourceEntry& e) {
  if (file.path.empty() || e.file_offset < 0) return false;
  stackio::InFile in;
  return in.Open(file.path) && LoadEntryFrom(in, file, e);
}

bool Resources::LoadEntryFrom(stackio::InFile& in, const ResourceFile& file, ResourceEntry& e) {
  if (e.file_offset < 0) return false;
  uint64_t at = static_cast<uint64_t>(e.file_offset) + resentry::kHeaderSize;
  if (at > in.size() || e.length > in.size() - at) return false;
  Handle h = handles_.New(e.length);
  if (!h) return false;
  bool ok;
  {
    LockedHandle bytes(handles_, h);
    ok = bytes && in.ReadAt(at, bytes.data(), e.length);
    if (ok) {
      ConvertResourceData(e.type, {bytes.data(), e.length}, Direction::kLoad, file.convert_names);
    }
  }
  if (!ok) {
    handles_.Dispose(h);
    return false;
  }
  handles_.Dispose(e.data);
  e.data = h;
  return true;
}

Handle Resources::DataOf(ResourceEntry& e) {
  if (e.data && handles_.IsValid(e.data) && !handles_.IsPurged(e.data)) return e.data;
  if (!current_ || !LoadEntry(*current_, e)) return 0;
  return e.data;
}

ResourceEntry* Resources::Find(FourCC type, uint16_t id) {
  if (!current_) return nullptr;
  for (ResourceEntry& e : current_->entries) {
    if (!e.deleted() && e.type == type && e.id == id) return &e;
  }
  return nullptr;
}

const ResourceEntry* Resources::Find(FourCC type, uint16_t id) const {
  return const_cast<Resources*>(this)->Find(type, id);
}

Handle Resources::Get(FourCC type, uint16_t id) {
  ResourceEntry* e = Find(type, id);
  return e ? DataOf(*e) : 0;
}

Handle Resources::GetByName(FourCC type, std::string_view name) {
  if (!current_) return 0;
  for (ResourceEntry& e : current_->entries) {
    if (!e.deleted() && e.type == type && EqualsIgnoringCase(e.Name(), name)) return DataOf(e);
  }
  return 0;
}

Handle Resources::GetIndexed(FourCC type, int index) {
  if (!current_ || index < 1) return 0;
  for (ResourceEntry& e : current_->entries) {
    if (!e.deleted() && e.type == type && --index == 0) return DataOf(e);
  }
  return 0;
}

int Resources::Count(FourCC type) const {
  if (!current_) return 0;
  return static_cast<int>(
      std::count_if(current_->entries.begin(), current_->entries.end(),
                    [&](const ResourceEntry& e) { return !e.deleted() && e.type == type; }));
}

uint16_t Resources::NthId(FourCC type, int index) const {
  if (!current_ || index < 1) return 0;
  for (const ResourceEntry& e : current_->entries) {
    if (!e.deleted() && e.type == type && --index == 0) return e.id;
  }
  return 0;
}

int Resources::IndexOf(FourCC type, uint16_t id) const {
  if (!current_) return 0;
  int index = 0;
  for (const ResourceEntry& e : current_->entries) {
    if (e.deleted() || e.type != type) continue;
    ++index;
    if (e.id == id) return index;
  }
  return 0;
}

uint32_t Resources::Size(FourCC type, uint16_t id) const {
  const ResourceEntry* e = Find(type, id);
  return e ? e->length : 0;
}

int Resources::Info(Handle data, FourCC* type, uint16_t* id, std::string* name,
                    uint32_t* state) const {
  if (!current_ || !data) return resentry::kFailed;
  for (const ResourceEntry& e : current_->entries) {
    if (e.data != data) continue;
    if (type) *type = e.type;
    if (id) *id = e.id;
    if (name) *name = e.Name();
    if (state) *state = e.state;
    return 0;
  }
  return resentry::kFailed;
}

int Resources::SetName(FourCC type, uint16_t id, std::string_view name) {
  ResourceEntry* e = Find(type, id);
  if (!e) return resentry::kFailed;
  if (name.size() < resentry::kNameField) SetCountedName(e->name, name);
  return 0;
}

uint16_t Resources::UniqueId() {
  if (!current_) return 0;
  std::vector<bool> taken(65536, false);
  for (const ResourceEntry& e : current_->entries) taken[e.id] = true;
  uint16_t id = current_->last_id;
  for (int tries = 0; tries < 65535; ++tries) {
    id = static_cast<uint16_t>(id + 1);
    if (id == 0) id = 1;
    if (taken[id]) continue;
    current_->last_id = id;
    if (current_->write_last_id && !current_->path.empty()) {
      uint8_t be[2];
      PutBE16(be, id);
      stackio::WriteAt(current_->path, kLastIdField, be, 2);
    }
    return id;
  }
  return 0;
}

int Resources::Add(Handle data, FourCC type, uint16_t id, std::string_view name, uint16_t* out_id) {
  if (!current_ || !handles_.IsValid(data)) return resentry::kFailed;
  if (id == 0) id = UniqueId();
  if (id == 0) return resentry::kFailed;
  ResourceEntry e;
  e.type = type;
  e.id = id;
  // Types outside the known ten carry the marker that lets the reader accept them.
  if (!IsKnownResourceType(type)) e.marker = {0x21, 0x43};
  if (name.size() < resentry::kNameField) SetCountedName(e.name, name);
  e.length = handles_.GetSize(data);
  e.data = data;
  current_->entries.push_back(e);
  if (out_id) *out_id = id;
  return 0;
}

int Resources::Remove(FourCC type, uint16_t id) {
  ResourceEntry* e = Find(type, id);
  if (!e) return resentry::kFailed;
  RemoveEntry(*e);
  return 0;
}

void Resources::RemoveEntry(ResourceEntry& e) {
  handles_.DisposeAndClear(&e.data);
  e.state |= resentry::kStateDeleted;
}

int Resources::Detach(Handle data) {
  if (!current_ || !data) return resentry::kFailed;
  for (ResourceEntry& e : current_->entries) {
    if (e.data != data) continue;
    Handle copy = data;
    if (handles_.Duplicate(&copy) != 0) return resentry::kFailed;
    e.data = copy;
    return 0;
  }
  return resentry::kFailed;
}

int Resources::Store(FourCC type, uint16_t id, Handle data, std::string_view name,
                     unsigned options) {
  if (!current_) OpenScratchArea();
  if (options & kStoreRenameOnly) return SetName(type, id, name);
  if (options & kStoreCopy) {
    if (handles_.Duplicate(&data) != 0) return resentry::kFailed;
  }
  if ((options & kStoreReplace) && Find(type, id)) Remove(type, id);
  int result = Add(data, type, id, name);
  if (result != 0 && (options & kStoreCopy)) handles_.Dispose(data);
  return result;
}

bool Resources::LoadAll() {
  if (!current_) return true;
  for (ResourceEntry& e : current_->entries) {
    if (!e.deleted() && !DataOf(e)) return false;
  }
  return true;
}

}  // namespace corvida
