#include "engine/render.h"

#include <gtest/gtest.h>

#include "stackfile/pixpak.h"
#include "tests/engine/card_fixture.h"
#include "tests/support/test_support.h"

namespace corvida {
namespace {

using testing::ButtonRecord;
using testing::ButtonSpec;

constexpr gfx::Rgb kRed{255, 0, 0};
constexpr gfx::Rgb kGreen{0, 255, 0};
constexpr gfx::Rgb kBlue{0, 0, 255};
constexpr gfx::Rgb kYellow{255, 255, 0};

ButtonSpec Plain(uint16_t id, Rect rect, uint16_t colour, uint16_t style = 2) {
  ButtonSpec b;
  b.id = id;
  b.rect = rect;
  b.button_colour = colour + 1;  // records hold 1-based colours
  b.style = style;
  return b;
}

class Render : public testing::CardFixture {
 protected:
  Render() : view(handles, stack, Services()) {}
  RenderServices Services() {
    RenderServices s;
    s.fonts = platform.platform->fonts();
    return s;
  }
  gfx::Rgb At(const gfx::Bitmap& b, int x, int y) { return b.ColorAt(x, y, &view.palette()); }
  gfx::Bitmap Shown(Handle card) {
    EXPECT_TRUE(view.ShowCard(card, 3, 8, true, &screen));
    return screen.last_image;
  }

