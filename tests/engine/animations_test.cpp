// The animation manager on a virtual clock with a host that writes down what it is asked
// to draw: path animations' frames, repetitions, pace and flags; frame records and patch
// lists that do not fit; sprites read from 'Sprt' data, or refused.
#include <gtest/gtest.h>

#include <sstream>

#include "engine/animations.h"
#include "stackfile/pixpak.h"
#include "support/animation_bytes.h"

namespace corvida {
namespace {

using testing::PathAnimationBytes;
using testing::PathSpec;

// Frames of 4 x 2 pixels, 8 bits, every pixel `index`; the card palette shows index i as
// the red value i, so the trace reads the index back.
std::vector<uint8_t> Solid(uint8_t index) {
  return testing::SolidFrame(4, 2, 8, index);
}

class Rig : public AnimationHost {
 public:
  Rig() {
    palette.count = 256;
    for (int i = 0; i < 256; ++i) palette.Set(i, {uint8_t(i), 0, 0});
  }
  gfx::Palette CardPalette() override { return palette; }
  void ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                          const gfx::Bitmap* mask) override {
    std::ostringstream line;
    line << clock.Ticks() << ": frame " << at.x << "," << at.y << " " << int(frame.ColorAt(0, 0).r);
    const int last = frame.ColorAt(frame.width() - 1, 0).r;
    if (last != frame.ColorAt(0, 0).r) line << "/" << last;
    if (!clipped) line << " unclipped";
    if (mask) line << " masked";
    trace.push_back(line.str());
  }
  void EraseAnimation(const Rect& r) override {
    trace.push_back("erase " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                    std::to_string(r.right) + "," + std::to_string(r.bottom));
  }
  int Alert(int id) override {
    trace.push_back("alert " + std::to_string(id));
    return 0;
  }
  void Log(const std::string& line) override { trace.push_back(line); }
  void UnknownPicturePacking() override { trace.push_back("unknown packing"); }
  // With a card, its parts are of the red value 77.
  bool CardPiece(const Rect& rect, gfx::Bitmap& out) override {
    trace.push_back("piece " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                    std::to_string(rect.right) + "," + std::to_string(rect.bottom));
    if (!has_card || !out.Create(rect.Width(), rect.Height(), 32)) return false;
    for (int y = 0; y < out.height(); ++y)
      for (int x = 0; x < out.width(); ++x) out.Set(x, y, 0x4D0000);
    return true;
  }
  bool has_card = true;

  // Steps once a tick for `ticks` ticks.
  void Run(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      manager.Step();
      clock.Advance(17);
    }
  }
  std::string Trace() const {
    std::string out;
    for (const std::string& line : trace) out += line + "\n";
    return out;
  }

  VirtualClock clock;
  gfx::Palette palette;
  AnimationManager manager{clock, *this};
  std::vector<std::string> trace;
};

PathSpec Frames(std::vector<std::vector<uint8_t>> frames, uint16_t repetitions = 1,
                uint16_t flags = 0, uint16_t ticks = 3) {
  PathSpec spec;
  spec.frames = std::move(frames);
  spec.repetitions = repetitions;
  spec.flags = flags;
  spec.ticks = ticks;
  return spec;
}

struct PathCase {
  const char* what;
  PathSpec spec;
  int ticks;
  const char* trace;
};

void CheckPaths(const std::vector<PathCase>& cases) {
  for (const PathCase& c : cases) {
    Rig rig;
    rig.manager.StartPathAnimation(PathAnimationBytes(c.spec), {20, 30, 24, 32}, 7);
    rig.Run(c.ticks);
    EXPECT_EQ(rig.Trace(), c.trace) << c.what;
  }
}

