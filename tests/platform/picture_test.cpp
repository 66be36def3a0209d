#include "platform/picture.h"

#include "platform/gfx/bitmap.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvida {
namespace {

using Bytes = std::vector<uint8_t>;

void Le16(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void Le32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void Be32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

// An uncompressed BMP. `pixels` are indices (bpp 1 or 8) or R,G,B triples (bpp 24), top
// row first; the file stores rows bottom up, padded to 4 bytes.
Bytes Bmp(int w, int h, int bpp, const std::vector<gfx::Rgb>& palette, const Bytes& pixels) {
  int row_bytes = ((w * bpp + 31) / 32) * 4;
  uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
  Bytes b = {'B', 'M'};
  Le32(b, offset + row_bytes * h);
  Le32(b, 0);
  Le32(b, offset);
  for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) Le32(b, v);
  Le16(b, 1);
  Le16(b, bpp);
  for (uint32_t v : {0u, 0u, 2835u, 2835u, uint32_t(palette.size()), 0u}) Le32(b, v);
  for (auto c : palette) b.insert(b.end(), {c.b, c.g, c.r, 0});
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(row_bytes, 0);
    for (int x = 0; x < w; ++x) {
      if (bpp == 1) row[x / 8] |= pixels[y * w + x] << (7 - x % 8);
      if (bpp == 8) row[x] = pixels[y * w + x];
      if (bpp == 24) {
        for (int c = 0; c < 3; ++c) row[x * 3 + c] = pixels[(y * w + x) * 3 + 2 - c];
      }
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

// A 2 x 2 GIF with a four-colour table, colour 3 transparent. The LZW codes are 3 bits
// wide; a clear code after every two pixels keeps them from growing.
Bytes Gif() {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0};
  b.insert(b.end(), {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9});
  b.insert(b.end(), {0x21, 0xF9, 4, 1, 0, 0, 3, 0});  // graphic control: transparent index 3
  b.insert(b.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0, 2});
  uint32_t bits = 0;
  int count = 0;
  for (uint32_t code : {4u, 0u, 1u, 4u, 2u, 3u, 5u}) bits |= code << (3 * count++);
  b.insert(b.end(), {3, uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), 0, 0x3B});
  return b;
}

// A 2 x 1 uncompressed 24-bit TGA: red, then green (stored B, G, R, bottom row first).
Bytes Tga() {
  Bytes b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0};
  b.insert(b.end(), {0, 0, 255, 0, 255, 0});
  return b;
}

// A 2 x 1 big-endian uncompressed RGB TIFF: blue, white.
Bytes Tiff() {
  Bytes b = {'M', 'M', 0, 42};
  Be32(b, 8);
  struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
  };
  // Short values sit in the high half of the value field in big-endian files.
  std::vector<Entry> entries = {{256, 4, 1, 2},        {257, 4, 1, 1},        {258, 3, 1, 8u << 16},
                                {259, 3, 1, 1u << 16}, {262, 3, 1, 2u << 16}, {273, 4, 1, 0},
                                {277, 3, 1, 3u << 16}, {278, 4, 1, 1},        {279, 4, 1, 6}};
  uint32_t data_at = 8 + 2 + 12 * uint32_t(entries.size()) + 4;
  entries[5].value = data_at;
  b.insert(b.end(), {0, uint8_t(entries.size())});
  for (auto e : entries) {
    b.insert(b.end(), {uint8_t(e.tag >> 8), uint8_t(e.tag), uint8_t(e.type >> 8), uint8_t(e.type)});
    Be32(b, e.count);
    Be32(b, e.value);
  }
  Be32(b, 0);
  b.insert(b.end(), {0, 0, 255, 255, 255, 255});
  return b;
}

