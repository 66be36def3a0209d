// corvida replay through the menu bar: entered with Alt, F10, Alt+letter and the mouse,
// shown and hidden as each card asks, with clicks on the card still in card coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/test_support.h"

namespace corvida {
namespace {

using testing::ReadPictureFile;
using testing::RunCorvida;
using testing::TempDir;

// Cards One and Two ask for the menu bar, Three does not. One's button goes to the next
// card.
const char* kThree = R"({
  "stack": {"width": 200, "height": 120, "depth": 8},
  "cards": [
    {"id": 10, "kind": "shared", "name": "One", "menuBar": 1,
     "objects": [{"type": "button", "id": 1, "rect": [150, 90, 190, 110], "name": "On",
                  "destination": -1, "transition": 3, "speed": 8}]},
    {"id": 11, "kind": "shared", "name": "Two", "menuBar": 1},
    {"id": 12, "kind": "shared", "name": "Three"}
  ]
})";

class MenuBarReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("three.json", kThree);
    auto r = RunCorvida({"build", dir.File("three.json"), "-o", dir.File("three.stk")});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::string Play(const std::string& events) {
    dir.Write("events.txt", events);
    auto r = RunCorvida(
        {"replay", dir.File("three.stk"), dir.File("events.txt"), "-o", dir.File("out")});
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
  }
  static bool Has(const std::string& out, const std::string& line) {
    return out.find(line + "\n") != std::string::npos;
  }
  TempDir dir;
};

TEST_F(MenuBarReplay, KeyboardChoosesCommandsAndTheBarFollowsTheCards) {
  const std::string out = Play(
      "key Alt\nkey Right\nkey Right\nkey Down\nkey N\n"   // Go > Next Card
      "key Alt+G\nkey L\n"                                 // Go > Last Card: no bar there
      "key F10\nkey Right\nkey Right\nkey Enter\nkey F\n"  // over the card: First Card
      "key Alt\nkey Escape\nkey Escape\n");                // in and out: nothing chosen
  EXPECT_TRUE(Has(out, "menu bar shown")) << out;
  EXPECT_TRUE(Has(out, "menu 204 \"Next Card\"")) << out;
  EXPECT_TRUE(Has(out, "menu 205 \"Last Card\"")) << out;
  EXPECT_TRUE(Has(out, "menu bar hidden")) << out;
  EXPECT_TRUE(Has(out, "menu 202 \"First Card\"")) << out;
  const size_t second = out.find("card 2 id 11");
  const size_t third = out.find("card 3 id 12");
  const size_t back = out.find("card 1 id 10", third);
  EXPECT_TRUE(second != std::string::npos && third > second && back != std::string::npos) << out;
  EXPECT_EQ(out.find("menu 2", back), std::string::npos) << "Escape chose nothing";
}

TEST_F(MenuBarReplay, MouseOpensMenusAndTheCardLiesBelowTheBar) {
  // File opens at the bar's left; its second row is Open Stack (the chooser, cancelled).
  const std::string out = Play(
      "shot bar.png\n"
      "click 10 10\nclick 30 49\n"
      // A press on the bar's empty part does nothing; the card's button is 20 lower.
      "click 190 10\nclick 160 115\n");
  EXPECT_TRUE(Has(out, "menu 101 \"Open Stack...\"")) << out;
  EXPECT_TRUE(Has(out, "dialog OPEN_STACK cancelled")) << out;
  EXPECT_NE(out.find("card 2 id 11"), std::string::npos) << out;
  const DecodedPicture shot = ReadPictureFile(dir.File("out/bar.png"));
  EXPECT_EQ(shot.width, 200);
  EXPECT_EQ(shot.height, 120 + 20) << "the window holds the bar above the card";
}