TEST(PathAnimations, FramesRepetitionsAndPace) {
  CheckPaths({
      {"three frames twice, three ticks apart, then the card again",
       Frames({Solid(1), Solid(2), Solid(3)}, 2, pathanim::kInvalidateAtEnd), 30,
       "animation 7 started\n0: frame 20,30 1\n3: frame 20,30 2\n6: frame 20,30 3\n"
       "9: frame 20,30 1\n12: frame 20,30 2\n15: frame 20,30 3\nerase 20,30,24,32\n"
       "animation 7 finished\n"},
      {"without flag 1 the last frame stays", Frames({Solid(1)}, 1, 0), 10,
       "animation 7 started\n0: frame 20,30 1\nanimation 7 finished\n"},
      {"no repetitions: on and on", Frames({Solid(4), Solid(5)}, 0, 0, 2), 9,
       "animation 7 started\n0: frame 20,30 4\n2: frame 20,30 5\n4: frame 20,30 4\n"
       "6: frame 20,30 5\n8: frame 20,30 4\n"},
      {"flag 0x20 draws nothing and ends silently", Frames({Solid(1)}, 1, pathanim::kDoNotDraw), 10,
       "animation 7 started\n"},
      {"flag 0x40 covers the objects too", Frames({Solid(6)}, 1, pathanim::kUnclipped), 4,
       "animation 7 started\n0: frame 20,30 6 unclipped\nanimation 7 finished\n"},
      {"patch lists change the frame before",
       Frames({testing::Patches({{4, 9}, {7, 8}}), testing::Patches({{4, 2}}), {}}, 1,
              pathanim::kPatchLists, 1),
       5,
       "animation 7 started\n0: frame 20,30 9/8\n1: frame 20,30 2/8\n2: frame 20,30 2/8\n"
       "animation 7 finished\n"},
  });
}

TEST(PathAnimations, AFrameThatDoesNotFitIsNotDrawnAndEndsTheAnimation) {
  PathSpec short_frame =
      Frames({Solid(1), std::vector<uint8_t>(7, 2)}, 1, pathanim::kInvalidateAtEnd);
  PathSpec missing = Frames({Solid(1)}, 1);
  missing.frame_count = 3;  // two records are not there
  PathSpec patch_outside = Frames({testing::Patches({{0, 1}, {16, 2}})}, 1, pathanim::kPatchLists);
  PathSpec patch_cut = Frames({{1, 0, 0, 0, 5}}, 1, pathanim::kPatchLists);
  CheckPaths({
      {"a whole frame shorter than the frame", short_frame, 10,
       "animation 7 started\n0: frame 20,30 1\nerase 20,30,24,32\nanimation 7 finished\n"},
      {"more frames counted than recorded", missing, 10,
       "animation 7 started\n0: frame 20,30 1\nanimation 7 finished\n"},
      {"a patch outside the frame", patch_outside, 5,
       "animation 7 started\nanimation 7 finished\n"},
      {"a patch cut short", patch_cut, 5, "animation 7 started\nanimation 7 finished\n"},
  });
  // A record whose length runs past the data.
  std::vector<uint8_t> bytes = PathAnimationBytes(Frames({Solid(1)}, 1));
  testing::PutLE(bytes, 18 + 8, 0xFFFFFFF0u, 4);
  Rig rig;
  EXPECT_TRUE(rig.manager.StartPathAnimation(bytes, {0, 0, 4, 2}, 1));
  rig.Run(3);
  EXPECT_EQ(rig.Trace(), "animation 1 started\nanimation 1 finished\n");
}

TEST(PathAnimations, DescriptionsThatCannotPlayStartNothing) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* trace;
  };
  PathSpec no_width = Frames({Solid(1)});
  no_width.width = 0;
  PathSpec odd_depth = Frames({Solid(1)});
  odd_depth.depth = 12;
  PathSpec huge = Frames({Solid(1)});
  huge.width = huge.height = 65535;
  const Case cases[] = {
      {"shorter than a description", std::vector<uint8_t>(33, 1), ""},
      {"an empty side", PathAnimationBytes(no_width), ""},
      {"a depth frames do not have", PathAnimationBytes(odd_depth), ""},
      {"a frame too large to hold", PathAnimationBytes(huge), "alert 2224\n"},
  };
  for (const Case& c : cases) {
    Rig rig;
    EXPECT_FALSE(rig.manager.StartPathAnimation(c.bytes, {0, 0, 4, 2}, 1)) << c.what;
    EXPECT_FALSE(rig.manager.AnyPathAnimationRunning()) << c.what;
    EXPECT_EQ(rig.Trace(), c.trace) << c.what;
  }
}

