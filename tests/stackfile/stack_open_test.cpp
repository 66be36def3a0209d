// Opening stacks: the validity test and its alerts, the version and card-size checks,
// damaged card records, and what is left behind when a stack is refused.
#include <gtest/gtest.h>

#include "stack_fixture.h"
#include "stackfile/cardpicture.h"
#include "stackfile/stack_io.h"

namespace corvida::testing {
namespace {

class StackOpen : public ::testing::Test {
 protected:
  StackOpen() : stack(handles) {}

  StoredStack OneCard() {
    StoredStack s;
    RecordBytes card = NewCardRecord(1, card::kKindCard, 0);
    PutCountedName(card.data() + card::kName, card::kNameField, "Start");
    AppendObject(card, Button(3, "Go"));
    s.AddCard(card);
    s.AddCard(NewCardRecord(2, card::kKindCard, 0));
    return s;
  }
  int Open(const StoredStack& s, const StackOpenOptions& options = {}) {
    dir.Write("s.stk", ToString(s.Bytes()));
    return log.Open(stack, dir.File("s.stk"), options);
  }

  TempDir dir;
  RecordingAlertResponder presenter;
  Handles handles;
  HookLog log;
  Stack stack;
};

TEST_F(StackOpen, SoundStackLoadsCardsAndHeader) {
  StoredStack s = OneCard();
  s.flags = header::kFlagDiscardClicks;
  ASSERT_EQ(Open(s), 0);
  EXPECT_TRUE(log.alerts.empty());
  EXPECT_EQ(stack.CardCount(), 2);
  EXPECT_EQ(stack.Header16(header::kCardWidth), 320);
  EXPECT_EQ(stack.Header16(header::kFlags), header::kFlagDiscardClicks);
  Handle first = stack.CardAt(1);
  EXPECT_EQ(stack.CardById(1), first);
  EXPECT_EQ(stack.CardByName("START"), first);
  EXPECT_EQ(stack.CardByName("Star"), 0);
  EXPECT_EQ(stack.CardNumber(stack.CardById(2)), 2);
  EXPECT_EQ(stack.CardNumber(12345), 3);
  EXPECT_EQ(stack.CardAt(3), 0);
  LockedHandle bytes(handles, first);
  EXPECT_EQ(Get16(bytes.data() + 96 + object::kType), object::kButton);
  EXPECT_NE(stack.font_list(), 0);
  EXPECT_EQ(handles.GetSize(stack.font_list()), 92u);
}

TEST_F(StackOpen, HeadersThatAreNotStacksAreRefused) {
  struct Case {
    const char* what;
    void (*change)(StoredStack&);
  } cases[] = {
      {"version 0", [](StoredStack& s) { s.version = 0; }},
      {"version 256", [](StoredStack& s) { s.version = 256; }},
      {"no cards", [](StoredStack& s) { s.card_count = 0; }},
      {"width 0", [](StoredStack& s) { s.width = 0; }},
      {"negative height", [](StoredStack& s) { s.height = -5; }},
      {"depth 0", [](StoredStack& s) { s.depth = 0; }},
      {"depth 3", [](StoredStack& s) { s.depth = 3; }},
      {"depth 33", [](StoredStack& s) { s.depth = 33; }},
      {"format 256", [](StoredStack& s) { s.format = 256; }},
      {"65537 resources", [](StoredStack& s) { s.resource_count = 65537; }},
  };
  for (const Case& c : cases) {
    StoredStack s = OneCard();
    c.change(s);
    log = {};
    EXPECT_EQ(Open(s), kRefused) << c.what;
    EXPECT_EQ(log.alerts, std::vector<int>{strid::kNotAStack}) << c.what;
    EXPECT_EQ(log.forgotten.size(), 1u) << c.what;
    EXPECT_FALSE(stack.is_open()) << c.what;
    EXPECT_EQ(stack.CardCount(), 0);
  }
  dir.Write("short.stk", "tiny");
  log = {};
  EXPECT_EQ(log.Open(stack, dir.File("short.stk")), kRefused);
  EXPECT_EQ(log.alerts, std::vector<int>{strid::kNotAStack});
}

TEST_F(StackOpen, VersionsAndDepthOneHaveTheirOwnAlerts) {
  struct {
    uint16_t version, depth;
    int alert;
  } cases[] = {
      {3, 8, strid::kStackTooOld}, {6, 8, strid::kStackTooNew}, {5, 1, strid::kBlackAndWhiteStack}};
  for (auto c : cases) {
    StoredStack s = OneCard();
    s.version = c.version;
    s.depth = c.depth;
    log = {};
    EXPECT_EQ(Open(s), kRefused);
    EXPECT_EQ(log.alerts, std::vector<int>{c.alert});
    EXPECT_TRUE(log.forgotten.empty());
    EXPECT_FALSE(stack.is_open());
  }
  for (uint16_t version : {4, 5}) {
    StoredStack s = OneCard();
    s.version = version;
    EXPECT_EQ(Open(s), 0);
  }
}

TEST_F(StackOpen, SmallCardsAreRaisedOnlyWhenTheUserAgrees) {
  StoredStack s = OneCard();
  s.width = 30;
  s.height = 200;
  log.answer = 2;  // No
  EXPECT_EQ(Open(s), kRefused);
  EXPECT_EQ(log.alerts, std::vector<int>{strid::kStackCardTooSmall});
  EXPECT_FALSE(stack.is_open());

  log = {};
  log.answer = 1;  // Yes
  StackOpenOptions options;
  options.minimum_card = {100, 50};
  ASSERT_EQ(Open(s, options), 0);
  EXPECT_TRUE(stack.card_size_raised());
  EXPECT_EQ(stack.Header16(header::kCardWidth), 100);
  EXPECT_EQ(stack.Header16(header::kCardHeight), 200);
}

// Raising the card size gives the pictures the new size too: read at the old size's rows
// they would come out sheared.
TEST_F(StackOpen, RaisedCardsKeepTheirPicturesAndObjects) {
  const Size from{30, 20};
  gfx::Bitmap old_picture;
  ASSERT_TRUE(old_picture.Create(from.width, from.height, 8));
  for (int y = 0; y < from.height; ++y)
    for (int x = 0; x < from.width; ++x) old_picture.Set(x, y, uint32_t(x + 3 * y + 1));
  std::vector<uint8_t> pic = EncodeCardPicture(old_picture, gfx::Palette::Grey(8));
  StoredStack s;
  s.width = int16_t(from.width);
  s.height = int16_t(from.height);
  RecordBytes background = NewCardRecord(1, card::kKindBackground, 0, pic);
  AppendObject(background, Button(7, "Over"));
  s.AddCard(background);
  s.AddCard(NewCardRecord(2, card::kKindShared, 1));
  log.answer = 1;  // Yes
  ASSERT_EQ(Open(s), 0);
  ASSERT_TRUE(stack.card_size_raised());
  const Size to{40, 40};
  EXPECT_EQ(stack.Header16(header::kCardWidth), to.width);

  LockedHandle bytes(handles, stack.CardAt(1));
  Bytes record{bytes.data(), bytes.size()};
  EXPECT_EQ(Get32(record.data + card::kLength), record.size);
  const size_t objects = ObjectListStart(record);
  ASSERT_GT(objects, picture::kOffset);
  EXPECT_EQ(Field16(record, objects + object::kType), object::kButton);
  EXPECT_EQ(Field16(record, objects + object::kId), 7);
  gfx::Bitmap shown;
  ASSERT_TRUE(DecodeCardPicture({record.data + picture::kOffset, objects - picture::kOffset}, to, 8,
                                true, shown));
  for (int y = 0; y < to.height; ++y) {
    for (int x = 0; x < to.width; ++x) {
      const bool old = x < from.width && y < from.height;
      ASSERT_EQ(shown.Get(x, y), old ? old_picture.Get(x, y) : 255u) << x << "," << y;
    }
  }
  EXPECT_FALSE(stack.changed());
}

TEST_F(StackOpen, QuestionsComeBackUnaskedWithNothingLoaded) {
  StoredStack s = OneCard();
  s.width = 30;
  s.resources.push_back({"Icon", 1, "", {1, 2, 3, 4}});
  StoredResource bad{"Icon", 2, "", {1, 2, 3, 4, 5}};
  bad.stored_length = 4;  // data longer than its room
  s.resources.push_back(bad);
  dir.Write("s.stk", ToString(s.Bytes()));
  const std::string path = dir.File("s.stk");

  StackOpenOptions options;
  StackOpenResult result = stack.Open(path, options);
  EXPECT_EQ(result.question, StackQuestion::kConvertSmallCard);
  EXPECT_TRUE(result.messages.empty());
  EXPECT_FALSE(result.opened());
  EXPECT_FALSE(stack.is_open());

  options.answers.convert_small_card = true;
  result = stack.Open(path, options);
  EXPECT_EQ(result.question, StackQuestion::kKeepDamagedResources);
  EXPECT_FALSE(stack.is_open());
  EXPECT_EQ(stack.CardCount(), 0);
  EXPECT_EQ(stack.resources().current(), nullptr);

  options.answers.keep_damaged_resources = true;
  result = stack.Open(path, options);
  EXPECT_TRUE(result.opened());
  EXPECT_TRUE(result.messages.empty());
  EXPECT_EQ(stack.Header16(header::kCardWidth), 40);
  EXPECT_EQ(stack.resources().Count(restype::kIcon), 0);  // the block before the damage goes too
}

TEST_F(StackOpen, ARecordRunningPastTheFileKeepsTheCardsBeforeIt) {
  StoredStack s = OneCard();
  s.resources.push_back({"Icon", 5, "", {1, 2, 3, 4}});
  s.card_count = 3;  // the third "record" is the resource area's first block
  ASSERT_EQ(Open(s), -1);
  EXPECT_EQ(stack.CardCount(), 2);
  EXPECT_EQ(stack.resources().Count(restype::kIcon), 1);
  EXPECT_EQ(stack.font_list(), 0);  // settings are not applied
}

TEST_F(StackOpen, RecordsShorterThanAHeaderEndTheCardLoop) {
  StoredStack s = OneCard();
  PutBE32(s.cards[1].data() + card::kLength, 99);
  EXPECT_EQ(Open(s), -1);
  EXPECT_EQ(stack.CardCount(), 1);

  StoredStack none = OneCard();
  PutBE32(none.cards[0].data() + card::kLength, 0);
  log = {};
  EXPECT_EQ(Open(none), -1);
  EXPECT_EQ(log.alerts, std::vector<int>{strid::kNoCardsRead});
  EXPECT_EQ(log.file_errors, std::vector<int>{-1});
  EXPECT_EQ(log.forgotten.size(), 1u);
  EXPECT_FALSE(stack.is_open());
  EXPECT_EQ(stack.CardCount(), 0);
}

TEST_F(StackOpen, MissingFileIsAFileError) {
  EXPECT_EQ(log.Open(stack, dir.File("absent.stk")), -1);
  EXPECT_EQ(log.file_errors, std::vector<int>{-1});
  EXPECT_FALSE(stack.is_open());
}

TEST_F(StackOpen, MacNamesAreConvertedForDisplay) {
  StoredStack s;
  RecordBytes card = NewCardRecord(1, card::kKindCard, 0);
  PutCountedName(card.data() + card::kName, card::kNameField, "Caf\x8E");
  AppendObject(card, Button(3, "\x80pfel"));
  s.AddCard(card);
  s.flags = header::kFlagMacNames;
  ASSERT_EQ(Open(s), 0);
  EXPECT_TRUE(stack.names_converted());
  EXPECT_EQ(stack.CardByName("Caf\xE9"), stack.CardAt(1));
  LockedHandle bytes(handles, stack.CardAt(1));
  EXPECT_EQ(CountedText({bytes.data(), bytes.size()}, 96 + button::kName, 32), "\xC4pfel");
}

TEST_F(StackOpen, WhiteFirstColourConvertsNamesOfTheWholeStack) {
  StoredStack s;
  RecordBytes plain = NewCardRecord(1, card::kKindShared, 2);
  PutCountedName(plain.data() + card::kName, card::kNameField, "\x8E");
  s.AddCard(plain);
  RecordBytes pic(24 + 16, 0);
  Put32(pic.data() + picture::kLength, static_cast<uint32_t>(pic.size()));
  Put32(pic.data() + picture::kColorTableLength, 16);
  std::fill(pic.begin() + 34, pic.end(), 0xFF);
  s.AddCard(NewCardRecord(2, card::kKindBackground, 0, pic));
  ASSERT_EQ(Open(s), 0);
  EXPECT_TRUE(stack.white_first_color());
  EXPECT_EQ(stack.CardByName("\xE9"), stack.CardAt(1));
}

// The first background (kind 1) with a colour table decides; kind-2 pictures and empty
// tables are passed over.
TEST_F(StackOpen, WhiteFirstColourIsTakenFromTheFirstBackgroundWithColours) {
  struct Picture {
    uint16_t kind;
    int first;  // red, green and blue of the first entry; -1: no colour table
  };
  struct Case {
    const char* what;
    std::vector<Picture> cards;
    bool white;
  } cases[] = {
      {"a white background", {{card::kKindBackground, 0xFF}}, true},
      {"a black background", {{card::kKindBackground, 0x00}}, false},
      {"a white kind-2 picture only", {{card::kKindPicture, 0xFF}}, false},
      {"a white kind-2 picture before a black background",
       {{card::kKindPicture, 0xFF}, {card::kKindBackground, 0x00}},
       false},
      {"a background without colours before a white one",
       {{card::kKindBackground, -1}, {card::kKindBackground, 0xFF}},
       true},
      {"a black background before a white one",
       {{card::kKindBackground, 0x00}, {card::kKindBackground, 0xFF}},
       false},
  };
  for (const Case& c : cases) {
    StoredStack s;
    RecordBytes named = NewCardRecord(1, card::kKindCard, 0);
    PutCountedName(named.data() + card::kName, card::kNameField, "\x8E");
    s.AddCard(named);
    uint16_t id = 2;
    for (const Picture& p : c.cards) {
      const size_t table = p.first < 0 ? 0 : 16;
      RecordBytes pic(24 + table, 0);
      Put32(pic.data() + picture::kLength, static_cast<uint32_t>(pic.size()));
      Put32(pic.data() + picture::kColorTableLength, static_cast<uint32_t>(table));
      if (table) std::fill(pic.begin() + 34, pic.end(), static_cast<uint8_t>(p.first));
      s.AddCard(NewCardRecord(id++, p.kind, 0, pic));
    }
    log = {};
    ASSERT_EQ(Open(s), 0) << c.what;
    EXPECT_EQ(stack.white_first_color(), c.white) << c.what;
    EXPECT_EQ(stack.names_converted(), c.white) << c.what;
    EXPECT_EQ(stack.CardByName(c.white ? "\xE9" : "\x8E"), stack.CardAt(1)) << c.what;
  }
}

TEST_F(StackOpen, BackgroundLinksStopOnLoopsAndMissingCards) {
  StoredStack s;
  s.AddCard(NewCardRecord(1, card::kKindBackground, 0));
  s.AddCard(NewCardRecord(2, card::kKindShared, 3));
  s.AddCard(NewCardRecord(3, card::kKindShared, 1));
  s.AddCard(NewCardRecord(4, card::kKindShared, 5));
  s.AddCard(NewCardRecord(5, card::kKindShared, 4));
  s.AddCard(NewCardRecord(6, card::kKindShared, 99));
  ASSERT_EQ(Open(s), 0);
  EXPECT_EQ(stack.BackgroundOf(stack.CardById(2)), stack.CardById(1));
  EXPECT_EQ(stack.BackgroundOf(stack.CardById(1)), stack.CardById(1));
  EXPECT_EQ(stack.BackgroundOf(stack.CardById(4)), 0);
  EXPECT_EQ(stack.BackgroundOf(stack.CardById(6)), 0);
}

TEST_F(StackOpen, AddCardInsertsAtAPosition) {
  ASSERT_EQ(stack.CreateNew(320, 240, 8), 0);
  Handle a = HandleFromBytes(handles, NewCardRecord(1, 0, 0));
  Handle b = HandleFromBytes(handles, NewCardRecord(2, 0, 0));
  Handle c = HandleFromBytes(handles, NewCardRecord(3, 0, 0));
  EXPECT_TRUE(stack.AddCard(a, 0));
  EXPECT_TRUE(stack.AddCard(b, 1));
  EXPECT_TRUE(stack.AddCard(c, 1));
  EXPECT_EQ(stack.CardAt(1), a);
  EXPECT_EQ(stack.CardAt(2), c);
  EXPECT_EQ(stack.CardAt(3), b);
  handles.SetBudget(handles.bytes_allocated());
  Handle d = 4;  // any handle: the table cannot grow
  EXPECT_FALSE(stack.AddCard(d, 0));
  EXPECT_EQ(stack.CardCount(), 3);
}

}  // namespace
}  // namespace corvida::testing