// A 3 x 1 8-bit PCX, run-length encoded, with its 256-colour palette at the end.
Bytes Pcx() {
  Bytes b(128, 0);
  b[0] = 0x0A, b[1] = 5, b[2] = 1, b[3] = 8;
  b[8] = 2;                            // x max; x min, y min, y max stay 0
  b[65] = 1;                           // planes
  b[66] = 4;                           // bytes per line (even)
  b.insert(b.end(), {0xC2, 7, 9, 0});  // a run of two 7s, then 9 and the pad byte
  b.push_back(12);
  for (int i = 0; i < 256; ++i) b.insert(b.end(), {uint8_t(i), uint8_t(255 - i), 0});
  return b;
}

Bytes Save(SDL_Surface* s, bool jpeg) {
  Bytes out(1 << 16);
  SDL_RWops* rw = SDL_RWFromMem(out.data(), static_cast<int>(out.size()));
  int r = jpeg ? IMG_SaveJPG_RW(s, rw, 0, 95) : IMG_SavePNG_RW(s, rw, 0);
  out.resize(r == 0 ? SDL_RWtell(rw) : 0);
  SDL_RWclose(rw);
  return out;
}

PictureStatus Decode(const Bytes& b, DecodedPicture& out, std::string_view name = "") {
  return ImagePictureDecoder().Decode(b, name, out);
}

TEST(Pictures, IndexedFilesKeepTheirPaletteAndTrueColourBecomesRgba) {
  DecodedPicture p;
  // 1-bit BMP: two colours, one bit of depth.
  ASSERT_EQ(Decode(Bmp(9, 2, 1, {{0, 0, 0}, {255, 255, 0}},
                       Bytes{1, 0, 0, 0, 0, 0, 0, 0, 1,  //
                             0, 1, 0, 0, 0, 0, 0, 0, 0}),
                   p),
            PictureStatus::kOk);
  EXPECT_EQ(p.bits, 1);
  ASSERT_EQ(p.palette.size(), 2u);
  EXPECT_EQ(p.palette[1], (gfx::Rgb{255, 255, 0}));
  EXPECT_EQ(p.pixels, (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0}));

  // 8-bit BMP with a full palette stays 8 bits; indices come through untouched.
  std::vector<gfx::Rgb> grey(256);
  for (int i = 0; i < 256; ++i) grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
  ASSERT_EQ(Decode(Bmp(3, 1, 8, grey, Bytes{200, 17, 255}), p), PictureStatus::kOk);
  EXPECT_EQ(p.bits, 8);
  EXPECT_EQ(p.palette.size(), 256u);
  EXPECT_EQ(p.pixels, (Bytes{200, 17, 255}));

  // 24-bit BMP: true colour, opaque.
  ASSERT_EQ(Decode(Bmp(2, 1, 24, {}, Bytes{10, 20, 30, 40, 50, 60}), p), PictureStatus::kOk);
  EXPECT_EQ(p.bits, 32);
  EXPECT_EQ(p.pixels, (Bytes{10, 20, 30, 255, 40, 50, 60, 255}));

  // GIF: indexed, with its transparent colour.
  ASSERT_EQ(Decode(Gif(), p), PictureStatus::kOk);
  EXPECT_TRUE(p.indexed());
  EXPECT_EQ(p.pixels, (Bytes{0, 1, 2, 3}));
  EXPECT_EQ(p.palette[2], (gfx::Rgb{0, 0, 255}));
  EXPECT_EQ(p.transparent_index, 3);

  // PCX: run-length data and the trailing palette.
  ASSERT_EQ(Decode(Pcx(), p), PictureStatus::kOk);
  EXPECT_EQ(p.bits, 8);
  EXPECT_EQ(p.pixels, (Bytes{7, 7, 9}));
  EXPECT_EQ(p.palette[9], (gfx::Rgb{9, 246, 0}));

  // TIFF and TGA: true colour.
  ASSERT_EQ(Decode(Tiff(), p), PictureStatus::kOk);
  EXPECT_EQ(p.pixels, (Bytes{0, 0, 255, 255, 255, 255, 255, 255}));
  ASSERT_EQ(Decode(Tga(), p, "C:\\ART\\CAR.TGA"), PictureStatus::kOk);
  EXPECT_EQ(p.pixels, (Bytes{255, 0, 0, 255, 0, 255, 0, 255}));
}

