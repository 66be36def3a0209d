// Card records and the objects inside them, kept in handles in their stored layout (native
// byte order in memory). This file names the offsets every reader uses, converts a record
// after reading and before writing, and walks object lists with the bounds that keep a
// damaged record from being read outside itself.
//
// Bounds rule for every walk: an element needs a length at least as long as its header
// that fits before the end of what contains it; otherwise the walk stops there and what
// follows is treated as absent (and its bytes are kept as they are).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "stackfile/records_access.h"

namespace corvida {

namespace card {
inline constexpr size_t kHeaderSize = 96;
inline constexpr size_t kMinRecordSize = 100;  // header, end-of-list word, trailer
inline constexpr uint16_t kTrailer = 0xFACE;
inline constexpr size_t kId = 0;
inline constexpr size_t kLength = 2;
inline constexpr size_t kKind = 6;
inline constexpr size_t kBackgroundId = 8;
inline constexpr size_t kFlags = 10;
inline constexpr size_t kMenuBar = 16;
inline constexpr size_t kMadeAtDepth = 18;
inline constexpr size_t kRunSlot = 24;  // a run-time handle; 0 on load and when written
inline constexpr size_t kName = 32;
inline constexpr size_t kNameField = 16;
inline constexpr size_t kArriveAction = 48;
inline constexpr size_t kLeaveAction = 50;
inline constexpr size_t kClickAction = 52;
inline constexpr size_t kCursorId = 54;
inline constexpr uint16_t kFlagMarked = 0x0080;
inline constexpr uint16_t kKindCard = 0;
inline constexpr uint16_t kKindBackground = 1;
inline constexpr uint16_t kKindPicture = 2;
inline constexpr uint16_t kKindShared = 3;
// Kinds 1 and 2 carry a PictureBlock at offset 96.
inline bool HasPicture(uint16_t kind) {
  return kind == kKindBackground || kind == kKindPicture;
}
}  // namespace card

namespace picture {
inline constexpr size_t kOffset = 96;  // within the card record
inline constexpr size_t kHeaderSize = 24;
inline constexpr size_t kFormat = 2;
inline constexpr size_t kFlags = 10;
inline constexpr size_t kLength = 12;
inline constexpr size_t kColorTableLength = 16;
inline constexpr size_t kColorTable = 24;
inline constexpr size_t kEdgeFillSize = 16;
inline constexpr uint16_t kFormatPacked = 1;
inline constexpr uint16_t kFormatEdgeFill = 2;
inline constexpr uint16_t kFlagPadByte = 0x0200;
}  // namespace picture

namespace object {
inline constexpr size_t kHeaderSize = 24;
inline constexpr size_t kType = 0;
inline constexpr size_t kId = 2;
inline constexpr size_t kRect = 4;
inline constexpr size_t kLength = 12;
inline constexpr size_t kFlags = 22;
inline constexpr uint16_t kGraphic = 16;
inline constexpr uint16_t kButton = 48;
inline constexpr uint16_t kTextField = 96;
inline constexpr uint16_t kFlagDeleted = 0x0001;
inline constexpr uint16_t kFlagMarker = 0x0008;
inline constexpr uint16_t kFlagShared = 0x0010;
inline constexpr uint16_t kFlagHidden = 0x0020;
inline constexpr uint16_t kFlagExternalFile = 0x0040;
inline constexpr uint16_t kFlagRollover = 0x0080;
inline constexpr uint16_t kFlagDropTarget = 0x0100;
inline constexpr uint16_t kFlagPadByte = 0x0200;
}  // namespace object

namespace graphic {
inline constexpr size_t kFrameWidth = 16;
inline constexpr size_t kFrameColor = 24;
inline constexpr size_t kGraphicFlags = 28;
inline constexpr size_t kSourceRect = 30;
inline constexpr size_t kName = 38;
inline constexpr size_t kNameField = 16;
inline constexpr size_t kActionId = 56;
inline constexpr size_t kCursorId = 58;
inline constexpr size_t kMaskLength = 60;
inline constexpr size_t kPath = 80;  // NUL-terminated file reference, with flag 0x0040
inline constexpr size_t kFieldsEnd = 64;
inline constexpr uint16_t kFlagMask = 0x02;
}  // namespace graphic

namespace button {
inline constexpr size_t kDestination = 16;
inline constexpr size_t kTransition = 18;
inline constexpr size_t kActionFlags = 20;
inline constexpr size_t kTimerCount = 24;
inline constexpr size_t kTimerMode = 26;
inline constexpr size_t kName = 28;
inline constexpr size_t kNameField = 32;
inline constexpr size_t kStyle = 60;
inline constexpr size_t kAnswer = 62;
inline constexpr size_t kDisplayFlags = 64;
inline constexpr size_t kTextColor = 66;
inline constexpr size_t kButtonColor = 68;
inline constexpr size_t kSpeed = 76;
inline constexpr size_t kIconId = 78;
inline constexpr size_t kCursorId = 80;
inline constexpr size_t kEntries = 136;  // ActionEntries up to the record's end
inline constexpr uint16_t kShowsIcon = 0x10;
}  // namespace button

namespace field {
inline constexpr size_t kFieldFlags = 26;
inline constexpr size_t kTextColor = 30;
inline constexpr size_t kName = 72;
inline constexpr size_t kNameField = 16;
inline constexpr size_t kActionId = 102;
inline constexpr size_t kCursorId = 104;
inline constexpr size_t kSubBlocks = 128;
inline constexpr size_t kSubBlockHeader = 16;
inline constexpr size_t kPathLength = 136;  // first sub-block's data length
inline constexpr size_t kPath = 144;        // first sub-block's data, with flag 0x0040
}  // namespace field

// Field flags (the word at field::kFieldFlags).
namespace fieldflag {
inline constexpr uint16_t kScrollBar = 0x01;
inline constexpr uint16_t kLocked = 0x02;  // read only: no typing, no focus
}  // namespace fieldflag

// The whole record as a view (for a handle's locked bytes).
inline Bytes RecordView(uint8_t* data, size_t size) {
  return {data, size};
}

// Where a card's object list ends at the latest: the end-of-list word before the trailer.
inline size_t ObjectLimit(Bytes card) {
  return card.size >= 4 ? card.size - 4 : 0;
}

// Offset of the first object of a native card record. When the PictureBlock of a kind 1
// or 2 card does not fit, the list is treated as empty: the result is ObjectLimit.
size_t ObjectListStart(Bytes card);

// Length of the object at `offset` of a native card record, or 0 at the end of the list
// and where the object's header or length does not fit.
size_t ObjectLengthAt(Bytes card, size_t offset);

// Converts a card record in place, every field except the names' characters. The record
// must hold at least kMinRecordSize bytes; on load its run-time slot is cleared.
void ConvertCardRecord(Bytes card, Direction dir);

// Converts the characters of every name of a native card record (the card's name and
// its objects' names): Mac Roman to Windows on load, back on save.
void ConvertCardNames(Bytes card, Direction dir);
// The same for one name field of `field` bytes at `offset`.
void ConvertNameField(Bytes b, size_t offset, size_t field, Direction dir);

// Whether the first colour of a native card's picture is white; nullopt when the card has
// no picture with a colour table to test.
std::optional<bool> FirstColorIsWhite(Bytes card);

// Converts an object's type-specific fields (the header already converted).
void ConvertGraphic(Bytes obj, Direction dir);
void ConvertTextField(Bytes obj, Direction dir);

// The converted object header fields.
void ConvertObjectHeader(Bytes obj, Direction dir);

}  // namespace corvida
