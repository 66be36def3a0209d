// Hyperlinks: which link a click or a selection in a field finds, and running it.
#include "engine/hyperlink.h"

#include <gtest/gtest.h>

#include "stackfile/actions.h"
#include "tests/engine/card_fixture.h"

namespace corvida {
namespace {

// An 'Hlnk' in native layout: id, field id, A bytes, text, and an ActionRecord when active.
std::vector<uint8_t> Link(uint16_t id, uint16_t field_id, const std::string& text,
                          bool active = true, size_t extra = 2) {
  std::vector<uint8_t> h(hyperlink::kText + text.size() + extra, 0);
  Put16(h.data() + hyperlink::kId, id);
  Put16(h.data() + hyperlink::kFieldId, field_id);
  Put16(h.data() + hyperlink::kExtraLength, static_cast<uint16_t>(extra));
  Put16(h.data() + hyperlink::kTextLength, static_cast<uint16_t>(text.size()));
  Put16(h.data() + hyperlink::kActive, active ? 1 : 0);
  std::copy(text.begin(), text.end(), h.begin() + hyperlink::kText);
  if (active) {
    RecordBytes button = NewObject(object::kButton, id, {0, 0, 1, 1}, 0, kButtonRecordSize);
    h.insert(h.end(), button.begin(), button.end());
  }
  return h;
}

class Hyperlinks : public testing::CardFixture {
 protected:
  std::optional<HyperlinkMatch> Locked(uint16_t field, const std::string& text, size_t at) {
    LinkPosition p;
    p.locked = true;
    p.position = at;
    return MatchHyperlink(stack.resources(), handles, field, text, p);
  }
  std::optional<HyperlinkMatch> Unlocked(uint16_t field, const std::string& text, size_t a,
                                         size_t b) {
    LinkPosition p;
    p.start = a;
    p.end = b;
    return MatchHyperlink(stack.resources(), handles, field, text, p);
  }
};

TEST_F(Hyperlinks, FieldLinksComeBeforeLinksForEveryField) {
  AddResource(restype::kHlnk, 100, Link(100, 0, "cat"));
  AddResource(restype::kHlnk, 101, Link(101, 3, "cat"));
  const std::string text = "the cat sat";
  EXPECT_EQ(Locked(3, text, 5), (HyperlinkMatch{101, 4, 7}));
  EXPECT_EQ(Locked(4, text, 5), (HyperlinkMatch{100, 4, 7}));
  EXPECT_EQ(Locked(0, text, 5), (HyperlinkMatch{100, 4, 7}));
}

TEST_F(Hyperlinks, LockedFieldsNeedThePositionStrictlyInsideTheLink) {
  AddResource(restype::kHlnk, 100, Link(100, 0, "cat"));
  const std::string text = "cat and the cat";
  EXPECT_FALSE(Locked(1, text, 0));  // the first character of a link does not run it
  EXPECT_TRUE(Locked(1, text, 1));
  EXPECT_TRUE(Locked(1, text, 2));
  EXPECT_FALSE(Locked(1, text, 3));
  EXPECT_EQ(Locked(1, text, 14), (HyperlinkMatch{100, 12, 15}));
}

TEST_F(Hyperlinks, UnlockedFieldsNeedTheSelectionWithinTheLink) {
  AddResource(restype::kHlnk, 100, Link(100, 0, "black cat"));
  const std::string text = "a black cat";
  EXPECT_EQ(Unlocked(1, text, 2, 11), (HyperlinkMatch{100, 2, 11}));
  EXPECT_TRUE(Unlocked(1, text, 4, 4));    // an insertion point inside
  EXPECT_TRUE(Unlocked(1, text, 2, 2));    // and at its ends
  EXPECT_FALSE(Unlocked(1, text, 1, 5));   // starts before it
  EXPECT_FALSE(Unlocked(1, text, 8, 12));  // past the text's end
}

TEST_F(Hyperlinks, InactiveEmptyAndTooLongLinksNeverMatch) {
  AddResource(restype::kHlnk, 100, Link(100, 0, "dog", false));
  AddResource(restype::kHlnk, 101, Link(101, 0, ""));
  AddResource(restype::kHlnk, 102, Link(102, 0, "a very long link text"));
  EXPECT_FALSE(Locked(1, "dog", 1));
  EXPECT_FALSE(Locked(1, "xy", 1));
  EXPECT_FALSE(Unlocked(1, "a", 0, 1));
  // A damaged block whose text runs past its data is passed over.
  std::vector<uint8_t> bad = Link(103, 0, "dog");
  Put16(bad.data() + hyperlink::kTextLength, 4000);
  AddResource(restype::kHlnk, 103, bad);
  AddResource(restype::kHlnk, 104, Link(104, 0, "dog"));
  EXPECT_EQ(Locked(1, "dog", 1), (HyperlinkMatch{104, 0, 3}));
}

struct RecordingActions : HyperlinkActions {
  void ExecuteActions(Handle record, uint32_t offset, const std::string& name,
                      MediaWait wait) override {
    calls.push_back({record, offset, name, wait});
  }
  struct Call {
    Handle record;
    uint32_t offset;
    std::string name;
    MediaWait wait;
  };
  std::vector<Call> calls;
};

TEST_F(Hyperlinks, RunningALinkHandsItsActionsToTheExecutor) {
  std::string long_text(40, 'x');
  long_text[0] = '\x8E';  // Mac Roman e acute
  AddResource(restype::kHlnk, 100, Link(100, 0, long_text, true, 6));
  AddResource(restype::kHlnk, 101, Link(101, 0, "off", false));
  RecordingActions actions;
  HyperlinkState state;
  const MediaWait wait = MediaWait::kUntilFinished;
  EXPECT_FALSE(RunHyperlink(stack.resources(), handles, 100, wait, false, state, actions));
  EXPECT_FALSE(RunHyperlink(stack.resources(), handles, 101, wait, true, state, actions));
  EXPECT_TRUE(RunHyperlink(stack.resources(), handles, 100, wait, true, state, actions));
  ASSERT_EQ(actions.calls.size(), 1u);
  EXPECT_EQ(actions.calls[0].offset, hyperlink::kText + 40 + 6);
  EXPECT_EQ(actions.calls[0].name.size(), 40u);
  EXPECT_EQ(actions.calls[0].name[0], '\xE9');
  EXPECT_EQ(actions.calls[0].wait, wait);
  EXPECT_EQ(state.last_text.size(), kLastLinkTextSize);
}

TEST_F(Hyperlinks, FindHyperlinkUsesTheClickInLockedFieldsAndTheSelectionOtherwise) {
  AddResource(restype::kHlnk, 100, Link(100, 0, "cat"));
  DisplayItem item;
  item.type = object::kTextField;
  item.id = 7;
  item.rect = {0, 0, 200, 40};
  auto field = std::make_unique<FieldText>(nullptr, FieldViewRect(item.rect));
  FieldText& f = *field;
  item.field.text = std::move(field);
  f.text.SetText("the cat");
  const int c = MakeBuiltinFont(kDefaultFontSize, 0)->Advance('a');

  f.field_flags = fieldflag::kLocked;
  EXPECT_EQ(FindHyperlink(stack.resources(), handles, item, {3 + 5 * c + 1, 5}),
            (HyperlinkMatch{100, 4, 7}));
  EXPECT_FALSE(FindHyperlink(stack.resources(), handles, item, {3 + 4 * c + 1, 5}));  // "c"
  EXPECT_FALSE(FindHyperlink(stack.resources(), handles, item, {1, 5}));  // outside the view

  f.field_flags = 0;
  f.text.SetSelection(5, 6);
  EXPECT_TRUE(FindHyperlink(stack.resources(), handles, item, {0, 0}));
  f.text.SetSelection(0, 6);
  EXPECT_FALSE(FindHyperlink(stack.resources(), handles, item, {0, 0}));
}

}  // namespace
}  // namespace corvida