TEST(Pictures, BecomeBitmapsOfTheirOwnDepth) {
  DecodedPicture p;
  gfx::Bitmap bitmap;
  ASSERT_EQ(Decode(Bmp(9, 1, 1, {{0, 0, 0}, {255, 255, 0}}, Bytes{1, 0, 0, 0, 0, 0, 0, 0, 1}), p),
            PictureStatus::kOk);
  ASSERT_TRUE(PictureToBitmap(p, bitmap));
  EXPECT_EQ(bitmap.depth(), 1);
  EXPECT_EQ(bitmap.ColorAt(0, 0), (gfx::Rgb{255, 255, 0}));
  EXPECT_EQ(bitmap.ColorAt(1, 0), (gfx::Rgb{0, 0, 0}));
  EXPECT_EQ(bitmap.ColorAt(8, 0), (gfx::Rgb{255, 255, 0}));

  ASSERT_EQ(Decode(Bmp(2, 1, 24, {}, Bytes{10, 20, 30, 40, 50, 60}), p), PictureStatus::kOk);
  ASSERT_TRUE(PictureToBitmap(p, bitmap));
  EXPECT_EQ(bitmap.depth(), 32);
  EXPECT_EQ(bitmap.ColorAt(1, 0), (gfx::Rgb{40, 50, 60}));

  // A picture whose pixels do not match its size is refused, not read past its end.
  p.pixels.pop_back();
  EXPECT_FALSE(PictureToBitmap(p, bitmap));
  EXPECT_TRUE(bitmap.empty());
}

TEST(Pictures, PngKeepsAlphaAndJpegDecodes) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 4, 3, 32, SDL_PIXELFORMAT_RGBA32);
  ASSERT_NE(s, nullptr);
  auto* px = static_cast<uint8_t*>(s->pixels);
  for (int i = 0; i < 12; ++i) {
    px[i * 4] = 200, px[i * 4 + 1] = 100, px[i * 4 + 2] = 50, px[i * 4 + 3] = i == 0 ? 0 : 255;
  }
  Bytes png = Save(s, false), jpeg = Save(s, true);
  SDL_FreeSurface(s);
  ASSERT_FALSE(png.empty());
  ASSERT_FALSE(jpeg.empty());

  DecodedPicture p;
  ASSERT_EQ(Decode(png, p), PictureStatus::kOk);
  EXPECT_EQ(p.width, 4);
  EXPECT_EQ(p.height, 3);
  EXPECT_EQ(p.bits, 32);
  EXPECT_EQ(p.pixels[3], 0);
  EXPECT_EQ(p.pixels[4 + 0], 200);
  EXPECT_EQ(p.pixels[4 + 3], 255);

  ASSERT_EQ(Decode(jpeg, p), PictureStatus::kOk);
  EXPECT_EQ(p.width, 4);
  EXPECT_EQ(p.bits, 32);
  EXPECT_NEAR(p.pixels[40], 200, 12);
}

