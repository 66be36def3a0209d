// Making new records in their native layout: cards, objects and action entries, for the
// authoring side of the player, the build command and tests. Lengths are kept right as
// parts are appended.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/handles.h"
#include "platform/types.h"
#include "stackfile/records.h"

namespace corvida {

using RecordBytes = std::vector<uint8_t>;

// Writes a counted string into a field of `field` bytes (clamped to field - 1 characters).
void PutCountedName(uint8_t* field_start, size_t field, std::string_view name);
void PutRect(uint8_t* at, const Rect& r);  // native order: left, top, right, bottom

// A card record: the 96-byte header, a PictureBlock for kinds 1 and 2 (`picture`, or an
// empty one that draws nothing), the end-of-list word and the trailer.
RecordBytes NewCardRecord(uint16_t id, uint16_t kind, uint16_t background_id,
                          const RecordBytes& picture = {});
// Appends an object before the end of the card's list and updates the card's length.
void AppendObject(RecordBytes& card, const RecordBytes& object);

// An object of `size` bytes with its header filled in.
RecordBytes NewObject(uint16_t type, uint16_t id, const Rect& bounds, uint16_t flags, size_t size);
inline constexpr size_t kGraphicRecordSize = 80;
inline constexpr size_t kButtonRecordSize = 136;
inline constexpr size_t kTextFieldRecordSize = 128;

// An action entry of `size` bytes (at least the 32-byte header) with code and length.
RecordBytes NewActionEntry(uint16_t code, size_t size);
// Appends an entry (or any bytes) to a record and updates the record's length at 12.
void AppendToRecord(RecordBytes& record, const RecordBytes& tail);

// A handle holding a copy of the bytes; 0 when it cannot be made.
Handle HandleFromBytes(Handles& handles, const RecordBytes& bytes);

}  // namespace corvida