TEST(PathAnimations, FinishingOthersWithTheSameIdOrAll) {
  struct Case {
    uint16_t new_id;
    bool one_left, two_left;
  };
  const Case cases[] = {{1, false, true}, {2, true, false}, {0, false, false}, {3, true, true}};
  for (const Case& c : cases) {
    Rig rig;
    const std::vector<uint8_t> endless = PathAnimationBytes(Frames({Solid(1)}, 0));
    rig.manager.StartPathAnimation(endless, {0, 0, 4, 2}, 1);
    rig.manager.StartPathAnimation(endless, {0, 0, 4, 2}, 2);
    rig.Run(2);
    rig.manager.StartPathAnimation(
        PathAnimationBytes(Frames({Solid(1)}, 1, pathanim::kFinishSameId, 1)), {0, 0, 4, 2},
        c.new_id);
    rig.trace.clear();
    rig.Run(4);
    // The new one plays its frame and ends; those made to finish end without a word.
    EXPECT_EQ(std::count_if(rig.trace.begin(), rig.trace.end(),
                            [](const std::string& l) { return l.find(" finished") != l.npos; }),
              1)
        << rig.Trace();
    EXPECT_EQ(rig.manager.PathAnimationRunning(1), c.one_left) << c.new_id;
    EXPECT_EQ(rig.manager.PathAnimationRunning(2), c.two_left) << c.new_id;
    // Those made to finish do so silently: only the new one draws.
    EXPECT_EQ(std::count_if(rig.trace.begin(), rig.trace.end(),
                            [](const std::string& l) { return l.find("frame") != l.npos; }),
              1 + int(c.one_left) + int(c.two_left))
        << c.new_id << "\n"
        << rig.Trace();
  }
}

TEST(PathAnimations, StoppingEndsAllAndRedrawShowsTheShownFrameAgain) {
  Rig rig;
  rig.manager.StartPathAnimation(PathAnimationBytes(Frames({Solid(1), Solid(2)}, 0)), {5, 6, 9, 8},
                                 3);
  rig.Run(4);
  rig.trace.clear();
  rig.manager.Redraw();
  EXPECT_EQ(rig.Trace(), "4: frame 5,6 2\n");
  EXPECT_TRUE(rig.manager.PathAnimationRunning(3));
  EXPECT_FALSE(rig.manager.PathAnimationRunning(4));
  rig.manager.StopAll();
  EXPECT_FALSE(rig.manager.AnyPathAnimationRunning());
}

TEST(PathAnimations, IndexedFramesShowTheCardPalette) {
  PathSpec spec = Frames({Solid(200)});
  std::vector<uint8_t> bytes = PathAnimationBytes(spec);
  gfx::Palette palette;
  palette.count = 256;
  palette.Set(200, {1, 2, 3});
  gfx::Bitmap picture;
  ASSERT_TRUE(PathAnimationPicture(bytes, palette, picture));
  EXPECT_EQ(picture.ColorAt(3, 1), (gfx::Rgb{1, 2, 3}));
  // Rows are stored bottom first.
  spec.frames = {{1, 1, 1, 1, 2, 2, 2, 2}};
  ASSERT_TRUE(PathAnimationPicture(PathAnimationBytes(spec), Rig().palette, picture));
  EXPECT_EQ(picture.ColorAt(0, 0).r, 2);
  EXPECT_EQ(picture.ColorAt(0, 1).r, 1);
  // 24-bit frames become true colour.
  spec.depth = 24;
  spec.frames = {testing::SolidFrame(4, 2, 24, 0x102030)};
  ASSERT_TRUE(PathAnimationPicture(PathAnimationBytes(spec), palette, picture));
  EXPECT_EQ(picture.ColorAt(2, 1), (gfx::Rgb{0x10, 0x20, 0x30}));
}

// ---- sprites ----

std::vector<uint8_t> Picture(uint32_t rgb, int side = 4) {
  gfx::Bitmap b;
  b.Create(side, side, 32);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) b.Set(x, y, rgb);
  return EncodePixPak(b, {});
}

std::vector<uint8_t> Mask(int side = 4) {
  gfx::Bitmap b;
  b.Create(side, side, 1);
  b.palette = gfx::Palette::Monochrome();
  b.Set(0, 0, 1);
  return EncodePixPak(b, b.palette);
}

