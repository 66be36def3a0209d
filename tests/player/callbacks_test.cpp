// Callback commands on a loaded stack through the player's dispatcher: the object
// resolver, each group's parameters and results, tokens that are unknown, stale or of
// the wrong kind, and the effects on the shown card.
#include <gtest/gtest.h>

#include "callbacks_fixture.h"
#include "engine/find.h"
#include "logo/interp.h"
#include "player/workspace_store.h"
#include "stackfile/stack.h"

namespace corvida::testing {
namespace {

TEST_F(Callbacks, ResolverTable) {
  struct Case {
    const char* what;
    uint32_t p1, p2;
    const char* name;       // p3
    const char* card_name;  // p4
    uint16_t id;            // 0: not found
  };
  const Case cases[] = {
      {"by name on the current card", 0, 0, "Other", nullptr, 2},
      {"names compare without case, spaces trimmed", 0, 0, "  oTHER ", nullptr, 2},
      {"the shared object comes first in ordinals", 1, 0, nullptr, nullptr, 5},
      {"second button", 2, 0, nullptr, nullptr, 1},
      {"first field", 1, 1, nullptr, nullptr, 3},
      {"first graphic", 1, 2, nullptr, nullptr, 4},
      {"no fourth button", 4, 0, nullptr, nullptr, 0},
      {"by id on any card", 0xFFFF0007, 0, nullptr, nullptr, 7},
      {"by card id and ordinal", (11u << 16) | 2, 0, nullptr, nullptr, 7},
      {"by card name and ordinal", 0xFFFE0001, 1, nullptr, "Three", 8},
      {"ordinal 0 on a named card is by name", 0xFFFE0000, 1, "memo", "Three", 8},
      {"a name on the wrong card", 0xFFFE0000, 1, "Notes", "Three", 0},
      {"an unknown card", 0xFFFE0001, 0, nullptr, "Nowhere", 0},
      {"the wrong kind", 0, 2, "Other", nullptr, 0},
  };
  for (const Case& c : cases) {
    B().Clear();
    B().set_param(1, c.p1);
    B().set_param(2, c.p2);
    if (c.name) B().set_param(3, c.name[0] == ' ' ? Str(c.name) : NulStr(c.name));
    if (c.card_name) B().set_param(4, Str(c.card_name));
    D().Issue(24);
    EXPECT_EQ(AnsweredId(), c.id) << c.what;
    if (!c.id) {
      EXPECT_EQ(P(1) | P(2) | P(3), 0u) << c.what;
    }
  }
}

TEST_F(Callbacks, SelectorsForTheCardAndItsActions) {
  Run(24, {0, 3});
  EXPECT_EQ(D().tokens().Resolve(P(2), TokenKind::kCard),
            uint32_t(window->navigation().current_card()));
  Run(24, {0xFFFF0000, 0, 0});  // by name on any card, with no name given
  EXPECT_EQ(P(1) | P(2) | P(3), 0u);
  Run(93, {(11u << 16) | 1, 0});  // 93 looks on the current card only
  EXPECT_EQ(AnsweredId(), 5);
}

TEST_F(Callbacks, HideAndShowRepaintTheObjectAndKeepTheCallersParameters) {
  // Pixels of button "Other" that differ from the card's blank corner.
  auto inked = [&] {
    const gfx::Bitmap& shown = window->shown();
    const size_t bytes = size_t(std::max(shown.depth() / 8, 1));
    auto pixel = [&](int x, int y) {
      return std::string(reinterpret_cast<const char*>(shown.Row(y)) + size_t(x) * bytes, bytes);
    };
    int n = 0;
    for (int y = 4; y < 20; ++y)
      for (int x = 50; x < 90; ++x) n += pixel(x, y) != pixel(195, 2) ? 1 : 0;
    return n;
  };
  ASSERT_GT(inked(), 0);
  const uint32_t name = Str("Other");
  Run(26, {0, 0, name});
  EXPECT_EQ(P(1), 0u);
  EXPECT_EQ(P(3), name);
  EXPECT_TRUE(FlagsOf(object::kButton, 2) & object::kFlagHidden);
  Settle(400);
  EXPECT_EQ(inked(), 0);
  Run(27, {0, 0, name});
  Settle(400);
  EXPECT_FALSE(FlagsOf(object::kButton, 2) & object::kFlagHidden);
  EXPECT_GT(inked(), 0);
  // Not found: the answer is cleared.
  Run(26, {0, 0, Str("Nobody")});
  EXPECT_EQ(P(1) | P(2) | P(3), 0u);
}

TEST_F(Callbacks, MarkersAreSetAndClearedWithoutTouchingOtherFlags) {
  const uint32_t name = Str("Other");
  Run(26, {0, 0, name});  // hidden first, so clearing the marker must keep it hidden
  Run(28, {0, 0, name});
  EXPECT_TRUE(FlagsOf(object::kButton, 2) & object::kFlagMarker);
  EXPECT_TRUE(FlagsOf(object::kButton, 2) & object::kFlagHidden);
  Run(29, {0, 0, name});
  EXPECT_FALSE(FlagsOf(object::kButton, 2) & object::kFlagMarker);
  EXPECT_TRUE(FlagsOf(object::kButton, 2) & object::kFlagHidden);
}

TEST_F(Callbacks, LockedScreenHoldsRedrawsUntilUnlocked) {
  Run(170);
  EXPECT_TRUE(D().screen_locked());
  Run(26, {0, 0, Str("Other")});
  EXPECT_TRUE(FlagsOf(object::kButton, 2) & object::kFlagHidden);
  Run(171);
  EXPECT_FALSE(D().screen_locked());
}

TEST_F(Callbacks, WalkingCardsAndObjects) {
  Run(14);
  EXPECT_EQ(P(1), 4u);
  Run(20);
  const uint32_t current = P(1);
  EXPECT_EQ(P(2), 2u);
  Run(22, {current});
  const uint32_t first = P(1);
  ASSERT_NE(first, 0u);
  // Four objects: the fourth's follower is the end word, and after that nothing.
  uint32_t at = first;
  for (int i = 0; i < 4; ++i) {
    Run(23, {at, current});
    at = P(1);
  }
  EXPECT_NE(at, 0u);
  Run(23, {at, current});
  EXPECT_EQ(P(1), 0u);
  Run(23, {first + 1, current});  // not where an object starts
  EXPECT_EQ(P(1), 0u);
  Run(35, {current, first});
  EXPECT_EQ(P(1), 1u);  // button 1
  EXPECT_EQ(P(2), 1u);
  Run(21, {current});
  Run(173, {P(1)});
  EXPECT_EQ(P(1), 11u);
  EXPECT_EQ(D().StringAt(P(3)), "Two");
  Run(117, {12});
  Run(118, {5});
  EXPECT_EQ(P(1), 0u);
  Run(75);
  EXPECT_EQ(P(1), 200u);
  EXPECT_EQ(P(2), 100u);
}

TEST_F(Callbacks, TokensAreCheckedForKindAndLife) {
  Run(20);
  const uint32_t card = P(1);
  Run(15, {8});
  const uint32_t memory = P(1);
  ASSERT_NE(memory, 0u);
  Run(111, {memory});
  EXPECT_EQ(P(1), 8u);
  Run(22, {memory});  // memory is not a card
  EXPECT_EQ(P(1), 0u);
  Run(22, {card ^ 0x00100000});  // a token that was never minted
  EXPECT_EQ(P(1), 0u);
  Run(107, {card});  // a card is not the caller's to dispose
  Run(22, {card});
  EXPECT_NE(P(1), 0u);
  EXPECT_TRUE(D().WriteBlock(memory, 4, std::vector<uint8_t>(4, 7)));
  EXPECT_FALSE(D().WriteBlock(memory, 5, std::vector<uint8_t>(4, 7)));  // past its end
  EXPECT_FALSE(D().WriteBlock(card, 0, std::vector<uint8_t>(1, 7)));    // read only
  Run(107, {memory});
  Run(111, {memory});  // stale
  EXPECT_EQ(P(1), 0u);
  EXPECT_TRUE(D().ReadBlock(memory, 8).empty());
  Run(15, {8});
  EXPECT_NE(P(1), memory);  // the slot's next token differs
  Run(15, {uint32_t(CallbackDispatch::kCallerBytesLimit) + 1});
  EXPECT_EQ(P(1), 0u);
}

TEST_F(Callbacks, GoToCardByIdNameAndPackedTransition) {
  Run(5, {0, 0x00080005, Str("Three")});
  Settle(2000);
  EXPECT_EQ(CardId(), 12);
  Run(5, {11, 0x00090005});  // a speed that is not a speed: the player's own transition
  Settle(2000);
  EXPECT_EQ(CardId(), 11);
  Run(4);
  Settle(2000);
  EXPECT_EQ(CardId(), 12);
  Run(4);  // after the last comes the first card
  Settle(2000);
  EXPECT_EQ(CardId(), 9);
}

// Card ids are 16 bits: a number beyond them names no card, not the card of its low half.
TEST_F(Callbacks, CardIdsBeyondSixteenBitsNameNoCard) {
  struct Case {
    uint32_t id;
    uint16_t found;  // 0: none
  } cases[] = {{11, 11}, {0x1000B, 0}, {0xFFFFFFFF, 0}, {0, 0}};
  for (const Case c : cases) {
    Run(117, {c.id});
    auto card = D().tokens().Resolve(P(1), TokenKind::kCard);
    EXPECT_EQ(card ? corvida::CardId(player.handles, Handle(*card)) : 0, c.found) << c.id;
  }
  Run(5, {0x1000B});
  Settle(2000);
  EXPECT_EQ(CardId(), 10) << "command 5 stays";
}

TEST_F(Callbacks, PressingAButtonByNameRunsIt) {
  // Button "Far" of card 11 by id on any card: the current card has no button 7.
  Run(24, {0xFFFF0007, 0});
  EXPECT_EQ(AnsweredId(), 7);
  Run(43, {0, 0, Str("Start")});
  EXPECT_EQ(AnsweredId(), 1);
  Run(71);
  EXPECT_EQ(D().StringAt(P(1)), "Start");
}

TEST_F(Callbacks, FieldTextIsStoredAndSurvivesASave) {
  const uint32_t notes = Str("Notes");
  Run(58, {0, 1, notes});
  EXPECT_EQ(D().ReadBlock(P(1), 100),
            std::vector<uint8_t>({'o', 'l', 'd', ' ', 't', 'e', 'x', 't'}));
  const std::string text = "new words";
  const uint32_t h = D().NewBlock({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  Run(59, {0, h, notes});
  EXPECT_TRUE(D().card_changed());
  EXPECT_TRUE(D().ReadBlock(h, 10).empty());  // the handle was consumed
  Run(58, {0, 1, notes});
  auto got = D().ReadBlock(P(1), 100);
  EXPECT_EQ(std::string(got.begin(), got.end()), "new words");
  // A field on another card, by card name.
  const std::string memo = "memo text";
  const uint32_t m = D().NewBlock({reinterpret_cast<const uint8_t*>(memo.data()), memo.size()});
  Run(59, {0xFFFE0000, m, Str("Memo"), Str("Three")});

  const std::string copy = tp.root.File("copy.stk");
  ASSERT_TRUE(player.stack.Save(copy).saved());
  Handles handles;
  Stack reopened(handles);
  ASSERT_TRUE(reopened.Open(copy).opened());
  auto field_text = [&](uint16_t card, uint16_t id) {
    return StoredFieldText(handles, FindObjectById(reopened, handles, reopened.CardById(card),
                                                   object::kTextField, id));
  };
  EXPECT_EQ(field_text(10, 3), "new words");
  EXPECT_EQ(field_text(12, 8), "memo text");
}

TEST_F(Callbacks, PreferencesRefuseModuleSections) {
  Run(125, {Str("Corvida"), Str("Colour"), Str("blue")});
  const uint32_t out = D().NewBlock(std::vector<uint8_t>(64));
  Run(124, {Str("Corvida"), Str("Colour"), out});
  EXPECT_EQ(D().StringAt(out), "blue");
  Run(125, {Str("NBAIDs"), Str("1"), Str("evil.dll")});
  Run(125, {Str("extraids"), Str("1"), Str("evil.dll")});
  Run(124, {Str("NBAIDs"), Str("1"), out});
  EXPECT_EQ(D().StringAt(out), "Bad");
}

TEST_F(Callbacks, NumbersWithoutHandlersChangeNothing) {
  for (int16_t n : {0, 8, 57, 66, 181, 999, -5, -32768}) {
    B().Clear();
    B().set_param(1, 11);
    B().set_param(7, 3);
    const CallbackBlock before = B();
    B().set_command(n);
    D().Dispatch();
    EXPECT_TRUE(
        std::equal(before.bytes().begin() + 48, before.bytes().end(), B().bytes().begin() + 48))
        << n;
  }
  Settle(500);
  EXPECT_EQ(CardId(), 10);
}

TEST_F(Callbacks, NestingSharesTheExecutorsLimit) {
  window->executor().nesting() = ActionExecutor::kDepthLimit;
  Run(14);
  EXPECT_EQ(P(1), 0u);
  window->executor().nesting() = 0;
  Run(14);
  EXPECT_EQ(P(1), 4u);
}

TEST_F(Callbacks, TransitionsByNameAndId) {
  Run(148, {Str("dissolve"), 0});
  const int32_t id = B().signed_param(1);
  EXPECT_GT(id, 0);
  Run(148, {Str("no such thing"), 0});
  EXPECT_EQ(B().signed_param(1), -1);
  Run(15, {0});
  const uint32_t h = P(1);
  Run(148, {uint32_t(id), 1, h});
  EXPECT_EQ(D().StringAt(h), "Dissolve");
}

TEST_F(Callbacks, TraceLinesNameTheNonZeroParameters) {
  B().Clear();
  B().set_command(26);
  B().set_param(2, 2);
  B().set_param(5, uint32_t(-1));
  EXPECT_EQ(CallbackTraceLine(B()), "callback 26 p2=2 p5=-1");
}

}  // namespace
}  // namespace corvida::testing

namespace corvida::testing {
namespace {

TEST_F(Callbacks, ScriptsReachTheCardThroughTheBridge) {
  logo::Interpreter& in = PlayerInterpreter(player);
  in.RunScript("hideitem [] \"Cat \"graphic\nsetfieldtext [] \"Notes [from a script]");
  EXPECT_TRUE(FlagsOf(object::kGraphic, 4) & object::kFlagHidden);
  std::string said;
  in.hooks().write = [&](std::string_view s) { said += s; };
  in.RunScript("print getfieldtext [] \"Notes\nprint visiblep [] \"Cat 2");
  EXPECT_EQ(said, "from a script\nFALSE\n");
  // ME is the button whose script runs: the last one pressed.
  window->executor().RunButton(1);
  in.RunScript("hideitem \" \"me \"button");
  EXPECT_TRUE(FlagsOf(object::kButton, 1) & object::kFlagHidden);
  in.RunScript("dobutton [] \"Other\nmovetocard \"Three");
  Settle(2000);
  EXPECT_EQ(CardId(), 12);
}

}  // namespace
}  // namespace corvida::testing