TEST_F(MenuBarReplay, ThePreferenceShowsOrHidesTheBarOnEveryCard) {
  dir.Write("out/.config/CVPREFS.INI", "[user]\nMenuBar=No\n");
  std::string out = Play("key Ctrl+>\n");
  EXPECT_FALSE(Has(out, "menu bar shown")) << out;
  dir.Write("out/.config/CVPREFS.INI", "[user]\nMenuBar=yes\n");
  out = Play("key Ctrl+9\nkey Alt+F\nkey Escape\nkey Escape\n");
  EXPECT_TRUE(Has(out, "menu bar shown")) << out;
  EXPECT_FALSE(Has(out, "menu bar hidden")) << out;
}

// Export Screen writes the card as shown (without the bar), as BMP when the name says so;
// a name that is not allowed keeps the dialog, which is then cancelled.
TEST_F(MenuBarReplay, ExportScreenWritesTheShownCard) {
  const std::string out = Play(
      "type shown\ncommand 105\n"
      "type picture.BMP\nkey Alt+F\nkey E\n"
      "type ../up\ncommand 105\n");
  EXPECT_TRUE(Has(out, "dialog EXPORT_SCREEN \"shown.png\"")) << out;
  EXPECT_TRUE(Has(out, "exported \"shown.png\"")) << out;
  EXPECT_TRUE(Has(out, "exported \"picture.BMP\"")) << out;
  EXPECT_TRUE(Has(out, "dialog EXPORT_SCREEN cancelled")) << out;
  for (const char* name : {"shown.png", "picture.BMP"}) {
    const DecodedPicture picture = ReadPictureFile(dir.File(name));
    EXPECT_EQ(picture.width, 200) << name;
    EXPECT_EQ(picture.height, 120) << name;
  }
  EXPECT_EQ(dir.Read("picture.BMP").substr(0, 2), "BM");
}

TEST_F(MenuBarReplay, F11AndTheViewMenuToggleFullScreen) {
  const std::string out = Play("key F11\nkey Alt+V\nkey F\n");
  const size_t on = out.find("full screen\n");
  ASSERT_NE(on, std::string::npos) << out;
  EXPECT_NE(out.find("menu 370 \"Full Screen\"\nfull screen off\n", on), std::string::npos) << out;
}

// The web page is opened only after the address was shown and Open pressed.
TEST_F(MenuBarReplay, WebPageAsksFirst) {
  const std::string out = Play("command 653\nanswer 1\ncommand 653\n");
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n') > 0, true);
  const size_t asked = out.find("alert 5105");
  ASSERT_NE(asked, std::string::npos) << out;
  const size_t opened = out.find("web page \"https://");
  ASSERT_NE(opened, std::string::npos) << out;
  EXPECT_NE(out.find("alert 5105", asked + 1), std::string::npos) << out;
  EXPECT_LT(out.find("alert 5105", asked + 1), opened) << "the first question was cancelled";
}

// The slide show moves on the virtual clock: two seconds a card, from the first, to the
// end, unless a key ends it sooner.
TEST_F(MenuBarReplay, SlideShowAdvancesOnTheClock) {
  std::string out = Play("key Ctrl+9\ntype 2\ncommand 109\n");
  EXPECT_TRUE(Has(out, "slide show 2 s")) << out;
  const size_t start = out.find("slide show 2 s");
  const size_t one = out.find("card 1 id 10", start);
  const size_t two = out.find("card 2 id 11", one);
  const size_t three = out.find("card 3 id 12", two);
  const size_t end = out.find("slide show ended", three);
  EXPECT_TRUE(one != std::string::npos && two != std::string::npos && three != std::string::npos &&
              end != std::string::npos)
      << out;
  // A key ends it early: at 3 s the second card is shown and the third never comes.
  out = Play("key Space after 3000\ntype 2\ncommand 109\n");
  const size_t again = out.find("slide show 2 s");
  ASSERT_NE(again, std::string::npos) << out;
  EXPECT_NE(out.find("card 2 id 11", again), std::string::npos) << out;
  EXPECT_EQ(out.find("card 3 id 12", again), std::string::npos) << out;
  EXPECT_TRUE(Has(out, "slide show ended")) << out;
}

}  // namespace
}  // namespace corvida
