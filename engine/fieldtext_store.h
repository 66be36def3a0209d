// The stored form of a text field's text: the sub-blocks that follow the fixed fields of
// the record (from offset 128). Each sub-block has a 16-byte header, native in memory once
// the record is loaded (kind u16 at 0, u16 at 2, u32 at 4, data length u32 at 8, sub-block
// length u32 at 12, header included), and data that stays as stored:
//
//   kind 'Tx' (0x5478): the text, Mac Roman, paragraphs ended by CR.
//   kind 'St' (0x5374): style runs, the u32 at 4 their count, each 16 bytes big-endian:
//       u32 first character, u16 font number (stack font list), u16 size in pixels,
//       u16 style bits, u16 0, u8 colour mode (0 the field's colour, 1 the RGB that
//       follows), u8 red, u8 green, u8 blue.
//
// Sub-blocks of other kinds, and bytes after the last whole sub-block, are kept as they
// are. A field with an external file (object flag 0x0040) holds the file's path as the
// data of its first sub-block. docs/field-text.md describes the layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/text.h"
#include "stackfile/records_access.h"

namespace corvida {

namespace fieldtext {
inline constexpr uint16_t kKindText = 0x5478;    // "Tx"
inline constexpr uint16_t kKindStyles = 0x5374;  // "St"
inline constexpr size_t kHeaderSize = 16;
inline constexpr size_t kKind = 0;
inline constexpr size_t kCount = 4;
inline constexpr size_t kDataLength = 8;
inline constexpr size_t kBlockLength = 12;
inline constexpr size_t kRunSize = 16;
inline constexpr size_t kScroll = 66;  // the field's vertical scroll position (u16)
}  // namespace fieldtext

// One entry of the stack's font list.
struct FontEntry {
  std::string name;  // as shown (Windows characters)
  uint16_t number = 0;
};
// The entries of 'FntL' data (92-byte entries, numbers big-endian). Never empty: a list
// without entries gives one unnamed entry numbered 0.
std::vector<FontEntry> ReadFontList(const uint8_t* data, size_t size);

// A sub-block found in a record: where it lies and what its header says.
struct SubBlock {
  size_t offset = 0;  // in the record
  uint16_t kind = 0;
  uint32_t count = 0;
  size_t data_length = 0;  // clamped to the block
  size_t length = 0;
};
// The whole sub-blocks of a native field record, in order; `tail` gets the offset where
// the walk stopped (bytes from there on are not a whole sub-block).
std::vector<SubBlock> WalkSubBlocks(Bytes record, size_t* tail = nullptr);

// What a record's text reads as.
struct FieldContent {
  std::string text;  // Windows characters
  std::vector<StyleRun> runs;
  bool styled = false;  // the runs came from a style block that could be read
};
// Reads the text and styles of a native field record. Without a readable style block
// the text is plain: the field's colour, the first font of the list, the default size.
FieldContent ReadFieldContent(Bytes record, const std::vector<FontEntry>& fonts);

// The style a field's plain text takes.
TextStyle PlainStyle(const std::vector<FontEntry>& fonts);

// The record with its text and style sub-blocks replaced by those of `text` (runs'
// font numbers as they are); the first of each kind is replaced in place, missing
// ones are added after the others, and every other byte is kept.
std::vector<uint8_t> WriteFieldContent(Bytes record, const TextObject& text);

// For building stacks: the text and style sub-blocks of a field (native headers), and
// 'FntL' data listing fonts.
std::vector<uint8_t> FieldTextBlocks(std::string windows_text, std::vector<StyleRun> runs);
std::vector<uint8_t> FontListBytes(const std::vector<FontEntry>& fonts);

}  // namespace corvida