TEST(Pictures, AbsurdSizesAreRefusedBeforeDecoding) {
  PictureInfo info;
  // A 40-byte BMP header claiming 40000 x 40000 pixels.
  Bytes bmp = Bmp(1, 1, 24, {}, Bytes{0, 0, 0});
  bmp[18] = 0x40, bmp[19] = 0x9C;  // width 40000
  bmp[22] = 0x40, bmp[23] = 0x9C;
  EXPECT_EQ(ProbePicture(bmp, "", info), PictureStatus::kTooLarge);
  DecodedPicture p;
  EXPECT_EQ(Decode(bmp, p), PictureStatus::kTooLarge);
  EXPECT_TRUE(p.pixels.empty());

  // Within each side's limit but above the pixel budget: 8193 x 8192, with image data
  // enough for that many pixels.
  Bytes gif = Gif();
  ASSERT_EQ(gif[33], 0x2C);
  gif[33 + 5] = 0x01, gif[33 + 6] = 0x20, gif[33 + 7] = 0x00, gif[33 + 8] = 0x20;
  gif.resize(33 + 11);  // up to the code size
  for (int i = 0; i < 25; ++i) {
    gif.push_back(255);
    gif.insert(gif.end(), 255, 0);
  }
  gif.insert(gif.end(), {0, 0x3B});
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kTooLarge);
  gif[33 + 5] = 0x00;  // 8192 x 8192 is exactly the budget
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kOk);
  EXPECT_EQ(info.width, 8192);
  // The same frame with a few bytes of data cannot hold its pixels.
  gif = Gif();
  gif[33 + 5] = 0x00, gif[33 + 6] = 0x20, gif[33 + 7] = 0x00, gif[33 + 8] = 0x20;
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kCorrupt);

  // A later frame placed far out makes the picture as large as its far corner.
  gif = Gif();
  gif.pop_back();  // the trailer
  gif.insert(gif.end(), {0x2C, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 2, 0, 0, 2, 1, 0, 0, 0x3B});
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kTooLarge);

  // A TGA must hold its pixels: 24 bytes cannot be a 1000 x 1000 picture, not even run-
  // length encoded.
  Bytes tga = Tga();
  tga[12] = 0xE8, tga[13] = 0x03, tga[14] = 0xE8, tga[15] = 0x03;
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kCorrupt);
  tga[2] = 10;
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kCorrupt);
  tga.resize(18 + (1000 * 1000 / 128 + 1) * 4);
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kOk);
}

TEST(Pictures, GarbageAndTruncatedFilesFailCleanly) {
  DecodedPicture p;
  EXPECT_EQ(Decode({}, p), PictureStatus::kUnknownFormat);
  EXPECT_EQ(Decode(Bytes(100, 0x55), p), PictureStatus::kUnknownFormat);
  EXPECT_EQ(Decode(Bytes{'B', 'M', 1, 2}, p), PictureStatus::kCorrupt);
  // A frame of no width makes the decoder spin for a long time, a code size below 2
  // makes it corrupt its memory: both refused.
  Bytes gif = Gif();
  gif[33 + 5] = 0;
  EXPECT_EQ(Decode(gif, p), PictureStatus::kCorrupt);
  for (uint8_t code_size : {0, 1, 9}) {
    gif = Gif();
    gif[33 + 10] = code_size;
    EXPECT_EQ(Decode(gif, p), PictureStatus::kCorrupt) << int(code_size);
  }
  Bytes tiff = Tiff();
  tiff[7] = 200;  // first directory beyond the end
  EXPECT_EQ(Decode(tiff, p), PictureStatus::kCorrupt);
  // A PCX line length that reads as negative would size the decoder's line buffer.
  Bytes pcx = Pcx();
  pcx[67] = 0xF8;
  EXPECT_EQ(Decode(pcx, p), PictureStatus::kCorrupt);
  // A JPEG whose first segment runs past the end has no frame to read.
  EXPECT_EQ(Decode(Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00, 1, 2}, p), PictureStatus::kCorrupt);

  // Every prefix of every sample decodes or fails; none crashes or reports a false size.
  for (const Bytes& whole : {Bmp(3, 1, 8, {{1, 2, 3}}, Bytes{0, 0, 0}), Gif(), Pcx(), Tiff()}) {
    for (size_t n = 0; n < whole.size(); ++n) {
      Bytes part(whole.begin(), whole.begin() + n);
      PictureStatus status = Decode(part, p);
      if (status == PictureStatus::kOk) {
        EXPECT_EQ(p.pixels.size(), p.stride() * p.height);
      } else {
        EXPECT_TRUE(p.pixels.empty());
      }
    }
  }
}

}  // namespace
}  // namespace corvida
