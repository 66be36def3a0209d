#include "stackfile/actions.h"

#include <cstring>

namespace corvida {

namespace {

// Fields of each entry code beyond the common code, length and flags words.
void ConvertEntryFields(Bytes e, uint16_t code, Direction dir) {
  switch (code) {
    case action::kEntryNba:
      Convert16(e, 16, dir);
      break;
    case action::kEntryAnimation:
    case action::kEntryScript:
      ConvertRect(e, 4, dir);
      break;
    case action::kEntryLaunch:
      Convert16(e, 16, dir);
      Convert32(e, 18, dir);
      break;
    case action::kEntrySoundFile:
      Convert16s(e, {4, 24}, dir);
      break;
    case action::kEntryStackSound:
      Convert16s(e, {4, 16, 24}, dir);
      break;
    case action::kEntryMovie:
      Convert16s(e, {2, 20}, dir);
      ConvertRect(e, 4, dir);
      Convert32(e, 16, dir);
      break;
    case action::kEntryVideodisc:
      ConvertRect(e, 4, dir);
      Convert16s(e, {18, 20, 24}, dir);
      break;
    case action::kEntryButtonPicture:
      Convert16s(e, {32, 34}, dir);
      break;
    default:
      break;  // other codes (other stack, 129, unknown) carry no converted fields
  }
}

}  // namespace

void ConvertActionEntry(Bytes entry, Direction dir) {
  uint16_t code = dir == Direction::kLoad ? Convert16(entry, action::kEntryCode, dir)
                                          : Field16(entry, action::kEntryCode);
  ConvertEntryFields(entry, code, dir);
  if (dir == Direction::kLoad) {
    Convert32(entry, action::kEntryLength, dir);
    Convert16(entry, action::kEntryFlags, dir);
  } else {
    Convert32(entry, action::kEntryLength, dir);
    Convert16(entry, action::kEntryFlags, dir);
    Convert16(entry, action::kEntryCode, dir);
  }
}

void ConvertButtonFields(Bytes obj, Direction dir) {
  Convert16s(obj, {16, 18, 20, 24, 26, 60, 62, 64, 66, 68, 70, 74, 76, 78, 80}, dir);
  size_t offset = button::kEntries;
  while (obj.Holds(offset, action::kEntryHeaderSize)) {
    const uint8_t* p = obj.data + offset + action::kEntryLength;
    uint32_t length = dir == Direction::kLoad ? GetBE32(p) : Get32(p);
    if (length < action::kEntryHeaderSize || length > obj.size - offset) {
      ConvertActionEntry(obj.Sub(offset, action::kEntryHeaderSize), dir);
      break;
    }
    ConvertActionEntry(obj.Sub(offset, length), dir);
    offset += length;
  }
}

Bytes ActionRecordView(Bytes bytes) {
  if (!bytes.Holds(0, object::kHeaderSize)) return {};
  uint32_t length = Field32(bytes, object::kLength);
  if (length < object::kHeaderSize || length > bytes.size) return {};
  return bytes.Sub(0, length);
}

void ConvertActionRecord(Bytes record, Direction dir) {
  if (!record.Holds(0, object::kHeaderSize)) return;
  const uint8_t* p = record.data + object::kLength;
  uint32_t length = dir == Direction::kLoad ? GetBE32(p) : Get32(p);
  bool fits = length >= object::kHeaderSize && length <= record.size;
  Bytes header = record.Sub(0, object::kHeaderSize);
  if (dir == Direction::kLoad) ConvertObjectHeader(header, dir);
  if (fits) ConvertButtonFields(record.Sub(0, length), dir);
  if (dir == Direction::kSave) ConvertObjectHeader(header, dir);
}

size_t EntryLengthAt(std::span<const uint8_t> record, size_t offset) {
  if (offset < button::kEntries || offset > record.size() ||
      record.size() - offset < action::kEntryHeaderSize)
    return 0;
  uint32_t length = Get32(record.data() + offset + action::kEntryLength);
  if (length < action::kEntryHeaderSize || length > record.size() - offset) return 0;
  return length;
}

size_t FindEntry(std::span<const uint8_t> record, uint16_t code) {
  for (size_t offset = button::kEntries, length; (length = EntryLengthAt(record, offset));
       offset += length) {
    if (Get16(record.data() + offset + action::kEntryCode) == code) return offset;
  }
  return 0;
}

void ConvertHyperlink(Bytes data, Direction dir) {
  if (!data.Holds(0, 8)) return;
  if (dir == Direction::kLoad) Convert16s(data, {0, 2, 4, 6}, dir);
  size_t text = Field16(data, hyperlink::kTextLength);
  // Stored: the text from 23, a pad byte after it. In memory: the text from 24 and the
  // pad byte kept at 23, so that writing restores every byte.
  bool text_fits = data.Holds(hyperlink::kText, text);
  if (dir == Direction::kSave && Field16(data, hyperlink::kActive) != 0) {
    size_t at = hyperlink::ActionOffset(data);
    if (data.Holds(at, 0)) ConvertActionRecord(data.Sub(at, data.size - at), dir);
  }
  if (text_fits) {
    uint8_t* base = data.data + hyperlink::kText - 1;
    if (dir == Direction::kLoad) {
      uint8_t pad = base[text];
      std::memmove(base + 1, base, text);
      base[0] = pad;
    } else {
      uint8_t pad = base[0];
      std::memmove(base, base + 1, text);
      base[text] = pad;
    }
  }
  if (dir == Direction::kLoad && Field16(data, hyperlink::kActive) != 0) {
    size_t at = hyperlink::ActionOffset(data);
    if (data.Holds(at, 0)) ConvertActionRecord(data.Sub(at, data.size - at), dir);
  }
  if (dir == Direction::kSave) Convert16s(data, {0, 2, 4, 6}, dir);
}

Bytes HyperlinkAction(Bytes data) {
  if (!data.Holds(0, hyperlink::kText) || Field16(data, hyperlink::kActive) == 0) return {};
  size_t at = hyperlink::ActionOffset(data);
  if (!data.Holds(at, 0)) return {};
  return ActionRecordView(data.Sub(at, data.size - at));
}

void ConvertNbaDescriptor(Bytes data, Direction) {
  if (data.Holds(nba::kRuntimeSlot, 4)) Put32(data.data + nba::kRuntimeSlot, 0);
}

}  // namespace corvida
