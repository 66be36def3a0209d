// Moves between stacks through the file slots: the current stack in slot 1, history
// entries keeping a copy of it, Back through slot 7, the marked card's stack in slot 10
// and the home stack in slot 13.
#include <filesystem>

#include "player_fixture.h"

namespace corvida {
namespace {

class NavigateSlots : public testing::PlayerFixture {
 protected:
  void SetUp() override {
    Start();
    other = testing::BuildStack(tp.root, R"({"stack": {"width": 64, "height": 48},
        "cards": [{"id": 1, "kind": "shared", "name": "A"},
                  {"id": 2, "kind": "shared", "name": "B"}]})",
                                "other.stk");
  }
  std::string Slot(int slot) { return player.files.HostPath(slot); }
  std::string other;
};

TEST_F(NavigateSlots, HistoryEntriesKeepTheStackSlotAndBackReturnsThroughSlotSeven) {
  auto& nav = window->navigation();
  EXPECT_EQ(Slot(FileSlots::kStack), path);
  nav.GoNextCard();
  nav.GoToStackCard(other, 2, 3, 8, true);
  EXPECT_EQ(Slot(FileSlots::kStack), other);
  ASSERT_EQ(nav.history().size(), 2u);
  EXPECT_TRUE(nav.history()[0].has_file);
  EXPECT_EQ(player.files.paths().ToHost(nav.history()[0].stack_ref), path);

  // Within the other stack first, then back across into the first one.
  nav.GoPreviousCard();
  EXPECT_EQ(CardId(), 1);
  nav.GoBack();
  EXPECT_EQ(CardId(), 2);
  EXPECT_EQ(Slot(FileSlots::kStack), other);
  nav.GoBack();
  EXPECT_EQ(CardId(), 11);
  EXPECT_EQ(Slot(Navigation::kBackSlot), path);
  EXPECT_EQ(Slot(FileSlots::kStack), path);
  EXPECT_EQ(Title(), "five.stk - Card 2");
}

TEST_F(NavigateSlots, MarkedAndHomeCardsAreFoundInTheirOwnStacks) {
  auto& nav = window->navigation();
  nav.GoToCard(12, 3, 8, true);  // card 12 is marked: leaving it remembers it
  nav.GoNextCard();
  EXPECT_EQ(nav.marked_id(), 12);
  EXPECT_EQ(Slot(Navigation::kMarkedSlot), path);

  nav.GoToStackCard(other, 1, 3, 8, true);
  nav.GoMarkedCard();
  EXPECT_EQ(CardId(), 12);
  EXPECT_EQ(Slot(FileSlots::kStack), path);

  nav.GoToStackCard(other, Navigation::kFirstCardOfStack, 3, 8, true);
  EXPECT_EQ(CardId(), 1);  // the first card of the other stack
  nav.GoHome();
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Slot(Navigation::kHomeSlot), path);
  EXPECT_EQ(Title(), "five.stk - Card 1");
}

TEST_F(NavigateSlots, AStackWhosePathTheSlotsCannotHoldLeavesNoHistoryEntry) {
  // Deeper than a slot's 260 characters: it plays, but Back cannot come back to it.
  std::string deep = tp.root.path();
  while (deep.size() < 300) deep += "/deeper-and-deeper";
  std::filesystem::create_directories(deep);
  std::filesystem::copy_file(other, deep + "/far.stk");
  auto& nav = window->navigation();
  nav.GoToStackCard(deep + "/far.stk", 2, 3, 8, true);
  EXPECT_EQ(CardId(), 2);
  const size_t entries = nav.history().size();
  nav.GoPreviousCard();
  EXPECT_EQ(nav.history().size(), entries);
  nav.GoBack();  // to the first stack's card, the last entry that could be made
  EXPECT_EQ(CardId(), 10);
}

}  // namespace
}  // namespace corvida