  testing::TestPlatform platform;
  CardView view;
  testing::RecordingScreen screen;
};

TEST_F(Render, SharedBackgroundPictureUnderEachCardsOwnObjects) {
  AddBackground(10, 1, 2);
  Handle a = AddCard(11, card::kKindShared, 10, {ButtonRecord(Plain(1, {20, 20, 60, 50}, 3))});
  Handle b = AddCard(12, card::kKindShared, 10, {ButtonRecord(Plain(2, {100, 70, 140, 100}, 4))});

  gfx::Bitmap shown_a = Shown(a);
  EXPECT_EQ(screen.runs.back().full_card, true);
  EXPECT_EQ(screen.prepared, 1);
  EXPECT_EQ(At(shown_a, 5, 5), kRed);      // the background's top half
  EXPECT_EQ(At(shown_a, 5, 100), kGreen);  // and bottom half
  EXPECT_EQ(At(shown_a, 40, 35), kBlue);   // card a's button
  EXPECT_EQ(At(shown_a, 120, 85), kGreen);
  // Between drawings the offscreen bitmap holds the picture alone.
  EXPECT_EQ(At(view.offscreen(), 40, 35), kRed);

  gfx::Bitmap shown_b = Shown(b);
  EXPECT_EQ(At(shown_b, 5, 5), kRed);
  EXPECT_EQ(At(shown_b, 40, 35), kRed);
  EXPECT_EQ(At(shown_b, 120, 85), kYellow);
  EXPECT_EQ(view.display_list().size(), 1u);
}

TEST_F(Render, CardWithoutPictureIsWhite) {
  Handle c = AddCard(1, card::kKindCard, 1);
  EXPECT_EQ(At(Shown(c), 10, 10), gfx::kWhite);
}

TEST_F(Render, HiddenAndDeletedObjectsGetNoItem) {
  ButtonSpec hidden = Plain(2, {60, 10, 90, 30}, 4);
  hidden.flags = object::kFlagHidden;
  ButtonSpec deleted = Plain(3, {100, 10, 130, 30}, 5);
  deleted.flags = object::kFlagDeleted;
  AddBackground(10, 1, 2, {ButtonRecord(Plain(9, {0, 0, 10, 10}, 6))});  // not shared
  Handle c = AddCard(
      11, card::kKindShared, 10,
      {ButtonRecord(Plain(1, {10, 10, 40, 30}, 3)), ButtonRecord(hidden), ButtonRecord(deleted)});
  gfx::Bitmap shown = Shown(c);
  ASSERT_EQ(view.display_list().size(), 1u);
  EXPECT_EQ(At(shown, 75, 20), kRed);
  EXPECT_EQ(At(shown, 115, 20), kRed);
  EXPECT_EQ(At(shown, 5, 5), kRed);

  view.options().show_hidden_buttons = true;
  shown = Shown(c);
  EXPECT_EQ(view.display_list().size(), 2u);
  EXPECT_EQ(At(shown, 75, 20), kYellow);
  // The card area excludes the items.
  EXPECT_FALSE(view.card_area().Contains({75, 20}));
  EXPECT_TRUE(view.card_area().Contains({115, 20}));
}

TEST_F(Render, TopmostItemIsDrawnLast) {
  AddBackground(10, 1, 2);
  Handle c = AddCard(
      11, card::kKindShared, 10,
      {ButtonRecord(Plain(1, {10, 10, 60, 60}, 3)), ButtonRecord(Plain(2, {40, 40, 90, 90}, 4))});
  gfx::Bitmap shown = Shown(c);
  EXPECT_EQ(At(shown, 50, 50), kYellow);
  EXPECT_EQ(At(shown, 20, 20), kBlue);

  // Only the items below the pivot.
  gfx::Bitmap partial = view.offscreen();
  gfx::DrawTarget target(partial);
  view.DrawItems(target, partial.Bounds(), &view.display_list()[1], true);
  EXPECT_EQ(At(partial, 50, 50), kBlue);
}

TEST_F(Render, RedrawObjectRepaintsOldAndNewRectangles) {
  AddBackground(10, 1, 2);
  Handle c = AddCard(
      11, card::kKindShared, 10,
      {ButtonRecord(Plain(1, {10, 10, 40, 30}, 3)), ButtonRecord(Plain(2, {100, 10, 130, 30}, 4))});
  Shown(c);
  {
    LockedHandle bytes(handles, c);
    PutRect(bytes.data() + card::kHeaderSize + object::kRect, {50, 20, 80, 40});
  }
  screen.runs.clear();
  ASSERT_TRUE(view.RedrawObject(object::kButton, 1, 3, 8, true, &screen));
  ASSERT_EQ(screen.runs.size(), 1u);
  EXPECT_TRUE(screen.runs[0].direct);
  EXPECT_EQ(screen.runs[0].target, (Rect{10, 10, 80, 40}));
  EXPECT_EQ(At(screen.last_image, 15, 15), kRed);   // the old place shows the picture
  EXPECT_EQ(At(screen.last_image, 70, 30), kBlue);  // the new place the button
  EXPECT_EQ(At(screen.last_image, 115, 20), kYellow);
  EXPECT_EQ(view.display_list()[0].id, 1);  // keeps its layer

  // Hiding a button: only its rectangle is repainted, through the transition.
  {
    LockedHandle bytes(handles, c);
    Put16(bytes.data() + card::kHeaderSize + object::kFlags, object::kFlagHidden);
  }
  screen.runs.clear();
  ASSERT_TRUE(view.RedrawObject(object::kButton, 1, 7, 16, false, &screen));
  EXPECT_FALSE(screen.runs[0].direct);
  EXPECT_FALSE(screen.runs[0].full_card);
  EXPECT_EQ(screen.runs[0].target, (Rect{50, 20, 80, 40}));
  EXPECT_EQ(At(screen.last_image, 70, 30), kRed);
  EXPECT_EQ(view.display_list().size(), 1u);
  EXPECT_FALSE(view.RedrawObject(object::kButton, 77, 3, 8, true, &screen));
}

// An object drawn anew keeps its layer among the objects shown, whatever hidden objects
// lie below it, and a hidden object shown again goes back to its own layer.
TEST_F(Render, RedrawnObjectsKeepTheirLayerPastHiddenOnes) {
  ButtonSpec hidden = Plain(1, {0, 0, 8, 8}, 5);
  hidden.flags = object::kFlagHidden;
  AddBackground(10, 1, 2);
  Handle c = AddCard(11, card::kKindShared, 10,
                     {ButtonRecord(hidden), ButtonRecord(Plain(2, {10, 10, 60, 60}, 3)),
                      ButtonRecord(Plain(3, {40, 40, 90, 90}, 4))});
  Shown(c);
  auto ids = [&] {
    std::vector<int> out;
    for (size_t i = 0; i < view.display_list().size(); ++i)
      out.push_back(view.display_list()[i].id);
    return out;
  };
  ASSERT_EQ(ids(), (std::vector<int>{2, 3}));
  ASSERT_TRUE(view.RedrawObject(object::kButton, 2, 3, 8, true, &screen));
  EXPECT_EQ(ids(), (std::vector<int>{2, 3}));
  EXPECT_EQ(At(screen.last_image, 50, 50), kYellow);  // button 3 stays on top
  {
    LockedHandle bytes(handles, c);
    Put16(bytes.data() + card::kHeaderSize + object::kFlags, 0);
  }
  ASSERT_TRUE(view.RedrawObject(object::kButton, 1, 3, 8, true, &screen));
  EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
}

TEST_F(Render, ButtonStylesPixels) {
  AddBackground(10, 1, 2);
  Handle c = AddCard(11, card::kKindShared, 10,
                     {ButtonRecord(Plain(1, {10, 10, 40, 40}, 3, 2)),
                      ButtonRecord(Plain(2, {50, 10, 80, 40}, 3, 3)),
                      ButtonRecord(Plain(3, {90, 10, 120, 40}, 3, 4))});
  gfx::Bitmap shown = Shown(c);
  // Style 2: black frame around the button colour.
  EXPECT_EQ(At(shown, 10, 10), gfx::kBlack);
  EXPECT_EQ(At(shown, 39, 39), gfx::kBlack);
  EXPECT_EQ(At(shown, 25, 25), kBlue);
  // Style 3: shortened by 2 with a shadow pair along the right and bottom.
  EXPECT_EQ(At(shown, 77, 20), gfx::kBlack);
  EXPECT_EQ(At(shown, 79, 20), gfx::kBlack);
  EXPECT_EQ(At(shown, 79, 10), kRed);
  EXPECT_EQ(At(shown, 50, 39), kRed);
  EXPECT_EQ(At(shown, 60, 20), kBlue);
  // Style 4 draws nothing, until the outlines are shown.
  EXPECT_EQ(At(shown, 90, 10), kRed);
  view.options().outlines_shown = true;
  gfx::Bitmap outlined;
  view.Compose(outlined);
  EXPECT_NE(outlined.ColorAt(90, 10, &view.palette()), kRed);
  EXPECT_EQ(outlined.ColorAt(100, 20, &view.palette()), kRed);
}

TEST_F(Render, ObjectColourNoneAndBeyondPaletteAreBlack) {
  AddBackground(10, 1, 2);
  Shown(AddCard(11, card::kKindShared, 10));
  EXPECT_EQ(view.ObjectColour(-1), gfx::kBlack);
  EXPECT_EQ(view.ObjectColour(1), kRed);
  EXPECT_EQ(view.ObjectColour(300), gfx::kBlack);
}

TEST_F(Render, GraphicWithMaskKeepsTheCardWhereTransparent) {
  gfx::Bitmap pic;
  pic.Create(20, 20, 8);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) pic.Set(x, y, 3);
  std::vector<uint8_t> block = EncodePixPak(pic, testing::TestPalette());
  ASSERT_FALSE(block.empty());

