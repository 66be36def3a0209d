// Text input on the shown card without a window: typed text kept when the card is left,
// and Find Text asking, moving to the match and selecting it, finding again, failing.
#include "engine/field_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/strings.h"
#include "engine/fieldtext_store.h"
#include "stackfile/actions.h"
#include "stackfile/fileslots.h"
#include "support/test_support.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

RecordBytes TextField(uint16_t id, const std::string& text) {
  RecordBytes f = testing::FieldRecord(id, {10, 10, 110, 50});
  AppendToRecord(f, FieldTextBlocks(text, {}));
  return f;
}

// A stack of three cards on disk, played by a navigation whose card changes and field
// input report here.
class FieldInputTest : public testing::CardFixture, public NavigationHost, public FieldInputHost {
 protected:
  void SetUp() override {
    AddCard(10, card::kKindCard, 0, {TextField(1, "first card")});
    AddCard(11, card::kKindCard, 0, {TextField(2, "nothing here")});
    AddCard(12, card::kKindCard, 0, {TextField(3, "the needle")});
    const std::string path = tp.root.File("fields.stk");
    ASSERT_TRUE(stack.Save(path).saved());
    ASSERT_EQ(nav.OpenStack(path), 0);
    nav.ArriveInNewStack(false, false);
  }
  DisplayItem* Field(uint16_t id) { return nav.view().display_list().Find(object::kTextField, id); }
  std::string Stored(uint16_t card_id, uint16_t field_id) {
    return StoredFieldText(handles, FindObjectById(stack, handles, stack.CardById(card_id),
                                                   object::kTextField, field_id));
  }

  // NavigationHost
  void ShowCard(Handle card, int, int, bool) override {
    if (card && nav.view().ShowCard(card, 0, 0, true, nullptr)) input.ActivateAfterShow();
  }
  void LeaveCard() override { input.Leave(); }
  void RunCardAction(uint16_t, int) override {}
  void SetTitle(const std::string&) override {}
  int Alert(int id) override {
    alerts_shown.push_back(id);
    return 1;
  }
  int OpenStackFile(const std::string& path) override { return stack.Open(path).code; }
  void Arrived(Handle, uint16_t) override {}
  bool SchedulePendingMove() override { return false; }
  // FieldInputHost
  void RepaintField(const Rect&) override { ++repaints; }
  void PauseForFlash(uint32_t ms) override { flashed.push_back(ms); }
  void ResumeHeldInput() override {}
  bool Closing() override { return false; }
  void Log(const std::string& line) override { log.push_back(line); }
  bool AskFind(FindState& state) override {
    ++asked;
    if (!find_answer) return false;
    state.text = *find_answer;
    return true;
  }

  testing::TestPlatform tp;
  VirtualClock clock;
  HeadlessWindowSystem windows{clock};
  FileSlots files{handles, tp.platform->folders()};
  Navigation nav{stack, handles, files, *this};
  FieldInput input{stack, handles, windows, clock, nav, *this};
  std::optional<std::string> find_answer;
  int asked = 0;
  int repaints = 0;
  std::vector<int> alerts_shown;
  std::vector<std::string> log;
  std::vector<uint32_t> flashed;  // the pauses of a link's flashing
};

TEST_F(FieldInputTest, TypedTextIsStoredWhenTheCardIsLeft) {
  DisplayItem* field = Field(1);
  ASSERT_NE(field, nullptr);
  Message press{0, msg::kLButtonDown, mk::kLButton, 0, 0};
  EXPECT_TRUE(input.Press(*field, {11, 12}, press));  // the insertion point before "first"
  // A plain click ends the press; with no link under it the release is not the field's.
  EXPECT_FALSE(input.Release({11, 12}, false));
  EXPECT_FALSE(input.tracker().tracking());
  for (char c : std::string("my ")) input.Char(uint8_t(c));
  EXPECT_GT(repaints, 0);
  EXPECT_EQ(Stored(10, 1), "first card");  // the record changes only when the card is left
  nav.GoNextCard();
  EXPECT_EQ(nav.target_id(), 11);
  EXPECT_EQ(Stored(10, 1), "my first card");
  EXPECT_FALSE(input.tracker().tracking());
}

