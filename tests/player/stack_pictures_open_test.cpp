// Opening a stack whose every card has a picture of its own: the records are kept as
// stored and no picture is decoded until its card is shown.
#include <gtest/gtest.h>

#include <filesystem>

#include "player/player_window.h"
#include "stackfile/cardpicture.h"
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

}  // namespace
}  // namespace corvida
