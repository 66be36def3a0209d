#include "engine/actions.h"

#include <gtest/gtest.h>

#include <set>

#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "stackfile/resources.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

using S = ActionStep;

auto Holding(std::set<uint16_t> kinds) {
  return [kinds](uint16_t kind) { return kinds.count(kind) != 0; };
}

TEST(ActionPlan, FixedOrderAndMissingEntriesSkipTheirStep) {
  uint16_t all = action::kSoundFile | action::kStackSound | action::kNba | action::kAnimation |
                 action::kMovie | action::kScript | action::kVideodisc | action::kGo;
  auto steps = PlanActions(all, 1,
                           Holding({action::kEntrySoundFile, action::kEntryStackSound,
                                    action::kEntryNba, action::kEntryAnimation, action::kEntryMovie,
                                    action::kEntryScript, action::kEntryVideodisc}));
  EXPECT_EQ(steps,
            (std::vector<S>{S::kAnswerMark, S::kStackSound, S::kSoundFile, S::kMovie, S::kAnimation,
                            S::kVideodisc, S::kNba, S::kScript, S::kGoToCard}));
  // Flags without their entries do nothing; an unknown answer mark is ignored.
  EXPECT_TRUE(PlanActions(action::kSoundFile | action::kScript, 4, Holding({})).empty());
}

TEST(ActionPlan, GoingSomewhereWinsOverLaunching) {
  auto launch_entry = Holding({action::kEntryLaunch, action::kEntryOtherStack});
  EXPECT_EQ(PlanActions(action::kGo | action::kLaunch, 0, launch_entry),
            std::vector<S>{S::kOtherStack});
  EXPECT_EQ(PlanActions(action::kLaunch, 0, launch_entry), std::vector<S>{S::kLaunch});
  EXPECT_EQ(PlanActions(action::kGo, 0, Holding({})), std::vector<S>{S::kGoToCard});
}

class ActionEntries : public testing::CardFixture {
 protected:
  // An ActionRecord with one entry of `kind` whose first data word is `marker`.
  RecordBytes RecordWith(uint16_t id, uint16_t kind, uint16_t marker) {
    RecordBytes r = NewObject(object::kButton, id, {0, 0, 10, 10}, 0, button::kEntries);
    RecordBytes e = NewActionEntry(kind, action::kEntryData + 2);
    Put16(&e[action::kEntryData], marker);
    AppendToRecord(r, e);
    return r;
  }
  uint16_t MarkerAt(EntryRef ref) {
    uint16_t v = Get16(handles.Lock(ref.handle) + ref.offset + action::kEntryData);
    handles.Unlock(ref.handle);
    return v;
  }
};

TEST_F(ActionEntries, ButtonThenBlockThenHyperlink) {
  RecordBytes button = RecordWith(5, action::kEntryScript, 0xB0);
  Handle card = AddCard(1, card::kKindCard, 0, {button});
  AddResource(restype::kActn, 5, RecordWith(5, action::kEntryNba, 0xA0));
  AddResource(restype::kActn, 6, RecordWith(6, action::kEntryScript, 0xA1));

  EntryRef in_button = FindActionEntry(stack, handles, card, 5, action::kEntryScript);
  ASSERT_TRUE(in_button);
  EXPECT_EQ(in_button.handle, card);
  EXPECT_EQ(MarkerAt(in_button), 0xB0);
  // The button has no NBA entry, so the block with the same id supplies it.
  EntryRef in_block = FindActionEntry(stack, handles, card, 5, action::kEntryNba);
  ASSERT_TRUE(in_block);
  EXPECT_EQ(MarkerAt(in_block), 0xA0);
  EXPECT_EQ(MarkerAt(FindActionEntry(stack, handles, card, 6, action::kEntryScript)), 0xA1);
  EXPECT_FALSE(FindActionEntry(stack, handles, card, 6, action::kEntryMovie));
  EXPECT_FALSE(FindActionEntry(stack, handles, card, 0, action::kEntryScript));
}

TEST_F(ActionEntries, HyperlinkRecordAfterTheLinkText) {
  Handle card = AddCard(1, card::kKindCard, 0);
  RecordBytes link(hyperlink::kText + 4, 0);
  Put16(&link[hyperlink::kId], 9);
  Put16(&link[hyperlink::kTextLength], 4);
  Put16(&link[hyperlink::kActive], 1);
  RecordBytes record = RecordWith(9, action::kEntrySoundFile, 0xC0);
  link.insert(link.end(), record.begin(), record.end());
  AddResource(restype::kHlnk, 9, link);
  EXPECT_EQ(MarkerAt(FindActionEntry(stack, handles, card, 9, action::kEntrySoundFile)), 0xC0);
  // A link without an action carries no entries.
  Put16(&link[hyperlink::kActive], 0);
  AddResource(restype::kHlnk, 10, link);
  EXPECT_FALSE(FindActionEntry(stack, handles, card, 10, action::kEntrySoundFile));
}

}  // namespace
}  // namespace corvida
