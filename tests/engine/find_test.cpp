// Find Text over a stack: matching with and without case, the order of cards, fields and
// positions, find again, wrap around, and which fields each setting searches.
#include "engine/find.h"

#include <gtest/gtest.h>

#include "engine/fieldtext.h"
#include "engine/fieldtext_store.h"
#include "tests/engine/card_fixture.h"

namespace corvida::find_test {
namespace {

RecordBytes TextField(uint16_t id, const std::string& text, uint16_t flags = 0,
                      uint16_t field_flags = 0) {
  RecordBytes f = testing::FieldRecord(id, {0, 0, 100, 40}, flags, field_flags);
  AppendToRecord(f, FieldTextBlocks(text, {}));
  return f;
}

class Find : public testing::CardFixture {
 protected:
  std::optional<FindMatch> Search(Handle current) {
    return SearchStack(stack, handles, current, state,
                       [&](ObjectRef obj) { return StoredFieldText(handles, obj); });
  }
  // Where a search from `current` lands: "card id/field id/position", or "none".
  std::string Where(Handle current) {
    auto m = Search(current);
    if (!m) return "none";
    return std::to_string(m->card_id) + "/" + std::to_string(m->field_id) + "/" +
           std::to_string(m->position);
  }
  FindState state;
};

TEST(FindInText, CaseAndStart) {
  EXPECT_EQ(FindInText("Then the end", "the", 0, true), 5u);
  EXPECT_EQ(FindInText("Then the end", "the", 0, false), 0u);
  EXPECT_EQ(FindInText("Then the end", "THE", 1, false), 5u);
  EXPECT_EQ(FindInText("caf\xC9 au lait", "caf\xE9", 0, false), 0u);  // accented letters too
  EXPECT_FALSE(FindInText("caf\xC9", "caf\xE9", 0, true));
  EXPECT_FALSE(FindInText("short", "", 0, false));
  EXPECT_FALSE(FindInText("ab", "abc", 0, false));
  EXPECT_FALSE(FindInText("abc", "c", 3, false));
  EXPECT_EQ(FindInText("aaa", "aa", 1, true), 1u);  // matches may overlap
}

TEST_F(Find, FindAgainWalksPositionsFieldsAndCardsThenWraps) {
  Handle one = AddCard(10, card::kKindCard, 0, {TextField(1, "aaa"), TextField(2, "xaa")});
  AddCard(11, card::kKindCard, 0, {TextField(3, "nothing")});
  Handle three = AddCard(12, card::kKindCard, 0, {TextField(4, "aa")});
  state.text = "aa";
  EXPECT_EQ(Where(one), "10/1/0");
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(one), "10/1/1");  // one character after the last match
  EXPECT_FALSE(state.flags & findflag::kFindAgain);
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(one), "10/2/1");
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(one), "12/4/0");  // the cards after it
  // From the last card wrap around goes on with the first.
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(three), "10/1/0");
}

TEST_F(Find, WrapVisitsEveryCardOnceAndTheStartingCardAgain) {
  Handle first = AddCard(10, card::kKindCard, 0, {TextField(1, "only here")});
  AddCard(11, card::kKindCard, 0, {TextField(2, "not")});
  state.text = "here";
  EXPECT_EQ(Where(first), "10/1/5");
  // Find again passes the rest of the stack and comes back to the same match.
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(first), "10/1/5");
  // Without wrap around the search stops at the last card.
  state.flags = findflag::kAllFields | findflag::kFindAgain;
  EXPECT_EQ(Where(first), "none");
  EXPECT_EQ(state.card_id, 10);  // nothing found: the last match stays
  EXPECT_EQ(state.position, 5u);
}

TEST_F(Find, WithoutWrapOnlyTheCardsFromTheCurrentOneAreSearched) {
  std::vector<Handle> cards;
  for (uint16_t i = 0; i < 5; ++i)
    cards.push_back(AddCard(20 + i, card::kKindCard, 0, {TextField(1, i == 1 ? "key" : "-")}));
  state.text = "key";
  state.flags = findflag::kAllFields;
  const int base = stack.CardNumber(cards[0]) - 1;
  EXPECT_EQ(Where(stack.CardAt(base + 3)), "none");  // cards 3, 4 and 5
  EXPECT_EQ(Where(stack.CardAt(base + 2)), "21/1/0");
  state.flags = findflag::kAllFields | findflag::kWrap;
  EXPECT_EQ(Where(stack.CardAt(base + 3)), "21/1/0");
}

TEST_F(Find, FieldClassesHiddenFieldsAndCase) {
  Handle card =
      AddCard(10, card::kKindCard, 0,
              {TextField(1, "The hidden", object::kFlagHidden),
               TextField(2, "the locked", 0, fieldflag::kLocked), TextField(3, "the open")});
  state.text = "the";
  EXPECT_EQ(Where(card), "10/2/0");  // all fields; the hidden one never
  state.flags = findflag::kEditable;
  EXPECT_EQ(Where(card), "10/3/0");
  state.flags = findflag::kReadOnly;
  EXPECT_EQ(Where(card), "10/2/0");
  state.text = "The";
  state.flags = findflag::kAllFields | findflag::kCaseSensitive;
  EXPECT_EQ(Where(card), "none");
}

TEST_F(Find, FindAgainOnAnotherCardStartsAtItsBeginning) {
  Handle one = AddCard(10, card::kKindCard, 0, {TextField(1, "x"), TextField(2, "pp")});
  Handle two = AddCard(11, card::kKindCard, 0, {TextField(2, "p"), TextField(5, "zz")});
  state.text = "p";
  state.flags = findflag::kAllFields;
  EXPECT_EQ(Where(one), "10/2/0");
  // The user went to the next card: the last match's place means nothing there.
  state.flags |= findflag::kFindAgain;
  EXPECT_EQ(Where(two), "11/2/0");
}

TEST_F(Find, SharedFieldsOfTheBackgroundAreSearchedAfterTheCardsOwn) {
  AddBackground(5, 1, 1, {TextField(7, "shared word", object::kFlagShared)});
  Handle card = AddCard(10, card::kKindShared, 5, {TextField(1, "own word")});
  state.text = "word";
  EXPECT_EQ(Where(card), "10/1/4");
  state.flags |= findflag::kFindAgain;
  auto m = Search(card);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->field_id, 7);
  EXPECT_EQ(m->card, card);        // found while on the card ...
  EXPECT_NE(m->field.card, card);  // ... in the background's record
  EXPECT_EQ(m->position, 7u);
}

}  // namespace
}  // namespace corvida::find_test
