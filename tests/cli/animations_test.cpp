// Animations on cards end to end: a stack made by `corvida build` whose buttons play path
// animations and a sprite, replayed on the virtual clock; the shots show the frame due at
// each moment, under the card's objects, and the card again once the animation is over.
#include <gtest/gtest.h>

#include "platform/gfx/png.h"
#include "replay_stack.h"
#include "stackfile/pixpak.h"
#include "support/animation_bytes.h"

namespace corvida {
namespace {

using testing::PathSpec;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr int kPaceTicks = 12;  // 204 ms between frames

std::string AnimationHex(uint16_t repetitions, uint16_t flags) {
  PathSpec spec;
  spec.width = 40, spec.height = 20, spec.depth = 24, spec.ticks = kPaceTicks;
  spec.repetitions = repetitions, spec.flags = flags;
  for (uint32_t colour : {kRed, kGreen, kBlue})
    spec.frames.push_back(testing::SolidFrame(40, 20, 24, colour));
  return testing::Hex(testing::PathAnimationBytes(spec));
}

// A film the player makes (kind 3) from the part of the card under "Mark" (its
// rectangle at 10 in the film: top, left, bottom, right), moved along two positions.
std::string CardPieceSpriteHex() {
  std::vector<uint8_t> bytes = testing::SpriteBytes({{100, 100}, {110, 100}}, {}, 3);
  const size_t film = 600 + 8 + 138 + 2 * 4;
  testing::PutBE(bytes, film + 10, 125, 2);
  testing::PutBE(bytes, film + 12, 5, 2);
  testing::PutBE(bytes, film + 14, 145, 2);
  testing::PutBE(bytes, film + 16, 35, 2);
  return testing::Hex(bytes);
}

std::string SpriteHex() {
  gfx::Bitmap picture;
  picture.Create(10, 10, 32);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) picture.Set(x, y, kBlue);
  std::vector<uint8_t> block = EncodePixPak(picture, {});
  return testing::Hex(testing::SpriteBytes({{100, 100}, {110, 100}, {120, 100}}, {block}));
}

// "Play" plays 3 frames twice over [20,20]-[60,40] under the button "Over" and restores the
// card; "Wait" does the same and then goes to the next card (the media wait waits for the
// animation); "Loop" plays until the card is left; "Picture" shows its first frame in the card;
// "Sprite" moves a blue square along three positions; "Again" shows its first frame in the
// card and restores the card at its end.
std::string StackJson() {
  return R"({
  "stack": {"width": 200, "height": 150, "depth": 32},
  "cards": [
    {"id": 10, "name": "One",
     "objects": [
       {"type": "button", "id": 1, "rect": [150, 10, 190, 30], "name": "Play",
        "actions": [{"kind": "animation", "rect": [20, 20, 60, 40], "bytes": ")" +
         AnimationHex(2, 0x0001) + R"("}]},
       {"type": "button", "id": 2, "rect": [50, 30, 80, 50], "name": "Over"},
       {"type": "button", "id": 3, "rect": [150, 40, 190, 60], "name": "Wait", "destination": 11,
        "actions": [{"kind": "animation", "rect": [20, 20, 60, 40], "bytes": ")" +
         AnimationHex(1, 0x0001) + R"("}]},
       {"type": "button", "id": 4, "rect": [150, 70, 190, 90], "name": "Loop",
        "actions": [{"kind": "animation", "rect": [20, 20, 60, 40], "bytes": ")" +
         AnimationHex(0, 0x0001) + R"("}]},
       {"type": "button", "id": 5, "rect": [150, 100, 190, 120], "name": "Sprite",
        "actions": [{"kind": "animation", "rect": [0, 0, 0, 0], "bytes": ")" +
         SpriteHex() + R"("}]},
       {"type": "button", "id": 7, "rect": [150, 125, 190, 145], "name": "Piece",
        "actions": [{"kind": "animation", "rect": [0, 0, 0, 0], "bytes": ")" +
         CardPieceSpriteHex() + R"("}]},
       {"type": "button", "id": 8, "rect": [5, 125, 35, 145], "name": "Mark", "style": 1}
     ]},
    {"id": 11, "name": "Two",
     "objects": [
       {"type": "button", "id": 6, "rect": [150, 10, 190, 30], "name": "Picture",
        "actions": [{"kind": "animation", "rect": [20, 60, 60, 80], "bytes": ")" +
         AnimationHex(1, 0x0002) + R"("}]},
       {"type": "button", "id": 9, "rect": [150, 40, 190, 60], "name": "Again",
        "actions": [{"kind": "animation", "rect": [20, 100, 60, 120], "bytes": ")" +
         AnimationHex(1, 0x0003) + R"("}]}
     ]}
  ]
})";
}

class AnimationsOnCards : public ::testing::Test {
 protected:
  AnimationsOnCards() : stack(StackJson()) {}
  std::string Play(const std::string& events) {
    auto r = stack.Play(events);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string first = "card 1 id 10 \"One\"\n";
    EXPECT_EQ(r.out.rfind(first, 0), 0u) << r.out;
    return r.out.substr(std::min(first.size(), r.out.size()));
  }
  uint32_t Pixel(const std::string& shot, int x, int y) {
    gfx::Bitmap b;
    EXPECT_TRUE(gfx::ReadPngFile(stack.dir.File("out/" + shot), b)) << shot;
    if (b.empty()) return 0;
    gfx::Rgb c = b.ColorAt(x, y);
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
  }
  testing::ReplayedStack stack;
};

