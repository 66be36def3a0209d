#include "stackfile/records_build.h"

#include <algorithm>
#include <cstring>

namespace corvida {

void PutCountedName(uint8_t* field_start, size_t field, std::string_view name) {
  if (field == 0) return;
  std::memset(field_start, 0, field);
  size_t n = std::min(name.size(), field - 1);
  field_start[0] = static_cast<uint8_t>(n);
  if (n) std::memcpy(field_start + 1, name.data(), n);
}

void PutRect(uint8_t* at, const Rect& r) {
  Put16(at, static_cast<uint16_t>(r.left));
  Put16(at + 2, static_cast<uint16_t>(r.top));
  Put16(at + 4, static_cast<uint16_t>(r.right));
  Put16(at + 6, static_cast<uint16_t>(r.bottom));
}

RecordBytes NewCardRecord(uint16_t id, uint16_t kind, uint16_t background_id,
                          const RecordBytes& picture) {
  // Sized once up front: growing the vector piecewise trips a false array-bounds warning
  // in optimised builds.
  bool with_picture = card::HasPicture(kind);
  size_t picture_size =
      with_picture ? (picture.empty() ? picture::kHeaderSize : picture.size()) : 0;
  RecordBytes card(card::kHeaderSize + picture_size + 4, 0);
  Put16(card.data() + card::kId, id);
  Put16(card.data() + card::kKind, kind);
  Put16(card.data() + card::kBackgroundId, background_id);
  uint8_t* block = card.data() + card::kHeaderSize;
  if (with_picture && picture.empty()) {
    Put16(block, 8);
    Put32(block + picture::kLength, picture::kHeaderSize);
  } else if (with_picture) {
    std::memcpy(block, picture.data(), picture.size());
  }
  PutBE16(card.data() + card.size() - 2, card::kTrailer);  // bytes FA CE, as stored
  Put32(card.data() + card::kLength, static_cast<uint32_t>(card.size()));
  return card;
}

void AppendObject(RecordBytes& card, const RecordBytes& object) {
  card.insert(card.end() - 4, object.begin(), object.end());
  Put32(card.data() + card::kLength, static_cast<uint32_t>(card.size()));
}

RecordBytes NewObject(uint16_t type, uint16_t id, const Rect& bounds, uint16_t flags, size_t size) {
  RecordBytes obj(std::max(size, object::kHeaderSize), 0);
  Put16(obj.data() + object::kType, type);
  Put16(obj.data() + object::kId, id);
  PutRect(obj.data() + object::kRect, bounds);
  Put32(obj.data() + object::kLength, static_cast<uint32_t>(obj.size()));
  Put16(obj.data() + object::kFlags, flags);
  return obj;
}

RecordBytes NewActionEntry(uint16_t code, size_t size) {
  RecordBytes entry(std::max<size_t>(size, 32), 0);
  Put16(entry.data(), code);
  Put32(entry.data() + 12, static_cast<uint32_t>(entry.size()));
  return entry;
}

void AppendToRecord(RecordBytes& record, const RecordBytes& tail) {
  record.insert(record.end(), tail.begin(), tail.end());
  Put32(record.data() + object::kLength, static_cast<uint32_t>(record.size()));
}

Handle HandleFromBytes(Handles& handles, const RecordBytes& bytes) {
  Handle h = handles.New(static_cast<uint32_t>(bytes.size()));
  if (!h) return 0;
  if (!bytes.empty()) {
    std::memcpy(handles.Lock(h), bytes.data(), bytes.size());
    handles.Unlock(h);
  }
  return h;
}

}  // namespace corvida
