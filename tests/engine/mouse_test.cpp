// Mouse handling on a card view: highlights drawn on the screen image, drags and drops.
#include "engine/mouse.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/font_names.h"
#include "stackfile/actions.h"
#include "stackfile/records_access.h"
#include "tests/engine/card_fixture.h"
#include "tests/engine/recording_action_host.h"

namespace corvida {
namespace {

using testing::ButtonRecord;
using testing::ButtonSpec;

class Mouse : public testing::CardFixture, public MouseHost {
 protected:
  CardView* ShownView() override { return &view; }
  Handle ShownCard() override { return card; }
  bool PressField(DisplayItem&, Point, const Message&) override { return false; }
  void PresentScreen() override {}
  void RecomposeCard() override { ++recomposed; }

  void Show(const std::vector<RecordBytes>& objects) {
    card = AddCard(1, card::kKindCard, 0, objects);
    view.BuildDisplayList(card);
    screen.Create(kWidth, kHeight, 8);
    std::fill(screen.data(), screen.data() + screen.byte_size(), uint8_t(0));
    host.card = card;
    executor = std::make_unique<ActionExecutor>(stack, handles, windows, clock, media, host);
    mouse = std::make_unique<MouseHandler>(stack, handles, windows, fonts.get(), screen, *executor,
                                           *this);
  }
  std::vector<uint8_t> Pixels() const {
    return std::vector<uint8_t>(screen.data(), screen.data() + screen.byte_size());
  }
  int Changed(const std::vector<uint8_t>& before) const {
    int n = 0;
    for (size_t i = 0; i < before.size(); ++i) n += before[i] != screen.data()[i];
    return n;
  }

  VirtualClock clock;
  HeadlessWindowSystem windows{clock};
  std::unique_ptr<FontService> fonts = CreateFontService(DefaultFontFolders("", ""));
  MediaHooks media;
  CardView view{handles, stack};
  gfx::Bitmap screen;
  Handle card = 0;
  int recomposed = 0;
  std::vector<std::string> events;
  testing::RecordingActionHost host{events};
  std::unique_ptr<ActionExecutor> executor;
  std::unique_ptr<MouseHandler> mouse;
};

TEST_F(Mouse, HighlightsInvertTheirShapeAndDrawingTwiceRemovesThem) {
  ButtonSpec framed, clear;
  framed.rect = {10, 10, 40, 30};
  clear.id = 2, clear.rect = {50, 10, 80, 30}, clear.style = 4;
  // A labelled transparent button far larger than the card, its name at the card's corner:
  // what shows of the name is inverted, in place.
  ButtonSpec giant;
  giant.id = 3, giant.rect = {-30000, -30000, 30040, 30020}, giant.style = 4;
  giant.display = 0x08, giant.name = "Giant";
  Show({ButtonRecord(framed), ButtonRecord(clear), ButtonRecord(giant)});
  auto before = Pixels();
  mouse->ToggleHighlight(1);
  EXPECT_EQ(Changed(before), 30 * 20);
  mouse->ToggleHighlight(1);
  EXPECT_EQ(Pixels(), before);
  mouse->ToggleHighlight(2);
  EXPECT_EQ(Changed(before), 30 * 20);
  mouse->ToggleHighlight(2);
  mouse->ToggleHighlight(3);
  EXPECT_GT(Changed(before), 20);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (screen.Get(x, y) != 0) {
        EXPECT_TRUE(x < 40 && y < 20) << x << "," << y;
      }
  mouse->ToggleHighlight(3);
  EXPECT_EQ(Pixels(), before);
}

TEST_F(Mouse, ADroppedGraphicKeepsItsNewPlaceAndTheOutlineIsGone) {
  RecordBytes graphic = testing::GraphicRecord(5, {10, 60, 30, 80}, object::kFlagRollover, "Cat");
  ButtonSpec target;
  target.id = 4, target.rect = {100, 60, 140, 100}, target.flags = object::kFlagDropTarget;
  Show({graphic, ButtonRecord(target)});
  auto before = Pixels();
  Message press{0, msg::kLButtonDown, 0, 0, 0};
  mouse->Press({15, 65}, press);
  EXPECT_TRUE(mouse->dragging());
  EXPECT_EQ(Changed(before), int(RegionOutline(gfx::Region(Rect{10, 60, 30, 80})).Area()));
  mouse->Move({115, 75});
  mouse->Release({115, 75});
  EXPECT_FALSE(mouse->dragging());
  EXPECT_EQ(Pixels(), before);  // no outline left behind
  EXPECT_EQ(recomposed, 1);     // the card is composed again with the graphic moved
  EXPECT_EQ(view.display_list().Find(object::kGraphic, 5)->rect, (Rect{110, 70, 130, 90}));
  ObjectRef obj = FindObjectById(stack, handles, card, object::kGraphic, 5);
  EXPECT_EQ(ObjectRect(handles, obj), (Rect{110, 70, 130, 90}));
  EXPECT_EQ(host.log, (std::vector<std::string>{"button 4 \"\""}));
  EXPECT_EQ(mouse->last_graphic_name(), "Cat");
}

}  // namespace
}  // namespace corvida