// Three frames, two repetitions: six frames, each for about the pace, then the card again.
TEST_F(AnimationsOnCards, ThreeFramesTwiceShowSixFramesAtTheirPaceThenTheCard) {
  // Frames are due every 204 ms from the first timer tick after the click; the timer
  // steps every 55 ms, so each shows for 220 ms. Shots fall in the middle of each frame.
  std::string events = "shot before.png\nclick 160 20\nwait 150\n";
  for (int i = 0; i < 6; ++i) events += "shot f" + std::to_string(i) + ".png\nwait 220\n";
  events += "wait 400\nshot after.png\n";
  std::string out = Play(events);
  EXPECT_NE(out.find("animation 1 started\n"), std::string::npos) << out;
  EXPECT_NE(out.find("animation 1 finished\n"), std::string::npos) << out;
  const uint32_t expected[] = {kRed, kGreen, kBlue, kRed, kGreen, kBlue};
  for (int i = 0; i < 6; ++i) {
    const std::string shot = "f" + std::to_string(i) + ".png";
    EXPECT_EQ(Pixel(shot, 21, 21), expected[i]) << shot;
    EXPECT_EQ(Pixel(shot, 59, 39 - 10), expected[i]) << shot;
    // Under the button over its corner and outside the frame: the card as it was.
    EXPECT_EQ(Pixel(shot, 55, 35), Pixel("before.png", 55, 35)) << shot;
    EXPECT_EQ(Pixel(shot, 19, 30), Pixel("before.png", 19, 30)) << shot;
  }
  EXPECT_EQ(Pixel("after.png", 30, 30), kWhite);
}

TEST_F(AnimationsOnCards, TheMediaWaitWaitsForTheAnimationThenTheCardChanges) {
  EXPECT_EQ(Play("click 160 50\n"),
            "button 3 \"Wait\"\nanimation 3\nanimation 3 started\nanimation 3 finished\n"
            "card 2 id 11 \"Two\"\n");
}

TEST_F(AnimationsOnCards, WithoutRepetitionsItPlaysUntilTheCardIsLeft) {
  std::string out = Play("click 160 80\nwait 3000\nshot playing.png\ncommand 204\nwait 300\n");
  EXPECT_EQ(out.find("animation 4 finished"), std::string::npos) << out;
  const uint32_t shown = Pixel("playing.png", 30, 25);
  EXPECT_TRUE(shown == kRed || shown == kGreen || shown == kBlue) << std::hex << shown;
}

TEST_F(AnimationsOnCards, AFirstFrameIsPartOfTheCardPictureWhenAskedFor) {
  Play("command 204\nwait 100\nshot first.png\n");
  EXPECT_EQ(Pixel("first.png", 30, 70), kRed);
  EXPECT_EQ(Pixel("first.png", 30, 90), kWhite);
}

// The first frame is part of the card picture: when the animation has played over it and
// is gone, it is there again.
TEST_F(AnimationsOnCards, AFirstFrameIsThereAgainAfterItsAnimation) {
  std::string out = Play(
      "command 204\nshot before.png\nclick 170 50\nwait 300\nshot playing.png\nwait 2000\n"
      "shot after.png\n");
  EXPECT_NE(out.find("animation 9 finished"), std::string::npos) << out;
  EXPECT_EQ(Pixel("before.png", 30, 110), kRed);
  EXPECT_NE(Pixel("playing.png", 30, 110), kRed);
  EXPECT_EQ(Pixel("after.png", 30, 110), kRed);
}

TEST_F(AnimationsOnCards, ASpriteMovesAlongItsPathAndLeavesTheCardBehind) {
  std::string out = Play("click 160 110\nwait 60\nshot one.png\nwait 700\nshot after.png\n");
  EXPECT_NE(out.find("sprite 5 started\n"), std::string::npos) << out;
  EXPECT_NE(out.find("sprite 5 finished\n"), std::string::npos) << out;
  EXPECT_EQ(Pixel("one.png", 105, 105), kBlue);
  EXPECT_EQ(Pixel("after.png", 105, 105), kWhite);
  EXPECT_EQ(Pixel("after.png", 125, 105), kWhite);
}

// A film the player makes: the part of the card under "Mark" (the button as drawn, its
// frame) moves along the path, and the card shows again behind it.
TEST_F(AnimationsOnCards, AFilmThePlayerMakesMovesAPartOfTheCard) {
  std::string out = Play(
      "shot before.png\nclick 160 135\nwait 60\nshot one.png\nwait 700\n"
      "shot after.png\n");
  EXPECT_NE(out.find("sprite 7 started\n"), std::string::npos) << out;
  EXPECT_NE(out.find("sprite 7 finished\n"), std::string::npos) << out;
  for (auto [dx, dy] : {std::pair{0, 0}, {1, 1}, {15, 10}, {29, 19}})
    EXPECT_EQ(Pixel("one.png", 100 + dx, 100 + dy), Pixel("before.png", 5 + dx, 125 + dy))
        << dx << "," << dy;
  EXPECT_NE(Pixel("before.png", 6, 135), Pixel("before.png", 101, 110)) << "the frame shows";
  EXPECT_EQ(Pixel("one.png", 101, 110), Pixel("before.png", 6, 135));
  EXPECT_EQ(Pixel("after.png", 101, 110), Pixel("before.png", 101, 110));
}

}  // namespace
}  // namespace corvida
