// Card changes through the player window: position moves with wrap, the Back history,
// the marked card, Jump To Card, missing cards and moves queued during a change.
#include "engine/navigation.h"

#include <algorithm>

#include "player_fixture.h"

namespace corvida {
namespace {

using testing::PlayerFixture;

class Navigate : public PlayerFixture {};

TEST_F(Navigate, StartsOnTheFirstCardWithTheNumberedTitle) {
  Start();
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Title(), "five.stk - Card 1");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "card 1 id 10 \"One\"");
  // The window shows the card.
  const auto* frame = tp.platform->headless_windows().LastFrame(id);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->width, 64);
  EXPECT_EQ(frame->height, 48);
}

TEST_F(Navigate, NextAndPreviousWrapAndCommandsMove) {
  Start();
  Command(203);  // previous from the first card: the last
  Settle();
  EXPECT_EQ(CardId(), 14);
  EXPECT_EQ(Title(), "five.stk - Card 5");
  Command(204);  // next from the last card: the first
  Settle();
  EXPECT_EQ(CardId(), 10);
  Command(205);
  Settle();
  EXPECT_EQ(CardId(), 14);
  Command(202);
  Settle();
  EXPECT_EQ(CardId(), 10);
  // Ctrl+> is the next-card shortcut.
  Post(msg::kKeyDown, vk::kControl);
  Post(msg::kKeyDown, 0xBE);
  Post(msg::kKeyUp, vk::kControl);
  Settle();
  EXPECT_EQ(CardId(), 11);
}

TEST_F(Navigate, BackAfterTwentyMovesEndsOnTheOldestEntry) {
  Start();
  auto& nav = window->navigation();
  for (int i = 0; i < 20; ++i) nav.GoNextCard();
  EXPECT_EQ(nav.history().size(), 16u);
  // 20 moves from card 10 end on 10; the history holds the cards left, the oldest being
  // the one left by the fifth move (card 14).
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(nav.history().back().card_id, 14);
  for (int i = 0; i < 20; ++i) nav.GoBack();
  EXPECT_EQ(CardId(), 14);
  EXPECT_EQ(nav.history().size(), 1u);
  nav.GoBack();
  EXPECT_EQ(CardId(), 14);
}

TEST_F(Navigate, TheSameCardIsPushedOnce) {
  Start();
  auto& nav = window->navigation();
  nav.GoToCard(11, 3, 8, true);
  nav.GoToCard(11, 3, 8, true);
  nav.GoToCard(11, 3, 8, true);
  ASSERT_EQ(nav.history().size(), 2u);
  EXPECT_EQ(nav.history()[0].card_id, 11);
  EXPECT_EQ(nav.history()[1].card_id, 10);
}

TEST_F(Navigate, MissingCardAlertsAndShowsTheCurrentCardAgain) {
  Start();
  window->navigation().GoToCard(99, 3, 8, true);
  EXPECT_EQ(Alerts(), std::vector<int>{2223});
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(log.back(), "card 1 id 10 \"One\"");
}

TEST_F(Navigate, MarkedCardIsKnownOnceLeft) {
  Start();
  auto& nav = window->navigation();
  nav.GoMarkedCard();
  EXPECT_EQ(Alerts(), std::vector<int>{2242});
  nav.GoToCard(12, 3, 8, true);
  nav.GoToCard(14, 3, 8, true);
  EXPECT_EQ(nav.marked_id(), 12);
  nav.GoMarkedCard();
  EXPECT_EQ(CardId(), 12);
  nav.GoHome();  // home is the first card of the first stack
  EXPECT_EQ(CardId(), 10);
}

TEST_F(Navigate, JumpToCardByNumberNameAndBlanks) {
  Start();
  auto& nav = window->navigation();
  EXPECT_EQ(nav.JumpTarget("3"), 12);
  EXPECT_EQ(nav.JumpTarget("fOUR"), 13);
  EXPECT_TRUE(Alerts().empty());
  EXPECT_EQ(nav.JumpTarget(""), 0);  // no alert for an empty text
  EXPECT_TRUE(Alerts().empty());
  EXPECT_EQ(nav.JumpTarget("   "), 0);
  EXPECT_EQ(nav.JumpTarget("6"), 0);
  EXPECT_EQ(nav.JumpTarget("0"), 0);
  EXPECT_EQ(nav.JumpTarget("99999999999999999999"), 0);  // saturates, no overflow
  EXPECT_EQ(nav.JumpTarget("Fo"), 0);                    // names need equal lengths
  EXPECT_EQ(Alerts(), (std::vector<int>{2223, 2223, 2223, 2223, 2223}));
  // Through the command, with the host's dialog answering.
  struct AnswersFive : UnansweredQuestions {
    std::optional<std::string> AskJumpText(int count) override {
      EXPECT_EQ(count, 5);
      return "five";
    }
  } answers;
  window->set_questions(&answers);
  Command(206);
  Settle();
  EXPECT_EQ(CardId(), 14);
  EXPECT_EQ(nav.history().front().card_id, 10);
}

