#include "stackfile/records.h"

#include "stackfile/actions.h"
#include "stackfile/mactext.h"

namespace corvida {

namespace {

// The PictureBlock of a native card, as a view, or an empty view when the card has none
// or its stated length does not fit before the end of the object list.
Bytes PictureBlock(Bytes card) {
  if (!card::HasPicture(Field16(card, card::kKind))) return {};
  size_t limit = ObjectLimit(card);
  if (picture::kOffset + picture::kHeaderSize > limit) return {};
  uint32_t length = Field32(card, picture::kOffset + picture::kLength);
  if (length < picture::kHeaderSize || length > limit - picture::kOffset) return {};
  return card.Sub(picture::kOffset, length);
}

void ConvertPictureHeader(Bytes card, Direction dir) {
  size_t limit = ObjectLimit(card);
  if (picture::kOffset + picture::kHeaderSize > limit) return;
  Bytes header = card.Sub(picture::kOffset, picture::kHeaderSize);
  Convert16s(header, {0, picture::kFlags}, dir);
  uint16_t format = Convert16(header, picture::kFormat, dir);
  uint32_t length = Convert32(header, picture::kLength, dir);
  uint32_t table = Convert32(header, picture::kColorTableLength, dir);
  if (format != picture::kFormatEdgeFill) return;
  if (length < picture::kHeaderSize || length > limit - picture::kOffset) return;
  Bytes block = card.Sub(picture::kOffset, length);
  size_t fill = picture::kColorTable + size_t{table};
  if (!block.Holds(fill, picture::kEdgeFillSize)) return;  // treated as absent, bytes kept
  Convert32s(block, {fill + 4, fill + 12}, dir);
}

void ConvertObject(Bytes obj, Direction dir) {
  switch (Field16(obj, object::kType)) {
    case object::kGraphic:
      ConvertGraphic(obj, dir);
      break;
    case object::kButton:
      ConvertButtonFields(obj, dir);
      break;
    case object::kTextField:
      ConvertTextField(obj, dir);
      break;
    default:
      break;  // other types are stepped over unchanged
  }
}

}  // namespace

size_t ObjectListStart(Bytes card) {
  size_t limit = ObjectLimit(card);
  if (limit < card::kHeaderSize) return limit;
  if (!card::HasPicture(Field16(card, card::kKind))) return card::kHeaderSize;
  Bytes block = PictureBlock(card);
  return block.data ? picture::kOffset + block.size : limit;
}

size_t ObjectLengthAt(Bytes card, size_t offset) {
  size_t limit = ObjectLimit(card);
  if (offset + object::kHeaderSize > limit) return 0;
  if (Field16(card, offset + object::kType) == 0) return 0;
  uint32_t length = Field32(card, offset + object::kLength);
  if (length < object::kHeaderSize || length > limit - offset) return 0;
  return length;
}

void ConvertObjectHeader(Bytes obj, Direction dir) {
  Convert16s(obj, {object::kType, object::kId, object::kFlags}, dir);
  ConvertRect(obj, object::kRect, dir);
  Convert32(obj, object::kLength, dir);
}

void ConvertCardRecord(Bytes card, Direction dir) {
  if (card.size < card::kMinRecordSize) return;
  // Load converts the header, then the picture header, then walks the objects; save runs
  // the same steps in reverse so that every length is read in native form.
  if (dir == Direction::kLoad) {
    Convert16s(card, {0, 6, 8, 10, 16, 18, 20, 22, 48, 50, 52, 54, 56}, dir);
    Convert32(card, card::kLength, dir);
    if (card::HasPicture(Field16(card, card::kKind))) ConvertPictureHeader(card, dir);
  }
  Put32(card.data + card::kRunSlot, 0);

  size_t offset = ObjectListStart(card);
  size_t limit = ObjectLimit(card);
  while (offset + object::kHeaderSize <= limit) {
    // The type word and length decide the walk; read them in native form either way.
    uint8_t* p = card.data + offset;
    uint16_t type = dir == Direction::kLoad ? GetBE16(p) : Get16(p);
    if (type == 0) break;
    uint32_t length = dir == Direction::kLoad ? GetBE32(p + 12) : Get32(p + 12);
    if (length < object::kHeaderSize || length > limit - offset) {
      // A length that would not advance or would leave the record ends the walk; the
      // header is still converted so that what a reader sees is consistent.
      ConvertObjectHeader(card.Sub(offset, object::kHeaderSize), dir);
      break;
    }
    Bytes obj = card.Sub(offset, length);
    if (dir == Direction::kLoad) {
      ConvertObjectHeader(obj, dir);
      ConvertObject(obj, dir);
    } else {
      ConvertObject(obj, dir);
      ConvertObjectHeader(obj, dir);
    }
    offset += length;
  }

  if (dir == Direction::kSave) {
    if (card::HasPicture(Field16(card, card::kKind))) ConvertPictureHeader(card, dir);
    Convert32(card, card::kLength, dir);
    Convert16s(card, {0, 6, 8, 10, 16, 18, 20, 22, 48, 50, 52, 54, 56}, dir);
  }
}

void ConvertGraphic(Bytes obj, Direction dir) {
  Convert16s(obj, {16, 18, 20, 24, 28, 54, 56, 58}, dir);
  ConvertRect(obj, graphic::kSourceRect, dir);
  uint32_t mask_length = Convert32(obj, graphic::kMaskLength, dir);
  if (mask_length == 0) return;
  size_t pad = (Field16(obj, object::kFlags) & object::kFlagPadByte) ? 1 : 0;
  if (size_t{mask_length} + pad > obj.size) return;
  size_t mask = obj.size - mask_length - pad;
  if (mask < graphic::kFieldsEnd || !obj.Holds(mask, 8)) return;  // absent; bytes kept
  if (dir == Direction::kSave) {
    Convert16s(obj, {mask, mask + 2, mask + 4, mask + 6}, dir);
    return;
  }
  uint16_t width = Convert16(obj, mask, dir);
  uint16_t height = Convert16(obj, mask + 2, dir);
  if (width == 0 || height == 0) {
    uint8_t* r = obj.data + object::kRect;
    Put16(obj.data + mask, static_cast<uint16_t>(GetI16(r + 4) - GetI16(r)));
    Put16(obj.data + mask + 2, static_cast<uint16_t>(GetI16(r + 6) - GetI16(r + 2)));
  }
  Put16(obj.data + mask + 4, 0);
  Put16(obj.data + mask + 6, 0);
}

void ConvertTextField(Bytes obj, Direction dir) {
  Convert16s(obj, {20, 24, 26, 28, 30, 32, 34, 36, 38, 44,  50,
                   56, 58, 60, 62, 64, 66, 68, 70, 88, 102, 104},
             dir);
  Convert32s(obj, {16, 40, 46, 52}, dir);
  if (obj.size <= field::kPath) return;
  size_t offset = field::kSubBlocks;
  while (obj.size - offset > field::kSubBlockHeader) {
    Bytes header = obj.Sub(offset, field::kSubBlockHeader);
    uint32_t length = dir == Direction::kLoad ? GetBE32(header.data + 12) : Get32(header.data + 12);
    Convert16s(header, {0, 2}, dir);
    Convert32s(header, {4, 8, 12}, dir);
    if (length < field::kSubBlockHeader || length > obj.size - offset) break;
    offset += length;
  }
}

void ConvertNameField(Bytes b, size_t offset, size_t field, Direction dir) {
  size_t n = CountedLength(b, offset, field);
  if (n == 0) return;
  uint8_t* text = b.data + offset + 1;
  if (dir == Direction::kLoad) {
    MacToWindows(text, n);
  } else {
    WindowsToMac(text, n);
  }
}

void ConvertCardNames(Bytes card, Direction dir) {
  if (card.size < card::kMinRecordSize) return;
  ConvertNameField(card, card::kName, card::kNameField, dir);
  for (size_t offset = ObjectListStart(card), length; (length = ObjectLengthAt(card, offset));
       offset += length) {
    Bytes obj = card.Sub(offset, length);
    switch (Field16(obj, object::kType)) {
      case object::kGraphic:
        ConvertNameField(obj, graphic::kName, graphic::kNameField, dir);
        break;
      case object::kButton:
        ConvertNameField(obj, button::kName, button::kNameField, dir);
        break;
      case object::kTextField:
        ConvertNameField(obj, field::kName, field::kNameField, dir);
        break;
      default:
        break;
    }
  }
}

std::optional<bool> FirstColorIsWhite(Bytes card) {
  // Only backgrounds (kind 1) are tested: the kind the player writes for a card with a
  // picture of its own, and the only kind whose picture header old players converted.
  if (Field16(card, card::kKind) != card::kKindBackground) return std::nullopt;
  Bytes block = PictureBlock(card);
  if (!block.data) return std::nullopt;
  uint32_t table = Field32(block, picture::kColorTableLength);
  // Seed, flags and size (8 bytes), then the first entry: index, red, green, blue.
  if (table < 16 || !block.Holds(picture::kColorTable, table)) return std::nullopt;
  const uint8_t* rgb = block.data + picture::kColorTable + 8 + 2;
  for (int i = 0; i < 6; ++i) {
    if (rgb[i] != 0xFF) return false;
  }
  return true;
}

}  // namespace corvida
