// The demo stack's last cards, as a new user meets them: the 3-D turtle draws a box in
// perspective and again in red and cyan, each of the 23 stack pointers shows over its
// button (the field's pencil, the card's cross hair elsewhere), and the counter module
// answers a script that calls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "player_fixture.h"

namespace corvida {
namespace {

class DemoStack : public testing::PlayerFixture {
 protected:
  void OpenDemo(bool with_module) {
    if (with_module) {
      const std::string nbas = tp.platform->folders().data + "/NBAs";
      std::filesystem::create_directories(nbas);
      std::filesystem::copy_file(testing::ExampleNbasFolder() + "/COUNTER.NBA",
                                 nbas + "/COUNTER.NBA");
    }
    const std::string demo = tp.root.File("demo.stk");
    auto r =
        testing::RunCorvida({"build", testing::SourcePath("examples/demo/demo.json"), "-o", demo});
    ASSERT_EQ(r.status, 0) << r.err;
    Open(demo);
    Settle();
  }
  void GoTo(uint16_t card_id) {
    window->navigation().GoToCard(card_id, 0, 0, true);
    Settle(3000);  // the stack's transitions run out
    ASSERT_EQ(CardId(), card_id);
  }
  void Click(int x, int y) {
    tp.platform->headless_windows().SetPointer({x, y});
    Post(msg::kLButtonDown, mk::kLButton, MakePointParam(x, y));
    Post(msg::kLButtonUp, 0, MakePointParam(x, y));
    Settle(500);
  }
  int Pointer(int x, int y) {
    tp.platform->headless_windows().SetPointer({x, y});
    Post(msg::kMouseMove, 0, MakePointParam(x, y));
    Settle();
    return tp.platform->headless_windows().stack_cursor();
  }
  // Pixels of the window as presented that are red (the pen, 220 30 30, or the left
  // eye's 255 0 0) in a rectangle.
  int RedIn(const Rect& r) {
    const auto* frame = tp.platform->headless_windows().LastFrame(id);
    if (!frame) return -1;
    int n = 0;
    for (int y = r.top; y < r.bottom && y < frame->height; ++y)
      for (int x = r.left; x < r.right && x < frame->width; ++x) {
        const uint8_t* p = frame->rgba.data() + (size_t(y) * size_t(frame->width) + size_t(x)) * 4;
        if (p[0] > 150 && p[1] < 80 && p[2] < 80) ++n;
      }
    return n;
  }
  bool Logged(const std::string& line) {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
};

TEST_F(DemoStack, TheEndLeadsOnToTheNewCards) {
  OpenDemo(false);
  GoTo(5);
  for (const char* arrived :
       {"card 7 id 7 \"Depth\"", "card 8 id 8 \"Pointers\"", "card 9 id 9 \"Module\""}) {
    Click(340, 300);  // Next, where every card has it
    EXPECT_TRUE(Logged(arrived)) << arrived;
  }
}

TEST_F(DemoStack, TheTurtleDrawsInDepth) {
  OpenDemo(false);
  GoTo(7);
  const Rect drawing{260, 50, 500, 270};
  EXPECT_EQ(RedIn(drawing), 0);
  Click(215, 300);  // Cube
  const int cube = RedIn(drawing);
  EXPECT_GT(cube, 300);
  Click(90, 220);  // Glasses: the left eye's image in red beside the first one
  EXPECT_GT(RedIn(drawing), cube + 100);
}

TEST_F(DemoStack, EveryStackPointerShowsOverItsButton) {
  OpenDemo(false);
  GoTo(8);
  for (int slot = 0; slot < 23; ++slot) {
    const int x = 16 + slot % 5 * 96 + 46, y = 52 + slot / 5 * 28 + 12;
    EXPECT_EQ(Pointer(x, y), slot) << "button " << slot;
  }
  EXPECT_EQ(Pointer(200, 230), 15);  // the field's pencil
  EXPECT_EQ(Pointer(450, 200), 16);  // the card's cross hair
}

TEST_F(DemoStack, TheCounterModuleAnswersTheScript) {
  for (bool installed : {false, true}) {
    log.clear();
    OpenDemo(installed);
    GoTo(9);
    Click(215, 300);
    Click(215, 300);
    EXPECT_EQ(Logged("nba 7 message 4"), installed);
    EXPECT_GT(RedIn({30, 210, 390, 262}), 50) << installed;  // the line it writes
    window.reset();
  }
}

}  // namespace
}  // namespace corvida