  RecordBytes masked = testing::GraphicRecord(1, {40, 20, 60, 40});
  masked.insert(masked.end(), block.begin(), block.end());
  // Mask: width, height, two fields, then rows of 4 bytes with the left 10 pixels set.
  RecordBytes mask = {20, 0, 20, 0, 0, 0, 0, 0};
  for (int y = 0; y < 20; ++y) mask.insert(mask.end(), {0xFF, 0xC0, 0, 0});
  masked.insert(masked.end(), mask.begin(), mask.end());
  Put16(masked.data() + graphic::kGraphicFlags, graphic::kFlagMask);
  Put32(masked.data() + graphic::kMaskLength, static_cast<uint32_t>(mask.size()));
  Put32(masked.data() + object::kLength, static_cast<uint32_t>(masked.size()));

  RecordBytes framed = testing::GraphicRecord(2, {80, 20, 120, 60});
  framed.insert(framed.end(), block.begin(), block.end());
  Put32(framed.data() + object::kLength, static_cast<uint32_t>(framed.size()));
  Put16(framed.data() + graphic::kFrameWidth, 2);
  Put16(framed.data() + graphic::kFrameColor, 5);  // entry 4, yellow

  AddBackground(10, 1, 2);
  gfx::Bitmap shown = Shown(AddCard(11, card::kKindShared, 10, {masked, framed}));
  EXPECT_EQ(At(shown, 42, 30), kBlue);
  EXPECT_EQ(At(shown, 55, 30), kRed);
  EXPECT_TRUE(view.display_list()[0].region.Contains({42, 30}));
  EXPECT_FALSE(view.display_list()[0].region.Contains({55, 30}));
  // Stretched into its larger rectangle, framed inside by the frame width.
  EXPECT_EQ(At(shown, 100, 40), kBlue);
  EXPECT_EQ(At(shown, 81, 40), kYellow);
  EXPECT_EQ(At(shown, 82, 40), kYellow);
  EXPECT_EQ(At(shown, 80, 40), kBlue);
}

TEST_F(Render, MaskShorterThanItsRowsIsNotBuilt) {
  RecordBytes g = testing::GraphicRecord(1, {40, 20, 60, 40});
  RecordBytes mask = {20, 0, 20, 0, 0, 0, 0, 0, 0xFF, 0xFF};  // one row of twenty
  g.insert(g.end(), mask.begin(), mask.end());
  Put16(g.data() + graphic::kGraphicFlags, graphic::kFlagMask);
  Put32(g.data() + graphic::kMaskLength, static_cast<uint32_t>(mask.size()));
  Put32(g.data() + object::kLength, static_cast<uint32_t>(g.size()));
  AddBackground(10, 1, 2);
  Shown(AddCard(11, card::kKindShared, 10, {g}));
  ASSERT_EQ(view.display_list().size(), 1u);
  EXPECT_TRUE(view.display_list()[0].graphic.mask.empty());
}

TEST_F(Render, ButtonNameIsDrawnInTheTextColour) {
  if (!platform.platform->fonts()->has_faces()) GTEST_SKIP() << "no font faces installed";
  ButtonSpec named = Plain(1, {10, 10, 150, 60}, 4);
  named.name = "Next";
  named.display = 0x08;
  named.text_colour = 4;  // entry 3, blue
  AddBackground(10, 1, 2);
  gfx::Bitmap shown = Shown(AddCard(11, card::kKindShared, 10, {ButtonRecord(named)}));
  int blue = 0, blue_top = 99, blue_bottom = 0;
  for (int y = 10; y < 60; ++y)
    for (int x = 10; x < 150; ++x)
      if (At(shown, x, y) == kBlue) {
        ++blue;
        blue_top = std::min(blue_top, y);
        blue_bottom = std::max(blue_bottom, y);
      }
  EXPECT_GT(blue, 20);
  // Roughly centred vertically.
  EXPECT_NEAR((blue_top + blue_bottom) / 2.0, 35, 4);
}

TEST_F(Render, RepaintCopiesThePictureAndDrawsItems) {
  AddBackground(10, 1, 2);
  Shown(AddCard(11, card::kKindShared, 10, {ButtonRecord(Plain(1, {10, 10, 40, 30}, 3))}));
  gfx::Bitmap window;
  window.Create(kWidth, kHeight, 32);
  gfx::DrawTarget target(window);
  target.state().palette = &view.palette();
  view.Repaint(target, {0, 0, 30, 20});
  EXPECT_EQ(window.ColorAt(5, 5), kRed);
  EXPECT_EQ(window.ColorAt(20, 15), kBlue);
  EXPECT_EQ(window.ColorAt(35, 25), gfx::kBlack);  // outside the rectangle: untouched
}

// First frames come in two layers: those under the objects become part of the card
// picture, so every later drawing (a repaint, a redrawn object) keeps them with the
// objects above; the others are drawn over the composed card.
class TwoLayers : public FirstFramePainter {
 public:
  void DrawFramesUnderObjects(gfx::DrawTarget& picture, Bytes, const gfx::Region&) override {
    picture.FillRect({0, 0, 60, 60}, gfx::Color::Index(4));  // yellow
  }
  void DrawFirstFrames(gfx::DrawTarget& target, Bytes, const gfx::Region&) override {
    target.FillRect({100, 70, 120, 90}, gfx::Color::Index(6));  // magenta
  }
};

TEST_F(Render, FirstFramesUnderTheObjectsArePartOfTheCardPicture) {
  constexpr gfx::Rgb kMagenta{255, 0, 255};
  TwoLayers frames;
  RenderServices services = Services();
  services.first_frames = &frames;
  CardView layered(handles, stack, services);
  AddBackground(10, 1, 2);
  Handle card = AddCard(11, card::kKindShared, 10,
                        {ButtonRecord(Plain(1, {10, 10, 40, 30}, 3)),
                         ButtonRecord(Plain(2, {110, 80, 140, 110}, 5))});
  ASSERT_TRUE(layered.ShowCard(card, 3, 8, true, &screen));
  const gfx::Palette& palette = layered.palette();
  struct Case {
    int x, y;
    gfx::Rgb shown;
  } cases[] = {
      {5, 5, kYellow},      // a frame under the objects
      {20, 20, kBlue},      // a button above it
      {5, 100, kGreen},     // the picture beside it
      {105, 75, kMagenta},  // a frame over the objects
      {115, 85, kMagenta},  // over a button too
      {130, 100, {0, 255, 255}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(screen.last_image.ColorAt(c.x, c.y, &palette), c.shown) << c.x << "," << c.y;
  EXPECT_EQ(layered.offscreen().ColorAt(20, 20, &palette), kYellow);
  // A repaint starts from the card picture: the frame under the objects is there.
  gfx::Bitmap window;
  window.Create(kWidth, kHeight, 32);
  gfx::DrawTarget target(window);
  target.state().palette = &palette;
  layered.Repaint(target, {0, 0, 60, 60});
  EXPECT_EQ(window.ColorAt(5, 5), kYellow);
  EXPECT_EQ(window.ColorAt(20, 20), kBlue);
}

}  // namespace
}  // namespace corvida