TEST(Sprites, WhatIsReadFromSpriteData) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    size_t frames;  // 0: not a sprite we can play
    size_t positions;
    bool masked;
  };
  auto two = testing::SpriteBytes({{1, 2}, {3, 4}}, {Picture(0x100000), Picture(0x200000)});
  auto corrupt = [](std::vector<uint8_t> b, size_t at, uint32_t value, int width) {
    testing::PutBE(b, at, value, width);
    return b;
  };
  const size_t film = 600 + 8 + 138 + 8;
  std::vector<uint8_t> with_mask = testing::SpriteBytes({}, {Picture(0x300000)});
  std::vector<uint8_t> mask = Mask();
  with_mask.insert(with_mask.end(), mask.begin(), mask.end());
  const Case cases[] = {
      {"two pictures along two positions", two, 2, 2, false},
      {"a picture and its mask", with_mask, 1, 0, true},
      {"kind 2 skips the extra data", testing::SpriteBytes({{0, 0}}, {Picture(1)}, 2, 8, 40), 1, 1,
       false},
      {"no 'Sprt'", corrupt(two, 0, 0x53707275, 4), 0, 0, false},
      {"a header cut short", std::vector<uint8_t>(two.begin(), two.begin() + 599), 0, 0, false},
      {"skipped bytes beyond the data", corrupt(two, 452, 0x7FFFFFFF, 4), 0, 0, false},
      {"a path beyond the data", corrupt(two, 456, 0xFFFFFFFF, 4), 0, 0, false},
      {"no 'Path'", corrupt(two, 608, 0, 4), 0, 0, false},
      {"no 'Film'", corrupt(two, film, 0, 4), 0, 0, false},
      {"a film made by the player without a rectangle", corrupt(two, film + 32, 3, 2), 0, 0, false},
      {"no frames", corrupt(two, film + 46, 0, 2), 0, 0, false},
      {"more frame records than data", corrupt(two, film + 46, 0xFFFF, 2), 0, 0, false},
      {"extra data beyond the data", corrupt(corrupt(two, film + 32, 2, 2), film + 166, ~0u, 4), 0,
       0, false},
      {"a picture whose length runs past the data", corrupt(two, film + 362 + 240 + 4, ~0u, 4), 0,
       0, false},
  };
  for (const Case& c : cases) {
    std::optional<SpriteLayout> layout = ReadSprite(c.bytes);
    ASSERT_EQ(layout.has_value(), c.frames > 0) << c.what;
    if (!layout) continue;
    EXPECT_EQ(layout->frames.size(), c.frames) << c.what;
    EXPECT_EQ(layout->positions.size(), c.positions) << c.what;
    EXPECT_EQ(!layout->frames[0].mask.empty(), c.masked) << c.what;
  }
}

TEST(Sprites, PlayAlongThePathOncePerIdThenTheCardShowsAgain) {
  Rig rig;
  auto bytes =
      testing::SpriteBytes({{10, 20}, {30, 40}, {50, 60}}, {Picture(0x100000), Picture(0x200000)});
  EXPECT_TRUE(rig.manager.Start(9, {}, bytes));
  EXPECT_TRUE(rig.manager.Start(9, {}, bytes));  // already running: still one sprite
  rig.Run(20);
  EXPECT_EQ(rig.Trace(),
            "sprite 9 started\n0: frame 10,20 16\nerase 10,20,14,24\n6: frame 30,40 32\n"
            "erase 30,40,34,44\n12: frame 50,60 16\nerase 50,60,54,64\nsprite 9 finished\n");
  EXPECT_FALSE(rig.manager.SpriteRunning(9));
}

// A film the player makes (kind 3) has no pictures: the part of the card under the
// film's rectangle, taken as the sprite starts, moves along the path.
TEST(Sprites, FilmsMadeByThePlayerMoveAPartOfTheCard) {
  auto bytes = testing::SpriteBytes({{10, 20}, {30, 40}}, {}, 3);
  const size_t film = 600 + 8 + 138 + 2 * 4;
  testing::PutBE(bytes, film + 10, 5, 2);   // top
  testing::PutBE(bytes, film + 12, 6, 2);   // left
  testing::PutBE(bytes, film + 14, 9, 2);   // bottom
  testing::PutBE(bytes, film + 16, 10, 2);  // right
  std::optional<SpriteLayout> layout = ReadSprite(bytes);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->card_piece, (Rect{6, 5, 10, 9}));
  EXPECT_TRUE(layout->frames.empty());
  Rig rig;
  EXPECT_TRUE(rig.manager.Start(9, {}, bytes));
  rig.Run(20);
  EXPECT_EQ(rig.Trace(),
            "piece 6,5,10,9\nsprite 9 started\n0: frame 10,20 77\nerase 10,20,14,24\n"
            "6: frame 30,40 77\nerase 30,40,34,44\nsprite 9 finished\n");
  // Without a card there is nothing to make it from; an empty or huge rectangle is no
  // film at all.
  Rig bare;
  bare.has_card = false;
  EXPECT_FALSE(bare.manager.Start(9, {}, bytes));
  EXPECT_EQ(bare.Trace(), "piece 6,5,10,9\nsprite 9 cannot be read\n");
  testing::PutBE(bytes, film + 16, 6, 2);
  EXPECT_FALSE(ReadSprite(bytes));
  testing::PutBE(bytes, film + 16, 30000, 2);
  EXPECT_FALSE(ReadSprite(bytes));
}

