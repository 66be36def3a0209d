#include "engine/cards.h"

#include <gtest/gtest.h>

#include "engine/cards_display.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

using testing::ButtonRecord;
using testing::ButtonSpec;
using testing::FieldRecord;

ButtonSpec Named(uint16_t id, const std::string& name, uint16_t flags = 0) {
  ButtonSpec b;
  b.id = id;
  b.name = name;
  b.flags = flags;
  return b;
}

class CardModel : public testing::CardFixture {
 protected:
  // Names of the objects a walk yields, in order.
  std::vector<std::string> Walk(Handle card, bool with_background) {
    std::vector<std::string> names;
    ObjectIterator walk(stack, handles, card, with_background);
    while (ObjectRef obj = walk.Next()) names.push_back(ObjectName(handles, obj));
    return names;
  }
};

TEST_F(CardModel, BackgroundLinksOneStepAndFollowed) {
  Handle bg = AddCard(10, card::kKindBackground, 0);
  Handle a = AddCard(11, card::kKindShared, 10);
  Handle b = AddCard(12, card::kKindShared, 11);  // shares through another kind-3 card
  Handle plain = AddCard(13, card::kKindCard, 10);

  EXPECT_EQ(BackgroundCardOf(stack, handles, bg), bg);
  EXPECT_EQ(BackgroundCardOf(stack, handles, b), a);  // one link only
  EXPECT_EQ(BackgroundIdOf(stack, handles, b), 10);   // followed to the kind-1 card
  EXPECT_EQ(BackgroundIdOf(stack, handles, plain), 13);
  EXPECT_EQ(PictureCardOf(stack, handles, b), bg);
}

TEST_F(CardModel, BackgroundRingEndsWithoutPicture) {
  Handle a = AddCard(1, card::kKindShared, 2);
  AddCard(2, card::kKindShared, 1);
  EXPECT_EQ(PictureCardOf(stack, handles, a), 0);
  EXPECT_EQ(BackgroundIdOf(stack, handles, a), 1);
}

TEST_F(CardModel, IteratorYieldsSharedBackgroundObjectsAroundTheCard) {
  Handle bg = AddCard(
      10, card::kKindBackground, 0,
      {ButtonRecord(Named(1, "shared", object::kFlagShared)), ButtonRecord(Named(2, "bg only")),
       ButtonRecord(Named(3, "gone", object::kFlagShared | object::kFlagDeleted))});
  Handle c =
      AddCard(11, card::kKindShared, 10,
              {ButtonRecord(Named(4, "own")), ButtonRecord(Named(5, "hidden", object::kFlagHidden)),
               ButtonRecord(Named(6, "deleted", object::kFlagDeleted))});

  EXPECT_EQ(Walk(c, true), (std::vector<std::string>{"shared", "own", "hidden"}));
  EXPECT_EQ(Walk(c, false), (std::vector<std::string>{"own", "hidden", "shared"}));
  // On the background itself every live object is seen, once.
  EXPECT_EQ(Walk(bg, true), (std::vector<std::string>{"shared", "bg only"}));
  EXPECT_EQ(Walk(bg, false), (std::vector<std::string>{"shared", "bg only"}));

  // A plain card (kind 0) sees the shared objects only in a walk with background.
  Handle plain = AddCard(12, card::kKindCard, 10, {ButtonRecord(Named(7, "mine"))});
  EXPECT_EQ(Walk(plain, true), (std::vector<std::string>{"shared", "mine"}));
  EXPECT_EQ(Walk(plain, false), (std::vector<std::string>{"mine"}));
}

TEST_F(CardModel, EmptyCardYieldsNothing) {
  Handle c = AddCard(1, card::kKindCard, 1);
  EXPECT_EQ(FirstObject(handles, c), card::kHeaderSize);
  EXPECT_TRUE(Walk(c, true).empty());
}

TEST_F(CardModel, DamagedObjectLengthEndsTheWalk) {
  RecordBytes bad = ButtonRecord(Named(2, "bad"));
  Put32(bad.data() + object::kLength, 100000);
  Handle c = AddCard(1, card::kKindCard, 1, {ButtonRecord(Named(1, "good")), bad});
  EXPECT_EQ(Walk(c, true), (std::vector<std::string>{"good"}));
}

TEST_F(CardModel, FindByIdPrefersCurrentCardAndTakesIdZero) {
  Handle a = AddCard(1, card::kKindCard, 1, {ButtonRecord(Named(7, "on a"))});
  Handle b = AddCard(2, card::kKindCard, 2, {ButtonRecord(Named(7, "on b", object::kFlagDeleted))});
  EXPECT_EQ(ObjectName(handles, FindObjectById(stack, handles, b, object::kButton, 7)), "on b");
  EXPECT_EQ(ObjectName(handles, FindObjectById(stack, handles, 0, object::kButton, 7)), "on a");
  EXPECT_FALSE(FindObjectById(stack, handles, a, object::kTextField, 7));

  Handle z = AddCard(3, card::kKindCard, 3, {ButtonRecord(Named(0, "zero"))});
  EXPECT_EQ(ObjectName(handles, FindObjectById(stack, handles, z, object::kButton, 999)), "zero");
}

