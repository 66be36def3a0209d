// Writing the resource area: every entry in table order, its data converted back to the
// stored form. Deleted entries keep their place and their bytes from the file they were
// read from.
#include <cstring>

#include "stackfile/resources.h"
#include "stackfile/stack_io.h"

namespace corvida {

bool Resources::WriteArea(std::vector<uint8_t>& out) {
  if (!current_) return true;
  stackio::InFile source;
  bool have_source = !current_->path.empty() && source.Open(current_->path);
  for (ResourceEntry& e : current_->entries) {
    Handle handle = 0;
    if (!e.deleted()) {
      // The data may have grown or shrunk since it was read: its handle's size counts.
      handle = DataOf(e);
      if (!handle) return false;
      uint32_t size = handles_.GetSize(handle);
      if (size != e.length) e.padding.fill(0);
      e.length = size;
    }
    uint32_t stored = static_cast<uint32_t>((uint64_t{e.length} + 3) & ~uint64_t{3});
    size_t at = out.size();
    out.resize(at + resentry::kHeaderSize + stored, 0);
    uint8_t* h = out.data() + at;
    PutBE32(h, e.type);
    PutBE16(h + 4, e.id);
    std::memcpy(h + 6, e.marker.data(), 2);
    std::memcpy(h + 8, e.name.data(), 32);
    PutBE32(h + 40, e.state);
    PutBE32(h + 44, e.length);
    PutBE32(h + 48, stored);
    std::memcpy(h + 52, e.reserved.data(), 16);
    uint8_t* data = h + resentry::kHeaderSize;
    std::memcpy(data + e.length, e.padding.data(), stored - e.length);
    if (e.deleted()) {
      // Deleted data is never loaded; copy it from the file when it came from one.
      if (have_source && e.file_offset >= 0) {
        source.ReadAt(static_cast<uint64_t>(e.file_offset) + resentry::kHeaderSize, data, e.length);
      }
      continue;
    }
    LockedHandle bytes(handles_, handle);
    if (!bytes || bytes.size() < e.length) return false;
    std::memcpy(data, bytes.data(), e.length);
    ConvertResourceData(e.type, {data, e.length}, Direction::kSave, current_->convert_names);
  }
  return true;
}

void Resources::Relocate(const std::string& path, uint64_t first) {
  if (!current_) return;
  current_->path = path;
  current_->first_offset = first;
  uint64_t position = first;
  for (ResourceEntry& e : current_->entries) {
    e.file_offset = static_cast<int64_t>(position);
    position += e.SizeOnDisk();
  }
}

}  // namespace corvida