TEST(Sprites, UnreadableSpritesAreNotStartedAndOthersAreNotSprites) {
  Rig rig;
  auto bytes = testing::SpriteBytes({{0, 0}}, {Picture(1)});
  bytes.resize(bytes.size() - 10);  // the picture is cut short
  EXPECT_FALSE(rig.manager.Start(4, {}, bytes));
  EXPECT_FALSE(rig.manager.SpriteRunning(4));
  // Data that does not begin with 'Sprt' is a path description, however much it holds.
  auto path = PathAnimationBytes(Frames({Solid(1)}));
  EXPECT_TRUE(rig.manager.Start(5, {0, 0, 4, 2}, path));
  EXPECT_TRUE(rig.manager.PathAnimationRunning(5));
  EXPECT_FALSE(rig.manager.SpriteRunning(5));
  EXPECT_EQ(rig.Trace(), "sprite 4 cannot be read\nanimation 5 started\n");
}

// A picture packed in a way the player does not know ends the sprite and is told to the
// host, which tells the user; the first frame drawn into the card says so too.
TEST(Sprites, PicturesOfAnUnknownPackingAreToldToTheHost) {
  auto bytes = testing::SpriteBytes({{10, 20}, {30, 40}}, {Picture(0x100000)});
  const size_t magic = std::string(bytes.begin(), bytes.end()).find("PPak");
  ASSERT_NE(magic, std::string::npos);
  testing::PutBE(bytes, magic + 24, 5, 2);
  Rig rig;
  EXPECT_TRUE(rig.manager.Start(9, {}, bytes));
  rig.Run(5);
  EXPECT_EQ(rig.Trace(), "sprite 9 started\nunknown packing\nsprite 9 finished\n");

  gfx::Bitmap card;
  ASSERT_TRUE(card.Create(64, 64, 8));
  gfx::DrawTarget target(card);
  bool unknown = false;
  DrawAnimationFirstFrame(target, {}, bytes, gfx::Region(card.Bounds()), rig.palette, &unknown);
  EXPECT_TRUE(unknown);
}

TEST(Sprites, MasksAndFirstFramesDrawOnlyWhereTheyShould) {
  std::vector<uint8_t> bytes = testing::SpriteBytes({{2, 3}}, {Picture(0xFF0000)});
  std::vector<uint8_t> mask = Mask();
  bytes.insert(bytes.end(), mask.begin(), mask.end());
  gfx::Bitmap card;
  card.Create(10, 10, 32);
  gfx::DrawTarget target(card);
  DrawAnimationFirstFrame(target, {}, bytes, gfx::Region(card.Bounds()), Rig().palette);
  EXPECT_EQ(card.Get(2, 3), 0xFF0000u);  // the mask's one set bit
  EXPECT_EQ(card.Get(3, 3), 0u);
  // A path animation's first frame only with flag 0x0002, and kept to the card area.
  card.Create(10, 10, 32);
  gfx::Region card_area(Rect{0, 0, 5, 10});
  DrawAnimationFirstFrame(target, {3, 0, 7, 2}, PathAnimationBytes(Frames({Solid(9)})), card_area,
                          Rig().palette);
  EXPECT_EQ(card.Get(3, 0), 0u);
  DrawAnimationFirstFrame(target, {3, 0, 7, 2},
                          PathAnimationBytes(Frames({Solid(9)}, 1, pathanim::kFirstFrameInCard)),
                          card_area, Rig().palette);
  EXPECT_EQ(card.Get(4, 1), 0x090000u);
  EXPECT_EQ(card.Get(5, 1), 0u);
}

}  // namespace
}  // namespace corvida
