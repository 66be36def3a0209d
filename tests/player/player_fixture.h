// A player on the headless backend with a window, over a stack made by `corvida build`.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "player/player_window.h"
#include "support/test_support.h"

namespace corvida::testing {

// Five cards "One".."Five" with ids 10..14 on one background; card 12 is marked, the
// title shows card numbers, card 10 has a button going to the next card.
inline const char* kFiveCards = R"({
  "stack": {"width": 64, "height": 48, "depth": 8, "cardNumberInTitle": 1},
  "cards": [
    {"id": 10, "kind": "shared", "name": "One",
     "objects": [{"type": "button", "id": 1, "rect": [4, 4, 30, 20], "name": "Go",
                  "destination": -1, "transition": 3, "speed": 8}]},
    {"id": 11, "kind": "shared", "name": "Two"},
    {"id": 12, "kind": "shared", "name": "Three", "marked": true},
    {"id": 13, "kind": "shared", "name": "Four"},
    {"id": 14, "kind": "shared", "name": "Five"}
  ]
})";

// Builds a stack from a description into `dir`; the stack's path.
inline std::string BuildStack(const TempDir& dir, const std::string& description,
                              const std::string& name = "five.stk") {
  dir.Write(name + ".json", description);
  auto r = RunCorvida({"build", dir.File(name + ".json"), "-o", dir.File(name)});
  EXPECT_EQ(r.status, 0) << r.err;
  return dir.File(name);
}

class PlayerFixture : public ::testing::Test, public PlayerLog {
 protected:
  void Write(const std::string& line) override { log.push_back(line); }
  void Start(const std::string& description = kFiveCards) {
    Open(BuildStack(tp.root, description));
  }
  // Opens the stack at stack_path in a window and shows its first card.
  void Open(const std::string& stack_path) {
    path = stack_path;
    window = std::make_unique<PlayerWindow>(player);
    window->set_log(this);
    ASSERT_EQ(window->OpenStack(path), 0);
    id = tp.platform->windows().CreateWindow("test", window->CardSize());
    ASSERT_TRUE(window->Attach(id));
    window->ShowFirstCard();
  }
  uint16_t CardId() { return window->navigation().target_id(); }
  std::string Title() { return tp.platform->headless_windows().Title(id); }
  void Post(uint32_t message, uint64_t w = 0, int64_t l = 0) {
    tp.platform->windows().PostMessage({id, message, w, l, 0});
  }
  void Command(int command) { Post(msg::kCommand, uint64_t(command)); }
  void Settle(uint32_t ms = 10) { window->Pump(ms); }
  std::vector<int> Alerts() {
    std::vector<int> ids;
    for (auto& a : tp.platform->responder().shown()) ids.push_back(a.id);
    return ids;
  }

  TestPlatform tp;
  Player player{*tp.platform};
  std::unique_ptr<PlayerWindow> window;
  std::string path;
  WindowId id = 0;
  std::vector<std::string> log;
};

}  // namespace corvida::testing
