// Text fields end to end with corvida replay: typing that survives leaving the card,
// Find Text across cards with wrap and find again, scroll bar arrows, and hyperlinks.
#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "replay_stack.h"

namespace corvida::fields_test {
namespace {

using testing::RunCorvida;
using testing::TempDir;

std::string Lines() {
  std::string s;
  for (int i = 1; i <= 30; ++i) s += "line " + std::to_string(i) + "\\n";
  return s;
}

const std::string kStack = R"({
  "stack": {"width": 200, "height": 150, "depth": 8},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [{"type": "field", "id": 1, "rect": [10, 10, 190, 40], "text": "hello"}]},
    {"id": 11, "name": "Two",
     "objects": [{"type": "field", "id": 2, "rect": [10, 10, 190, 40], "locked": true,
                  "text": "take me home now"},
                 {"type": "field", "id": 3, "rect": [10, 50, 190, 140], "fieldFlags": 1,
                  "text": ")" +
                           Lines() + R"("}]},
    {"id": 12, "name": "Three",
     "objects": [{"type": "field", "id": 5, "rect": [10, 10, 190, 40], "text": "a needle here"}]}
  ],
  "resources": [
    {"type": "Hlnk", "id": 9, "fieldId": 2, "text": "take me home now",
     "button": {"destination": 10}}
  ]
})";

class Fields : public ::testing::Test {
 protected:
  testing::CommandResult Play(const std::string& events) { return stack.Play(events); }
  bool Contains(const std::string& out, const std::string& part) {
    return out.find(part) != std::string::npos;
  }
  gfx::Bitmap Shot(const std::string& name) {
    gfx::Bitmap b;
    EXPECT_TRUE(gfx::ReadPngFile(dir.File("out/" + name), b)) << name;
    return b;
  }
  static bool SameIn(const gfx::Bitmap& a, const gfx::Bitmap& b, const Rect& r) {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (!(a.ColorAt(x, y) == b.ColorAt(x, y))) return false;
    return true;
  }
  testing::ReplayedStack stack{kStack};
  const TempDir& dir = stack.dir;
};

TEST_F(Fields, TypedTextIsKeptWhenTheCardIsLeftAndFoundThere) {
  // A click right of the text puts the insertion point after "hello".
  auto r = Play(
      "click 180 20\nchar x\nchar y\nchar z\ncommand 204\ncommand 203\ncommand 204\n"
      "type oxy\ncommand 207\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out,
                       "card 2 id 11 \"Two\"\ncard 1 id 10 \"One\"\ncard 2 id 11 \"Two\"\n"
                       "dialog FIND_TEXT \"oxy\"\ncard 1 id 10 \"One\"\nfound field 1 at 4\n"))
      << r.out;
}

TEST_F(Fields, FindTextAcrossCardsWithWrapAndFindAgain) {
  auto r = Play(
      "type needle\ncommand 207\nkey Shift+Ctrl+F\ntype nowhere\ncommand 207\n"
      "command 207\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "card 1 id 10 \"One\"\n"
            "dialog FIND_TEXT \"needle\"\n"
            "card 3 id 12 \"Three\"\n"
            "found field 5 at 2\n"
            // Find again goes round the stack and comes back to the only match.
            "found field 5 at 2\n"
            "dialog FIND_TEXT \"nowhere\"\n"
            "alert 2201 \"No match found.\"\n"
            "dialog FIND_TEXT cancelled\n");
}

TEST_F(Fields, ScrollBarArrowsMoveTheText) {
  const Rect text_area{11, 51, 170, 139};
  auto r = Play(
      "command 204\nshot before.png\nclick 185 135\nshot one.png\n"
      "down 185 135\nwait 300\nup 185 135\nshot held.png\nclick 185 55\nclick 185 55\n"
      "down 185 135\nup 185 135\nshot back.png\n");
  ASSERT_EQ(r.status, 0) << r.err;
  gfx::Bitmap before = Shot("before.png"), one = Shot("one.png"), held = Shot("held.png"),
              back = Shot("back.png");
  EXPECT_FALSE(SameIn(before, one, text_area));
  EXPECT_FALSE(SameIn(one, held, text_area));  // holding the arrow went on scrolling
  EXPECT_TRUE(SameIn(before, before, text_area));
  EXPECT_FALSE(SameIn(held, back, text_area));
}

TEST_F(Fields, HyperlinkClickRunsItsActionAndControlClickDoesNot) {
  auto r = Play("command 204\nhold Ctrl\nclick 60 20\nrelease Ctrl\nclick 60 20\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "card 1 id 10 \"One\"\n"
            "card 2 id 11 \"Two\"\n"
            "hyperlink 9 \"take me home now\"\n"
            "card 1 id 10 \"One\"\n");
}

}  // namespace
}  // namespace corvida::fields_test
