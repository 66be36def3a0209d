// Picture files of every format decoded to known pixels, and decoded pictures turned
// into bitmaps.
#include "platform/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture_files.h"
#include "platform/gfx/bitmap.h"

namespace corvida::picture_test {
namespace {

using testing::Bytes;

PictureStatus Decode(const Bytes& b, DecodedPicture& out, std::string_view name = "") {
  return ImagePictureDecoder().Decode(b, name, out);
}

Bytes Rgba(std::initializer_list<gfx::Rgb> colours) {
  Bytes out;
  for (gfx::Rgb c : colours) out.insert(out.end(), {c.r, c.g, c.b, 255});
  return out;
}

std::vector<gfx::Rgb> Grey() {
  std::vector<gfx::Rgb> grey(256);
  for (int i = 0; i < 256; ++i) grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
  return grey;
}

struct KnownPicture {
  const char* what;
  Bytes file;
  const char* name;
  int width, height, bits;
  Bytes pixels;  // indices, or R, G, B, A
  std::vector<std::pair<int, gfx::Rgb>> palette = {};
  int transparent = -1;
};

constexpr gfx::Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};
constexpr gfx::Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

std::vector<KnownPicture> KnownPictures() {
  using namespace testing;
  const uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
  Bytes rle8 = {3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 1};  // a run, end of line, literals, end
  std::vector<uint8_t> map = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0};
  Bytes pcx_without_palette = PcxFile();
  pcx_without_palette.resize(pcx_without_palette.size() - 769);
  return {
      {"1-bit BMP",
       BmpFile(9, 2, 1, {kBlack, {255, 255, 0}},
               {1, 0, 0, 0, 0, 0, 0, 0, 1,  //
                0, 1, 0, 0, 0, 0, 0, 0, 0}),
       "",
       9,
       2,
       1,
       {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0},
       {{1, {255, 255, 0}}}},
      {"8-bit BMP",
       BmpFile(3, 1, 8, Grey(), {200, 17, 255}),
       "",
       3,
       1,
       8,
       {200, 17, 255},
       {{17, {17, 17, 17}}}},
      {"24-bit BMP",
       BmpFile(2, 1, 24, {}, {10, 20, 30, 40, 50, 60}),
       "",
       2,
       1,
       32,
       {10, 20, 30, 255, 40, 50, 60, 255}},
      {"run-length BMP",
       BmpRle8File(3, 2, rle8),
       "",
       3,
       2,
       8,
       {2, 3, 1, 1, 1, 1},
       {{2, {160, 0, 0}}}},
      {"masked 32-bit BMP",
       BmpMaskedFile(2, 1, masks, {0x80102030, 0xFF0000FF}),
       "",
       2,
       1,
       32,
       {0x10, 0x20, 0x30, 0x80, 0, 0, 255, 255}},
      {"GIF", GifFile(), "", 2, 2, 4, {0, 1, 2, 3}, {{2, kBlue}}, 3},
      {"TGA", TgaFile(2), "C:\\ART\\CAR.TGA", 2, 1, 32, Rgba({kRed, kGreen})},
      {"run-length TGA", TgaFile(10), "car.tga", 2, 1, 32, Rgba({kRed, kGreen})},
      {"colour-mapped TGA",
       TgaMappedFile(),
       "map.tga",
       3,
       2,
       8,
       {0, 1, 2, 2, 2, 2},
       {{0, kRed}, {1, kGreen}, {2, kBlue}}},
      {"TIFF", TiffFile(), "", 2, 1, 32, Rgba({kBlue, kWhite})},
      {"8-bit PCX", PcxFile(), "", 3, 1, 8, {7, 7, 9}, {{9, {9, 246, 0}}}},
      {"8-bit PCX without its palette",
       pcx_without_palette,
       "",
       3,
       1,
       8,
       {7, 7, 9},
       {{9, {9, 9, 9}}}},
      {"24-bit PCX", PcxRgbFile(), "", 2, 1, 32, Rgba({kRed, kBlue})},
      {"PICT bitmap", PictV1BitmapFile(false), "", 4, 2, 32,
       Rgba({kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack})},
      {"PICT file", PictV1BitmapFile(true), "", 4, 2, 32,
       Rgba({kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack})},
      {"PICT stopping at a line", PictStoppingFile(), "", 4, 2, 32,
       Rgba({kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack})},
      {"PICT pixmap", PictV2PixmapFile(), "", 8, 1, 32,
       Rgba({{0, 0, 255},
             {30, 0, 225},
             {60, 0, 195},
             {90, 0, 165},
             {120, 0, 135},
             {150, 0, 105},
             {180, 0, 75},
             {210, 0, 45}})},
      {"PICT direct pixmap", PictV2DirectFile(), "", 8, 1, 32,
       Rgba({{0, 100, 200},
             {10, 100, 200},
             {20, 100, 200},
             {30, 100, 200},
             {40, 100, 200},
             {50, 100, 200},
             {60, 100, 200},
             {70, 100, 200}})},
      {"PNG",
       PngFile(2, 1, {200, 100, 50, 0, 1, 2, 3, 255}),
       "",
       2,
       1,
       32,
       {200, 100, 50, 0, 1, 2, 3, 255}},
      {"palette PNG",
       PngPaletteFile(3, 1, {2, 0, 1}, map),
       "",
       3,
       1,
       8,
       {2, 0, 1},
       {{0, kRed}, {1, kGreen}},
       2},
  };
}

