// ActionRecords (a button record, the data of an 'Actn' resource, the tail of an 'Hlnk'
// resource) and their ActionEntries: offsets, conversion and bounded walks. Paths inside
// entries are kept exactly as stored; they are resolved when used (stackfile/paths.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "stackfile/records.h"

namespace corvida {

namespace action {
// Action flags (button offset 20).
inline constexpr uint16_t kSoundFile = 0x0001;
inline constexpr uint16_t kStackSound = 0x0004;
inline constexpr uint16_t kNba = 0x0008;
inline constexpr uint16_t kGo = 0x0020;
inline constexpr uint16_t kAnimation = 0x0080;
inline constexpr uint16_t kMovie = 0x0100;
inline constexpr uint16_t kScript = 0x1000;
inline constexpr uint16_t kVideodisc = 0x4000;
inline constexpr uint16_t kLaunch = 0x8000;

// Entry codes (the type word of an ActionEntry).
inline constexpr uint16_t kEntryNba = 51;
inline constexpr uint16_t kEntryAnimation = 56;
inline constexpr uint16_t kEntryLaunch = 59;
inline constexpr uint16_t kEntryOtherStack = 60;
inline constexpr uint16_t kEntryScript = 64;
inline constexpr uint16_t kEntrySoundFile = 82;
inline constexpr uint16_t kEntryStackSound = 83;
inline constexpr uint16_t kEntryMovie = 89;
inline constexpr uint16_t kEntryVideodisc = 119;
inline constexpr uint16_t kEntryButtonPicture = 130;

inline constexpr size_t kEntryHeaderSize = 24;
inline constexpr size_t kEntryCode = 0;
inline constexpr size_t kEntryLength = 12;
inline constexpr size_t kEntryFlags = 22;
inline constexpr size_t kEntryData = 32;
inline constexpr size_t kEntryRect = 4;         // movie, animation, script, videodisc
inline constexpr size_t kEntryPlayParam = 4;    // sound entries: handed to the sound player
inline constexpr size_t kEntryResourceId = 16;  // NBA and stack-sound entries
inline constexpr size_t kEntryLaunchFlags = 16;
inline constexpr size_t kEntryFirstReferenceLength = 18;  // launch: the document's length
inline constexpr size_t kEntrySoundFlags = 24;            // sound entries: play flags
inline constexpr size_t kEntryMovieId = 2;                // movie: the key it is held under
inline constexpr size_t kEntryMovieOptions = 16;          // movie: play options (u32)
inline constexpr size_t kEntryMovieVolume = 20;           // movie: used with kMovieVolume
inline constexpr uint16_t kSoundIsStrk = 0x8000;
inline constexpr uint16_t kSoundStopOnly = 0x8000;  // stack sound: stop what plays, no more
inline constexpr uint16_t kCloseAfterLaunch = 0x4000;
// Movie play options.
inline constexpr uint32_t kMovieController = 0x0001;
inline constexpr uint32_t kMovieFirstFrame = 0x0004;  // drawn into the card picture
inline constexpr uint32_t kMovieHideAtEnd = 0x0008;
inline constexpr uint32_t kMovieOnTop = 0x0010;  // clear: the card's objects stay above
inline constexpr uint32_t kMovieLoop = 0x0020;
inline constexpr uint32_t kMovieVolume = 0x0080;
inline constexpr uint32_t kMovieNoWait = 0x0100;
inline constexpr uint32_t kMovieOwnController = 0x0200;
}  // namespace action

// Hyperlink resource ('Hlnk'), native layout.
namespace hyperlink {
inline constexpr size_t kId = 0;
inline constexpr size_t kFieldId = 2;
inline constexpr size_t kExtraLength = 4;  // the A bytes after the link text
inline constexpr size_t kTextLength = 6;
inline constexpr size_t kActive = 8;  // non-zero: an ActionRecord follows; not converted
inline constexpr size_t kText = 24;   // stored from 23, with a pad byte after the text
// Offset of the ActionRecord: 24 + text length + A.
inline size_t ActionOffset(Bytes h) {
  return kText + size_t{Field16(h, kTextLength)} + Field16(h, kExtraLength);
}
}  // namespace hyperlink

// NBA reference ('NBAs'), native layout where it is converted.
namespace nba {
inline constexpr size_t kAboutFlags = 0;
inline constexpr size_t kNbaId = 2;
inline constexpr size_t kRuntimeSlot = 4;  // run-time value: 0 on load and when written
// The module's persistent value, kept with the stack: the run-time slot is cleared on
// every load, so the value lives in the spare word after it (0 in older stacks).
inline constexpr size_t kKeptValue = 8;
inline constexpr size_t kDisplayName = 16;  // zero-terminated, in a field of 32 bytes
inline constexpr size_t kDisplayNameField = 32;
inline constexpr size_t kModuleName = 48;  // zero-terminated, in a field of 256 bytes
inline constexpr size_t kModuleNameField = 256;
inline constexpr size_t kAboutText = 560;
}  // namespace nba

// Converts a button's fields and its ActionEntries (the object header already converted).
void ConvertButtonFields(Bytes obj, Direction dir);

// Converts a whole ActionRecord in place: the object header, the button fields and the
// entries. Its stated length bounds the entries; a length that does not fit leaves
// everything after the header as it is.
void ConvertActionRecord(Bytes record, Direction dir);

// Converts one ActionEntry's fields by its code (code and length included).
void ConvertActionEntry(Bytes entry, Direction dir);

// Length of the entry at `offset` of a native ActionRecord view (the record's own
// length), or 0 where the walk ends.
size_t EntryLengthAt(std::span<const uint8_t> record, size_t offset);

// Offset of the first entry with `code` in a native ActionRecord view, or 0.
size_t FindEntry(std::span<const uint8_t> record, uint16_t code);

// The view of an ActionRecord bounded by its own stated length, or an empty view.
Bytes ActionRecordView(Bytes bytes);

// 'Hlnk' data: fields, link text position and the trailing ActionRecord.
void ConvertHyperlink(Bytes data, Direction dir);
// The ActionRecord at the end of a native 'Hlnk', or an empty view when it has none.
Bytes HyperlinkAction(Bytes data);

// 'NBAs' data: the run-time slot is cleared.
void ConvertNbaDescriptor(Bytes data, Direction dir);

}  // namespace corvida