TEST_F(FieldInputTest, FindGoesToTheMatchSelectsItAndFindsAgainWithoutAsking) {
  find_answer = "NEEDLE";
  input.Find(false);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(nav.target_id(), 12);
  EXPECT_EQ(log, (std::vector<std::string>{"dialog FIND_TEXT \"NEEDLE\"", "found field 3 at 4"}));
  DisplayItem* field = Field(3);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(input.tracker().Active(nav.view().display_list()), field);
  const TextObject& text = FieldTextOf(*field)->text;
  EXPECT_EQ(text.selection_start(), 4u);
  EXPECT_EQ(text.selection_end(), 10u);
  // Again: no question, and wrap around comes back to the only match.
  input.Find(true);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(nav.target_id(), 12);
  EXPECT_EQ(log.back(), "found field 3 at 4");
}

TEST_F(FieldInputTest, NoMatchAlertsAndACancelledQuestionSearchesNothing) {
  input.Find(false);
  EXPECT_EQ(log, std::vector<std::string>{"dialog FIND_TEXT cancelled"});
  // Find again with no text yet still asks.
  input.Find(true);
  EXPECT_EQ(asked, 2);
  find_answer = "absent";
  input.Find(false);
  EXPECT_EQ(alerts_shown, std::vector<int>{strid::kNoMatchFound});
  EXPECT_EQ(nav.target_id(), 10);
}

// A clicked link flashes: selected, plain, selected, plain, 300 ms between the changes,
// and its actions run as soon as it is plain again.
TEST_F(FieldInputTest, AClickedLinkFlashesThreeTimesThenRuns) {
  std::vector<uint8_t> link(hyperlink::kText + 6 + 2, 0);
  Put16(link.data() + hyperlink::kId, 40);
  Put16(link.data() + hyperlink::kExtraLength, 2);
  Put16(link.data() + hyperlink::kTextLength, 6);
  Put16(link.data() + hyperlink::kActive, 1);
  std::copy_n("needle", 6, link.begin() + hyperlink::kText);
  RecordBytes action = NewObject(object::kButton, 40, {0, 0, 1, 1}, 0, kButtonRecordSize);
  link.insert(link.end(), action.begin(), action.end());
  AddResource(restype::kHlnk, 40, link);
  const std::string path = tp.root.File("links.stk");
  ASSERT_TRUE(stack.Save(path).saved());
  ASSERT_EQ(nav.OpenStack(path), 0);
  nav.ArriveInNewStack(false, false);
  nav.GoLastCard();
  struct Runs : HyperlinkActions {
    void ExecuteActions(Handle, uint32_t, const std::string& name, MediaWait) override {
      names.push_back(name);
    }
    std::vector<std::string> names;
  } runs;
  input.set_link_actions(&runs);
  DisplayItem* field = Field(3);
  ASSERT_NE(field, nullptr);
  FieldTextOf(*field)->text.SetSelection(6, 6);  // the insertion point inside "needle"
  EXPECT_TRUE(input.Release({20, 20}, false));
  EXPECT_EQ(flashed, (std::vector<uint32_t>{300, 300, 300}));
  EXPECT_EQ(runs.names, std::vector<std::string>{"needle"});
}

// The insertion point of the active field shows only while the window has the keyboard
// focus, and comes back at once with it.
TEST_F(FieldInputTest, TheInsertionPointShowsOnlyWithTheKeyboardFocus) {
  DisplayItem* field = Field(1);
  ASSERT_NE(field, nullptr);
  const TextObject& text = FieldTextOf(*field)->text;
  EXPECT_TRUE(text.caret_visible());
  input.Focus(false);
  for (int tick = 0; tick < 8; ++tick) {
    clock.Advance(kCaretBlinkTicks * 17 / 2);
    input.Tick({0, 0});
    EXPECT_FALSE(text.caret_visible()) << tick;
  }
  input.Focus(true);
  EXPECT_TRUE(text.caret_visible());
}

}  // namespace
}  // namespace corvida
