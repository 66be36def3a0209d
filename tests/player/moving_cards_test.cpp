// Cards whose arrive actions send each other on for ever: the window's message loop
// goes on between the moves, the clock runs, keys reach the player and the window closes.
#include <algorithm>

#include "player_fixture.h"

namespace corvida {
namespace {

using testing::PlayerFixture;

const char* kPingPong = R"({
  "stack": {"width": 64, "height": 48, "depth": 8},
  "cards": [
    {"id": 10, "name": "Ping", "actions": {"arrive": 40}},
    {"id": 11, "name": "Pong", "actions": {"arrive": 41}},
    {"id": 12, "name": "Rest"}
  ],
  "resources": [
    {"type": "Actn", "id": 40, "button": {"destination": 11}},
    {"type": "Actn", "id": 41, "button": {"destination": 10}}
  ]
})";

class MovingCards : public PlayerFixture {
 protected:
  size_t CardLines() const {
    return size_t(std::count_if(log.begin(), log.end(),
                                [](const std::string& l) { return l.rfind("card ", 0) == 0; }));
  }
  void Key(uint32_t key) {
    Post(msg::kKeyDown, key);
    Post(msg::kKeyUp, key);
  }
};

TEST_F(MovingCards, EachFurtherMoveWaitsATickOnTheClock) {
  Start(kPingPong);
  const uint32_t start = tp.platform->clock().Milliseconds();
  Settle(1000);  // returns: the moves do not keep the queue full
  EXPECT_GE(tp.platform->clock().Milliseconds() - start, 1000u);
  EXPECT_GT(CardLines(), 40u);
  EXPECT_LT(CardLines(), 80u);
  EXPECT_TRUE(window->navigation().move_waiting());
}

TEST_F(MovingCards, KeysStillMoveAndTheWindowStillCloses) {
  Start(kPingPong);
  Settle(100);
  // Ctrl+9 goes to the last card, and the user's move replaces the waiting one.
  Post(msg::kKeyDown, vk::kControl);
  Key('9');
  Post(msg::kKeyUp, vk::kControl);
  Settle(100);
  EXPECT_EQ(CardId(), 12);
  const size_t lines = CardLines();
  Settle(500);
  EXPECT_EQ(CardLines(), lines);
  EXPECT_FALSE(window->navigation().move_waiting());
  // Moving again, and closed while moving.
  window->navigation().GoFirstCard();
  Settle(100);
  EXPECT_GT(CardLines(), lines + 3);
  Post(msg::kClose);
  window->RunUntilClosed();
  EXPECT_TRUE(window->closed());
}

}  // namespace
}  // namespace corvida