TEST_F(CardModel, FindByNameTrimsOnRequestAndIgnoresCase) {
  AddCard(10, card::kKindBackground, 0, {ButtonRecord(Named(1, "Home", object::kFlagShared))});
  Handle c =
      AddCard(11, card::kKindShared, 10,
              {ButtonRecord(Named(2, "next")), FieldRecord(3, {0, 0, 10, 10}, 0, 0, "next")});
  ObjectRef found = FindObjectByName(stack, handles, c, object::kButton, "  Next ", true);
  EXPECT_EQ(ObjectId(handles, found), 2);
  EXPECT_FALSE(FindObjectByName(stack, handles, c, object::kButton, "  Next ", false));
  EXPECT_EQ(ObjectId(handles, FindObjectByName(stack, handles, c, object::kButton, "HOME", false)),
            1);
  EXPECT_EQ(
      ObjectId(handles, FindObjectByName(stack, handles, c, object::kTextField, "next", false)), 3);
  EXPECT_EQ(
      ObjectId(handles, FindObjectByNameAnywhere(stack, handles, object::kButton, "next", false)),
      2);
}

TEST_F(CardModel, NthAndOrdinal) {
  AddCard(10, card::kKindBackground, 0, {ButtonRecord(Named(1, "bg", object::kFlagShared))});
  Handle c =
      AddCard(11, card::kKindShared, 10,
              {ButtonRecord(Named(5, "a")), FieldRecord(6, {}), ButtonRecord(Named(7, "b"))});
  EXPECT_EQ(ObjectId(handles, FindNthObject(stack, handles, c, object::kButton, 1)), 1);
  EXPECT_EQ(ObjectId(handles, FindNthObject(stack, handles, c, object::kButton, 3)), 7);
  EXPECT_FALSE(FindNthObject(stack, handles, c, object::kButton, 4));
  EXPECT_FALSE(FindNthObject(stack, handles, c, object::kButton, 0));
  EXPECT_EQ(OrdinalOfObject(handles, c, object::kButton, 7), 2);  // background not counted
  EXPECT_EQ(OrdinalOfObject(handles, c, object::kButton, 1), 0);
}

TEST_F(CardModel, SwapAndNewCard) {
  Handle a = AddCard(1, card::kKindBackground, 0);
  Handle b = AddCard(2, card::kKindShared, 1);
  Handle c = AddCard(3, card::kKindCard, 3);
  EXPECT_TRUE(SwapCards(stack, handles, 2, 2));
  EXPECT_EQ(stack.CardAt(2), b);
  EXPECT_TRUE(SwapCards(stack, handles, 1, 3));
  EXPECT_EQ(stack.CardAt(1), c);
  EXPECT_EQ(stack.CardAt(3), a);
  EXPECT_FALSE(SwapCards(stack, handles, 1, 4));

  stack.SetHeader16(header::kNextCardId, 40);
  Handle fresh = NewCard(stack, handles, b, true, 8);
  ASSERT_NE(fresh, 0);
  EXPECT_EQ(stack.CardAt(3), fresh);  // right after the current card (position 2)
  EXPECT_EQ(CardId(handles, fresh), 40);
  EXPECT_EQ(stack.Header16(header::kNextCardId), 41);
  EXPECT_EQ(CardKind(handles, fresh), card::kKindShared);
  EXPECT_EQ(CardField16(handles, fresh, card::kBackgroundId), 1);
  EXPECT_EQ(FirstObject(handles, fresh), card::kHeaderSize);
  Handle first = NewCard(stack, handles, 0, false, 8);
  EXPECT_EQ(stack.CardAt(1), first);
  EXPECT_EQ(CardKind(handles, first), card::kKindCard);
}

TEST(DisplayListTest, LayerPositions) {
  DisplayList list;
  auto make = [](uint16_t id) {
    auto item = std::make_unique<DisplayItem>();
    item->id = id;
    return item;
  };
  list.Append(make(1));
  list.Append(make(2));
  list.Insert(make(3), 0);   // bottom
  list.Insert(make(4), 2);   // after the first
  list.Insert(make(5), 99);  // beyond the end: last
  std::vector<uint16_t> ids;
  for (auto& item : list) ids.push_back(item->id);
  EXPECT_EQ(ids, (std::vector<uint16_t>{3, 4, 1, 2, 5}));
  EXPECT_TRUE(list.Remove(list.Find(0, 1)));
  EXPECT_EQ(list.size(), 4u);
  EXPECT_EQ(list.Find(0, 1), nullptr);
}

}  // namespace
}  // namespace corvida
