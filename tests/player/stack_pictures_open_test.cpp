// Opening a stack whose every card has a picture of its own: the records are kept as
// stored and no picture is decoded until its card is shown.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gfx/png.h"
#include "player/player_window.h"
#include "player_fixture.h"
#include "stackfile/cardpicture.h"
#include "stackfile/pixpak.h"
#include "stackfile/records_build.h"
#include "support/test_support.h"

namespace corvida {
namespace {

constexpr int kWidth = 160, kHeight = 120, kCards = 40;

// Writes kCards cards, ids 100.., each its own background with a grainy picture.
int64_t WritePicturedStack(const std::string& path) {
  Handles handles;
  Stack stack(handles);
  EXPECT_EQ(stack.CreateNew(kWidth, kHeight, 8), 0);
  gfx::Palette palette = gfx::Palette::Standard();
  for (int i = 0; i < kCards; ++i) {
    gfx::Bitmap picture;
    picture.Create(kWidth, kHeight, 8);
    uint32_t seed = uint32_t(i + 1);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1103515245 + 12345;
        picture.Set(x, y, uint8_t(x / 10 + y / 10 + ((seed >> 28) == 0 ? 1 : 0)));
      }
    RecordBytes card = NewCardRecord(uint16_t(100 + i), card::kKindBackground, 0,
                                     EncodeCardPicture(picture, palette));
    EXPECT_TRUE(stack.AddCard(HandleFromBytes(handles, card), stack.CardCount()));
  }
  EXPECT_TRUE(stack.Save(path).saved());
  std::error_code error;
  return int64_t(std::filesystem::file_size(path, error));
}

TEST(OpenedStackPictures, OpeningDecodesNothingAndEachCardShownDecodesItsOwnPicture) {
  testing::TestPlatform tp;
  const std::string path = tp.root.File("pictured.stk");
  const int64_t file_bytes = WritePicturedStack(path);
  Player player(*tp.platform);
  PlayerWindow window(player);
  const uint64_t before = player.handles.bytes_allocated();
  ASSERT_EQ(window.OpenStack(path), 0);
  const StackPictures& pictures = window.view().stack_pictures();
  EXPECT_EQ(pictures.decodes(), 0u);
  // The records are held packed: about the file's size, far below every picture decoded.
  EXPECT_LT(int64_t(player.handles.bytes_allocated() - before), file_bytes + 64 * 1024);
  EXPECT_LT(file_bytes + 64 * 1024, int64_t(kCards) * kWidth * kHeight * 3 / 4);

  const WindowId id = tp.platform->windows().CreateWindow("test", window.CardSize());
  ASSERT_TRUE(window.Attach(id));
  window.ShowFirstCard();
  EXPECT_EQ(window.view().stack_pictures().decodes(), 1u);
  window.navigation().GoLastCard(0, 8);
  EXPECT_EQ(window.navigation().target_id(), 100 + kCards - 1);
  EXPECT_EQ(window.view().stack_pictures().decodes(), 2u);
  window.navigation().GoFirstCard(0, 8);  // kept from the first showing
  EXPECT_EQ(window.view().stack_pictures().decodes(), 2u);
}

// A graphic's own picture packed in a way the player does not know is drawn as missing
// and told of in the message box of old, once per stack however often the card is drawn.
class UnknownPacking : public testing::PlayerFixture {
 protected:
  // A stack whose graphic's PixPak block says `packing`.
  std::string StackWithPacking(uint16_t packing) {
    gfx::Bitmap image;
    image.Create(8, 8, 32);
    EXPECT_TRUE(gfx::WritePngFile(tp.root.File("pic.png"), image, nullptr));
    const std::string stack = testing::BuildStack(tp.root, R"({
      "stack": {"width": 64, "height": 48},
      "cards": [{"id": 1, "kind": "background", "objects": [
        {"type": "graphic", "id": 2, "rect": [0, 0, 8, 8], "picture": "pic.png"}]},
        {"id": 3, "kind": "shared", "backgroundId": 1}]
    })");
    std::string bytes = tp.root.Read("five.stk");
    const size_t magic = bytes.find("PPak");
    EXPECT_NE(magic, std::string::npos);
    bytes[magic + 24] = char(packing >> 8);
    bytes[magic + 25] = char(packing & 0xFF);
    tp.root.Write("five.stk", bytes);
    return stack;
  }
  int Boxes() {
    int boxes = 0;
    for (const AlertRequest& a : tp.platform->responder().shown())
      if (a.id == -1 && a.text == std::string(kUnknownPackingTitle) + ": " + kUnknownPackingText)
        ++boxes;
    return boxes;
  }
};

TEST_F(UnknownPacking, IsToldOncePerStack) {
  struct Case {
    uint16_t packing;
    int boxes;
  } cases[] = {{pixpak::kRowBlocks, 0}, {5, 1}, {0, 1}, {7, 1}};
  for (const Case& c : cases) {
    tp.platform->responder().Clear();
    Open(StackWithPacking(c.packing));
    Settle();
    EXPECT_EQ(Boxes(), c.boxes) << c.packing;
    window->navigation().GoNextCard(0, 8);  // the shared card draws the graphic again
    window->navigation().GoFirstCard(0, 8);
    Settle();
    EXPECT_EQ(Boxes(), c.boxes) << c.packing;
  }
}

}  // namespace
}  // namespace corvida