TEST_F(Navigate, AButtonGoesToItsDestination) {
  Start();
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(10, 10));
  Post(msg::kLButtonUp, 0, MakePointParam(10, 10));
  Settle();
  EXPECT_EQ(CardId(), 11);
  // A press released outside the button does nothing.
  window->navigation().GoFirstCard();
  Post(msg::kLButtonDown, mk::kLButton, MakePointParam(10, 10));
  Post(msg::kLButtonUp, 0, MakePointParam(50, 40));
  Settle();
  EXPECT_EQ(CardId(), 10);
}

TEST_F(Navigate, MovesAskedForDuringAChangeRunAfterIt) {
  Start();
  auto& nav = window->navigation();
  // An arrive action that moves on: here a move asked for while the change runs.
  struct MovesOnArrival : PlayerLog {
    explicit MovesOnArrival(Navigation& nav) : nav(nav) {}
    void Write(const std::string& line) override {
      if (asked || line.rfind("card 2 ", 0) != 0) return;
      asked = true;
      nav.GoToCard(13, 3, 8, false);
      nav.GoToCard(14, 3, 8, false);  // the latest request wins
      EXPECT_EQ(nav.target_id(), 11);
    }
    Navigation& nav;
    bool asked = false;
  } moves(nav);
  window->set_log(&moves);
  nav.GoNextCard();
  EXPECT_EQ(CardId(), 11);
  Settle();  // the queued move runs from the message loop
  EXPECT_EQ(CardId(), 14);
}

TEST_F(Navigate, MovesIntoAnotherStackAndBackAgain) {
  Start();
  std::string other = testing::BuildStack(tp.root, R"({"stack": {"width": 64, "height": 48},
      "cards": [{"id": 1, "kind": "shared", "name": "A"}, {"id": 2, "kind": "shared", "name": "B"}]})",
                                          "other.stk");
  auto& nav = window->navigation();
  nav.GoToStackCard(other, 2, 3, 8, true);
  EXPECT_EQ(CardId(), 2);
  EXPECT_EQ(Title(), "other.stk");
  nav.GoBack();
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Title(), "five.stk - Card 1");
  // A stack that cannot be read leaves the one that was showing.
  tp.root.Write("broken.stk", "not a stack");
  nav.GoToStackCard(tp.root.File("broken.stk"), 1, 3, 8, true);
  EXPECT_EQ(CardId(), 10);
  EXPECT_EQ(Title(), "five.stk - Card 1");
  EXPECT_FALSE(Alerts().empty());
}

TEST_F(Navigate, CardChangesRunTheirTransitionOnTheWindow) {
  Start();
  uint32_t before = tp.platform->clock().Milliseconds();
  window->navigation().GoToCard(12, 19, 8, true);  // a paced effect
  EXPECT_GT(tp.platform->clock().Milliseconds(), before);
  // The window ends showing the new card, in the card's palette.
  gfx::Bitmap card;
  window->view().Compose(card);
  const gfx::Bitmap& shown = window->shown();
  ASSERT_EQ(shown.size(), card.size());
  for (int y = 0; y < card.height(); y += 7)
    for (int x = 0; x < card.width(); x += 7)
      EXPECT_EQ(shown.ColorAt(x, y), card.ColorAt(x, y, &window->view().palette()));
}

// Showing the card again (a script's redraw, the screen unlocked) is no arrival: the
// card's automatic timers count on rather than starting over.
TEST_F(Navigate, ShowingTheCardAgainLeavesItsTimersCounting) {
  struct Case {
    int mode, count;
    std::vector<int> fired;  // runs seen after each of four timer ticks
  };
  const Case cases[] = {
      {1, 0, {1, 1, 1, 1}},  // once, at the first tick: never again
      {1, 2, {0, 1, 1, 1}},  // once, at the second tick: not put off
      {2, 1, {1, 2, 3, 4}},  // at every tick
  };
  for (const Case& c : cases) {
    log.clear();
    Start(R"({"stack": {"width": 64, "height": 48},
      "cards": [{"id": 10, "name": "One", "objects": [
        {"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "T",
         "timerMode": )" +
          std::to_string(c.mode) + R"(, "timerCount": )" + std::to_string(c.count) + R"(}]}]})");
    std::vector<int> fired;
    for (int tick = 0; tick < 4; ++tick) {
      Settle(1100);  // a timer tick is 61 ticks of 17 ms
      fired.push_back(int(std::count(log.begin(), log.end(), "button 1 \"T\"")));
      window->navigation().RedisplayCard();
    }
    EXPECT_EQ(fired, c.fired) << "mode " << c.mode << " count " << c.count;
  }
}

}  // namespace
}  // namespace corvida
