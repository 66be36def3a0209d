// Conversion of card records between the stored and the native form, and the bounds
// that keep damaged records from being read or written outside themselves.
#include <gtest/gtest.h>

#include "stackfile/actions.h"
#include "stackfile/records.h"
#include "stackfile/records_build.h"

namespace corvida {
namespace {

Bytes View(RecordBytes& r) {
  return {r.data(), r.size()};
}

RecordBytes SaveCopy(RecordBytes native) {
  ConvertCardRecord(View(native), Direction::kSave);
  return native;
}

TEST(CardRecord, StoredFieldsAreBigEndianAndRectanglesReordered) {
  RecordBytes card = NewCardRecord(7, card::kKindCard, 3);
  Put16(card.data() + card::kArriveAction, 0x1234);
  RecordBytes b =
      NewObject(object::kButton, 9, {1, 2, 3, 4}, object::kFlagHidden, kButtonRecordSize);
  Put16(b.data() + button::kIconId, 0x0102);
  AppendObject(card, b);
  RecordBytes stored = SaveCopy(card);

  EXPECT_EQ(GetBE16(&stored[card::kId]), 7);
  EXPECT_EQ(GetBE32(&stored[card::kLength]), card.size());
  EXPECT_EQ(GetBE16(&stored[card::kArriveAction]), 0x1234);
  const uint8_t* o = &stored[96];
  EXPECT_EQ(GetBE16(o), object::kButton);
  // Stored top, left, bottom, right.
  EXPECT_EQ(GetBE16(o + 4), 2);
  EXPECT_EQ(GetBE16(o + 6), 1);
  EXPECT_EQ(GetBE16(o + 8), 4);
  EXPECT_EQ(GetBE16(o + 10), 3);
  EXPECT_EQ(GetBE32(o + 12), kButtonRecordSize);
  EXPECT_EQ(GetBE16(o + object::kFlags), object::kFlagHidden);
  EXPECT_EQ(GetBE16(o + button::kIconId), 0x0102);
  // The end of the list and the trailer.
  EXPECT_EQ(GetBE32(&stored[stored.size() - 4]), 0x0000FACEu);

  RecordBytes back = stored;
  ConvertCardRecord(View(back), Direction::kLoad);
  EXPECT_EQ(back, card);
}

TEST(CardRecord, RunTimeSlotIsClearedBothWays) {
  RecordBytes card = NewCardRecord(1, 0, 0);
  Put32(card.data() + card::kRunSlot, 0xDEADBEEF);
  RecordBytes stored = SaveCopy(card);
  EXPECT_EQ(Get32(&stored[card::kRunSlot]), 0u);
  Put32(stored.data() + card::kRunSlot, 0x11223344);
  ConvertCardRecord(View(stored), Direction::kLoad);
  EXPECT_EQ(Get32(&stored[card::kRunSlot]), 0u);
}

TEST(CardRecord, PictureBlockOfKindsOneAndTwoIsConverted) {
  for (uint16_t kind : {card::kKindBackground, card::kKindPicture}) {
    RecordBytes pic(24 + 16 + 16 + 5, 0);
    Put16(pic.data(), 8);
    Put16(pic.data() + picture::kFormat, picture::kFormatEdgeFill);
    Put32(pic.data() + picture::kLength, static_cast<uint32_t>(pic.size()));
    Put32(pic.data() + picture::kColorTableLength, 16);
    Put32(pic.data() + 24 + 16 + 4, 77);   // top fill length
    Put32(pic.data() + 24 + 16 + 12, 99);  // bottom fill length
    RecordBytes card = NewCardRecord(1, kind, 0, pic);
    AppendObject(card, NewObject(object::kGraphic, 4, {0, 0, 5, 5}, 0, kGraphicRecordSize));
    RecordBytes stored = SaveCopy(card);
    EXPECT_EQ(GetBE32(&stored[96 + picture::kLength]), pic.size());
    EXPECT_EQ(GetBE32(&stored[96 + 24 + 16 + 4]), 77u);
    EXPECT_EQ(GetBE32(&stored[96 + 24 + 16 + 12]), 99u);
    EXPECT_EQ(GetBE16(&stored[96 + pic.size()]), object::kGraphic) << kind;
    Bytes v{card.data(), card.size()};
    EXPECT_EQ(ObjectListStart(v), 96 + pic.size());
  }
}

TEST(CardRecord, DamagedLengthsEndTheWalkAndKeepTheBytes) {
  RecordBytes card = NewCardRecord(1, 0, 0);
  AppendObject(card, NewObject(object::kButton, 1, {0, 0, 1, 1}, 0, kButtonRecordSize));
  RecordBytes tail = NewObject(object::kTextField, 2, {0, 0, 1, 1}, 0, kTextFieldRecordSize);
  AppendObject(card, tail);
  size_t second = 96 + kButtonRecordSize;
  for (uint32_t bad : {0u, 3u, 23u, 100000u, 0xFFFFFFFFu}) {
    RecordBytes c = card;
    Put32(c.data() + second + object::kLength, bad);
    Bytes v = View(c);
    EXPECT_EQ(ObjectLengthAt(v, 96), kButtonRecordSize);
    EXPECT_EQ(ObjectLengthAt(v, second), 0u) << bad;
    // Stored and read back: the damaged object's body is untouched both ways.
    RecordBytes stored = c;
    ConvertCardRecord({stored.data(), stored.size()}, Direction::kSave);
    EXPECT_TRUE(
        std::equal(stored.begin() + second + 24, stored.end() - 4, c.begin() + second + 24));
    ConvertCardRecord({stored.data(), stored.size()}, Direction::kLoad);
    EXPECT_EQ(stored, c) << bad;
  }
}

TEST(CardRecord, PictureLengthOutsideTheRecordLeavesNoObjects) {
  RecordBytes card = NewCardRecord(1, card::kKindBackground, 0);
  AppendObject(card, NewObject(object::kButton, 1, {0, 0, 1, 1}, 0, kButtonRecordSize));
  Put32(card.data() + 96 + picture::kLength, 5000);
  Bytes v = View(card);
  EXPECT_EQ(ObjectListStart(v), ObjectLimit(v));
  EXPECT_EQ(ObjectLengthAt(v, ObjectListStart(v)), 0u);
  RecordBytes stored = SaveCopy(card);
  ConvertCardRecord({stored.data(), stored.size()}, Direction::kLoad);
  EXPECT_EQ(stored, card);
}

TEST(CardRecord, GraphicMaskTakesTheBoundsWhenItsSizeIsZero) {
  RecordBytes card = NewCardRecord(1, 0, 0);
  RecordBytes g =
      NewObject(object::kGraphic, 1, {10, 20, 50, 80}, object::kFlagPadByte, kGraphicRecordSize);
  Put32(g.data() + graphic::kMaskLength, 12);
  g.resize(g.size() + 13, 0);  // 12 bytes of mask and one pad byte
  Put32(g.data() + object::kLength, static_cast<uint32_t>(g.size()));
  AppendObject(card, g);
  RecordBytes stored = SaveCopy(card);
  size_t mask = 96 + kGraphicRecordSize;
  PutBE16(&stored[mask + 4], 0x5555);  // the fields after width and height
  ConvertCardRecord(View(stored), Direction::kLoad);
  EXPECT_EQ(Get16(&stored[mask]), 40);
  EXPECT_EQ(Get16(&stored[mask + 2]), 60);
  EXPECT_EQ(Get16(&stored[mask + 4]), 0);
}

TEST(CardRecord, NamesConvertWithinTheirFields) {
  RecordBytes card = NewCardRecord(1, 0, 0);
  PutCountedName(card.data() + card::kName, card::kNameField, "\x80t\xDB");
  RecordBytes b = NewObject(object::kButton, 1, {0, 0, 1, 1}, 0, kButtonRecordSize);
  b[button::kName] = 200;  // longer than its field: clamped to 31
  b[button::kName + 31] = 0x8A;
  b[button::kName + 32] = 0x8A;  // the first byte after the field stays
  AppendObject(card, b);
  Bytes v = View(card);
  ConvertCardNames(v, Direction::kLoad);
  EXPECT_EQ(CountedText(v, card::kName, card::kNameField), "\xC4t\xA4");
  EXPECT_EQ(card[96 + button::kName + 31], 0xE4);
  EXPECT_EQ(card[96 + button::kName + 32], 0x8A);
  ConvertCardNames(v, Direction::kSave);
  EXPECT_EQ(CountedText(v, card::kName, card::kNameField), "\x80t\xDB");
}

TEST(CardRecord, WhiteFirstColourIsReadFromTheFirstEntry) {
  RecordBytes pic(24 + 16, 0);
  Put32(pic.data() + picture::kLength, static_cast<uint32_t>(pic.size()));
  Put32(pic.data() + picture::kColorTableLength, 16);
  std::fill(pic.begin() + 24 + 10, pic.begin() + 24 + 16, 0xFF);
  RecordBytes card = NewCardRecord(1, card::kKindBackground, 0, pic);
  EXPECT_EQ(FirstColorIsWhite(View(card)), true);
  card[96 + 24 + 15] = 0xFE;
  EXPECT_EQ(FirstColorIsWhite(View(card)), false);
  RecordBytes plain = NewCardRecord(2, card::kKindCard, 1);
  EXPECT_EQ(FirstColorIsWhite(View(plain)), std::nullopt);
}

TEST(ActionEntries, FieldsConvertByCode) {
  RecordBytes b = NewObject(object::kButton, 1, {0, 0, 1, 1}, 0, kButtonRecordSize);
  RecordBytes sound = NewActionEntry(action::kEntryStackSound, 32);
  Put16(sound.data() + 4, 0x0102);
  Put16(sound.data() + 16, 5);
  Put16(sound.data() + 24, 0x8000);
  AppendToRecord(b, sound);
  RecordBytes movie = NewActionEntry(action::kEntryMovie, 40);
  PutRect(movie.data() + 4, {1, 2, 3, 4});
  Put32(movie.data() + 16, 0x00010004);
  std::memcpy(movie.data() + 32, "C:\\a.mov", 8);
  AppendToRecord(b, movie);
  RecordBytes stored = b;
  ConvertActionRecord({stored.data(), stored.size()}, Direction::kSave);
  const uint8_t* s = &stored[136];
  EXPECT_EQ(GetBE16(s), action::kEntryStackSound);
  EXPECT_EQ(GetBE16(s + 4), 0x0102);
  EXPECT_EQ(GetBE16(s + 16), 5);
  EXPECT_EQ(GetBE16(s + 24), 0x8000);
  const uint8_t* m = s + 32;
  EXPECT_EQ(GetBE16(m + 4), 2);  // top first
  EXPECT_EQ(GetBE32(m + 16), 0x00010004u);
  EXPECT_EQ(std::memcmp(m + 32, "C:\\a.mov", 8), 0);  // paths are kept as they are
  ConvertActionRecord({stored.data(), stored.size()}, Direction::kLoad);
  EXPECT_EQ(stored, b);
  Bytes v{b.data(), b.size()};
  EXPECT_EQ(FindEntry(v, action::kEntryMovie), 136u + 32);
  EXPECT_EQ(FindEntry(v, action::kEntryNba), 0u);
}

TEST(CardRecord, TextSubBlocksConvertUntilOneDoesNotFit) {
  RecordBytes f = NewObject(object::kTextField, 1, {0, 0, 9, 9}, 0, 128);
  RecordBytes first(40, 0);
  Put32(first.data() + 8, 24);
  Put32(first.data() + 12, 40);
  RecordBytes second(24, 0);
  Put16(second.data(), 0x0102);
  Put32(second.data() + 12, 500);  // runs past the field
  AppendToRecord(f, first);
  AppendToRecord(f, second);
  RecordBytes card = NewCardRecord(1, 0, 0);
  AppendObject(card, f);
  RecordBytes stored = SaveCopy(card);
  size_t sub = 96 + 128;
  EXPECT_EQ(GetBE32(&stored[sub + 8]), 24u);
  EXPECT_EQ(GetBE32(&stored[sub + 12]), 40u);
  EXPECT_EQ(GetBE16(&stored[sub + 40]), 0x0102);  // its header is converted, the walk ends
  ConvertCardRecord(View(stored), Direction::kLoad);
  EXPECT_EQ(stored, card);
}

TEST(ActionEntries, AnEntryThatWouldNotAdvanceEndsTheWalk) {
  RecordBytes b = NewObject(object::kButton, 1, {0, 0, 1, 1}, 0, kButtonRecordSize);
  RecordBytes e = NewActionEntry(action::kEntryNba, 32);
  Put32(e.data() + 12, 0);
  AppendToRecord(b, e);
  AppendToRecord(b, NewActionEntry(action::kEntryNba, 32));
  Bytes v{b.data(), b.size()};
  EXPECT_EQ(EntryLengthAt(v, 136), 0u);
  EXPECT_EQ(FindEntry(v, action::kEntryNba), 0u);
  RecordBytes stored = b;
  ConvertActionRecord({stored.data(), stored.size()}, Direction::kSave);
  ConvertActionRecord({stored.data(), stored.size()}, Direction::kLoad);
  EXPECT_EQ(stored, b);
}

TEST(Hyperlink, TextMovesUpAndBackByteExactly) {
  // Stored: header of 23 bytes, text from 23, one pad byte, then A bytes, then a button.
  std::vector<uint8_t> stored(23, 0);
  PutBE16(&stored[0], 12);
  PutBE16(&stored[2], 3);
  PutBE16(&stored[4], 2);  // A
  PutBE16(&stored[6], 4);  // text length
  stored[8] = 0;
  stored[9] = 1;  // active
  for (char c : std::string("link")) stored.push_back(static_cast<uint8_t>(c));
  stored.push_back(0xAB);  // pad byte
  stored.push_back(0x11);
  stored.push_back(0x22);
  RecordBytes b = NewObject(object::kButton, 5, {0, 0, 1, 1}, 0, kButtonRecordSize);
  Put16(b.data() + button::kDisplayFlags, 0x10);
  RecordBytes sb = b;
  ConvertActionRecord({sb.data(), sb.size()}, Direction::kSave);
  stored.insert(stored.end(), sb.begin(), sb.end());

  std::vector<uint8_t> native = stored;
  Bytes v{native.data(), native.size()};
  ConvertHyperlink(v, Direction::kLoad);
  EXPECT_EQ(Get16(&native[hyperlink::kTextLength]), 4);
  EXPECT_EQ(std::string(native.begin() + 24, native.begin() + 28), "link");
  EXPECT_EQ(native[28], 0x11);  // the A bytes start at 24 + text length
  Bytes action = HyperlinkAction(v);
  ASSERT_NE(action.data, nullptr);
  EXPECT_EQ(Field16(action, object::kId), 5);
  EXPECT_EQ(Field16(action, button::kDisplayFlags), 0x10);
  ConvertHyperlink(v, Direction::kSave);
  EXPECT_EQ(native, stored);
}

TEST(Hyperlink, TextLongerThanTheDataIsLeftInPlace) {
  std::vector<uint8_t> stored(30, 0x41);
  PutBE16(&stored[6], 200);
  PutBE16(&stored[8], 1);
  std::vector<uint8_t> native = stored;
  ConvertHyperlink({native.data(), native.size()}, Direction::kLoad);
  EXPECT_TRUE(std::equal(native.begin() + 8, native.end(), stored.begin() + 8));
  EXPECT_EQ(HyperlinkAction({native.data(), native.size()}).data, nullptr);
  ConvertHyperlink({native.data(), native.size()}, Direction::kSave);
  EXPECT_EQ(native, stored);
}

}  // namespace
}  // namespace corvida