TEST(Pictures, EveryFormatDecodesToItsPixels) {
  for (const KnownPicture& known : KnownPictures()) {
    SCOPED_TRACE(known.what);
    DecodedPicture p;
    ASSERT_FALSE(known.file.empty());
    ASSERT_EQ(Decode(known.file, p, known.name), PictureStatus::kOk);
    EXPECT_EQ(p.width, known.width);
    EXPECT_EQ(p.height, known.height);
    EXPECT_EQ(p.bits, known.bits);
    EXPECT_EQ(p.pixels, known.pixels);
    for (auto [index, colour] : known.palette) {
      ASSERT_LT(size_t(index), p.palette.size());
      EXPECT_EQ(p.palette[index], colour) << index;
    }
    EXPECT_EQ(p.transparent_index, known.transparent);
  }
}

TEST(Pictures, JpegDecodesNearItsColours) {
  Bytes rgba;
  for (int i = 0; i < 16 * 8; ++i) rgba.insert(rgba.end(), {200, 100, 50, 255});
  DecodedPicture p;
  ASSERT_EQ(Decode(testing::JpegFile(16, 8, rgba), p), PictureStatus::kOk);
  EXPECT_EQ(p.width, 16);
  EXPECT_EQ(p.height, 8);
  EXPECT_EQ(p.bits, 32);
  EXPECT_NEAR(p.pixels[40], 200, 6);
  EXPECT_NEAR(p.pixels[41], 100, 6);
  EXPECT_EQ(p.pixels[43], 255);
}

TEST(Pictures, BecomeBitmapsOfTheirOwnDepth) {
  using testing::BmpFile;
  DecodedPicture p;
  gfx::Bitmap bitmap;
  ASSERT_EQ(Decode(BmpFile(9, 1, 1, {kBlack, {255, 255, 0}}, {1, 0, 0, 0, 0, 0, 0, 0, 1}), p),
            PictureStatus::kOk);
  ASSERT_TRUE(PictureToBitmap(p, bitmap));
  EXPECT_EQ(bitmap.depth(), 1);
  EXPECT_EQ(bitmap.ColorAt(0, 0), (gfx::Rgb{255, 255, 0}));
  EXPECT_EQ(bitmap.ColorAt(1, 0), (gfx::Rgb{0, 0, 0}));
  EXPECT_EQ(bitmap.ColorAt(8, 0), (gfx::Rgb{255, 255, 0}));

  ASSERT_EQ(Decode(BmpFile(2, 1, 24, {}, {10, 20, 30, 40, 50, 60}), p), PictureStatus::kOk);
  ASSERT_TRUE(PictureToBitmap(p, bitmap));
  EXPECT_EQ(bitmap.depth(), 32);
  EXPECT_EQ(bitmap.ColorAt(1, 0), (gfx::Rgb{40, 50, 60}));

  // A picture whose pixels do not match its size is refused, not read past its end.
  p.pixels.pop_back();
  EXPECT_FALSE(PictureToBitmap(p, bitmap));
  EXPECT_TRUE(bitmap.empty());
}

}  // namespace
}  // namespace corvida::picture_test
