// corvida render and corvida sheet on a stack written by the test.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/picture.h"
#include "stackfile/cardpicture.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"
#include "tests/support/test_support.h"

namespace corvida::render_test {
namespace {

using testing::RunCorvida;

constexpr int kWidth = 200;
constexpr int kHeight = 150;

// A stack of a red-and-green background and two cards sharing it, the second with a
// blue button; saved to `path`.
void WriteStack(const std::string& path) {
  RecordingAlertResponder alerts;
  Handles handles;
  Stack stack(handles);
  ASSERT_EQ(stack.CreateNew(kWidth, kHeight, 8), 0);
  gfx::Palette palette;
  palette.count = 256;
  palette.Set(0, gfx::kWhite);
  palette.Set(1, {255, 0, 0});
  palette.Set(2, {0, 255, 0});
  palette.Set(3, {0, 0, 255});
  palette.Set(255, gfx::kBlack);
  gfx::Bitmap picture;
  picture.Create(kWidth, kHeight, 8);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) picture.Set(x, y, y < kHeight / 2 ? 1 : 2);

  std::vector<RecordBytes> cards;
  cards.push_back(NewCardRecord(1, card::kKindBackground, 0, EncodeCardPicture(picture, palette)));
  cards.push_back(NewCardRecord(2, card::kKindShared, 1));
  PutCountedName(cards.back().data() + card::kName, card::kNameField, "Plain");
  cards.push_back(NewCardRecord(3, card::kKindShared, 1));
  RecordBytes button = NewObject(object::kButton, 5, {50, 50, 150, 100}, 0, kButtonRecordSize);
  Put16(button.data() + button::kStyle, 2);
  Put16(button.data() + button::kButtonColor, 4);
  AppendObject(cards.back(), button);
  for (auto& c : cards) ASSERT_TRUE(stack.AddCard(HandleFromBytes(handles, c), stack.CardCount()));
  ASSERT_TRUE(stack.Save(path).saved());
}

gfx::Rgb Pixel(const DecodedPicture& p, int x, int y) {
  if (p.indexed()) {
    const auto& e = p.palette.at(p.pixels[size_t(y) * p.stride() + size_t(x)]);
    return {e.r, e.g, e.b};
  }
  const uint8_t* px = p.pixels.data() + size_t(y) * p.stride() + size_t(x) * 4;
  return {px[0], px[1], px[2]};
}

TEST(RenderCommand, DrawsTheCardWithItsObjects) {
  testing::TempDir dir;
  WriteStack(dir.File("s.stk"));
  auto result = RunCorvida({"render", dir.File("s.stk"), "--card", "3", "-o", dir.File("c.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  DecodedPicture image = testing::ReadPictureFile(dir.File("c.png"));
  ASSERT_EQ(image.width, kWidth);
  ASSERT_EQ(image.height, kHeight);
  EXPECT_EQ(Pixel(image, 10, 10), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(image, 10, 140), (gfx::Rgb{0, 255, 0}));
  EXPECT_EQ(Pixel(image, 100, 60), (gfx::Rgb{0, 0, 255}));
  EXPECT_EQ(Pixel(image, 50, 50), (gfx::Rgb{0, 0, 0}));

  result = RunCorvida(
      {"render", dir.File("s.stk"), "--card", "3", "--no-objects", "-o", dir.File("p.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Pixel(testing::ReadPictureFile(dir.File("p.png")), 100, 60), (gfx::Rgb{255, 0, 0}));
}

TEST(RenderCommand, RefusesWhatItCannotDraw) {
  testing::TempDir dir;
  WriteStack(dir.File("s.stk"));
  EXPECT_EQ(
      RunCorvida({"render", dir.File("s.stk"), "--card", "9", "-o", dir.File("c.png")}).status, 1);
  EXPECT_EQ(RunCorvida({"render", dir.File("none.stk"), "-o", dir.File("c.png")}).status, 1);
  dir.Write("junk.stk", std::string(300, 'x'));
  auto junk = RunCorvida({"render", dir.File("junk.stk"), "-o", dir.File("c.png")});
  EXPECT_EQ(junk.status, 1);
  EXPECT_FALSE(junk.err.empty());
  EXPECT_EQ(RunCorvida({"render", dir.File("s.stk"), "--card", "x", "-o", "c.png"}).status, 2);
  EXPECT_EQ(RunCorvida({"render", dir.File("s.stk")}).status, 2);
}

TEST(SheetCommand, DrawsEveryCardAsALabelledThumbnail) {
  testing::TempDir dir;
  WriteStack(dir.File("s.stk"));
  auto result =
      RunCorvida({"sheet", dir.File("s.stk"), "--width", "100", "-o", dir.File("sheet.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("3 cards"), std::string::npos);
  DecodedPicture sheet = testing::ReadPictureFile(dir.File("sheet.png"));
  // Three thumbnails of 100 x 75 in a row, with gaps and label strips.
  EXPECT_EQ(sheet.width, 3 * (100 + 12) + 12);
  EXPECT_EQ(sheet.height, 75 + 20 + 2 * 12);
  EXPECT_EQ(Pixel(sheet, 12 + 5, 12 + 5), (gfx::Rgb{255, 0, 0}));
  EXPECT_EQ(Pixel(sheet, 12 + 2 * 112 + 50, 12 + 30), (gfx::Rgb{0, 0, 255}));  // card 3's button
  EXPECT_EQ(Pixel(sheet, 12 + 112 + 50, 12 + 30), (gfx::Rgb{255, 0, 0}));
}

}  // namespace
}  // namespace corvida::render_test

namespace corvida::render_test {
namespace {

TEST(DemoStack, BuildsAndShowsItsPictures) {
  testing::TempDir dir;
  auto built = RunCorvida(
      {"build", testing::SourcePath("examples/demo/demo.json"), "-o", dir.File("demo.stk")});
  ASSERT_EQ(built.status, 0) << built.err;
  // The framed portrait is a picture file looked up beside the stack.
  File bmp = File::Open(testing::SourcePath("examples/demo/ladybird.bmp"), File::Mode::kRead);
  std::string bytes(size_t(std::max<int64_t>(bmp.Size(), 0)), '\0');
  bmp.Read(bytes.data(), bytes.size());
  dir.Write("ladybird.bmp", bytes);

  auto result =
      RunCorvida({"render", dir.File("demo.stk"), "--card", "2", "-o", dir.File("c.png")});
  ASSERT_EQ(result.status, 0) << result.err;
  DecodedPicture card = testing::ReadPictureFile(dir.File("c.png"));
  ASSERT_EQ(card.width, 512);
  EXPECT_EQ(Pixel(card, 220, 204), (gfx::Rgb{220, 30, 30}));    // the masked ladybird
  EXPECT_NE(Pixel(card, 202, 152), (gfx::Rgb{255, 255, 255}));  // outside its mask: the sky
  EXPECT_EQ(Pixel(card, 42, 100), (gfx::Rgb{20, 40, 120}));     // the portrait's frame
  EXPECT_EQ(Pixel(card, 48, 110), (gfx::Rgb{220, 30, 30}));     // and its picture

  auto sheet = RunCorvida({"sheet", dir.File("demo.stk"), "-o", dir.File("sheet.png")});
  EXPECT_EQ(sheet.status, 0) << sheet.err;
  EXPECT_NE(sheet.out.find("9 cards"), std::string::npos);
}

}  // namespace
}  // namespace corvida::render_test
