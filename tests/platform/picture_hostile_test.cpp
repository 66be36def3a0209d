// Hostile picture files: absurd sizes are refused before decoding, and broken, cut or
// crafted files of every format fail cleanly, whether they pass the format recognition
// or reach a reader directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picture_files.h"
#include "platform/picture.h"
#include "platform/picture/formats.h"

namespace corvida {
namespace {

using testing::Bytes;

PictureStatus Decode(const Bytes& b, DecodedPicture& out, std::string_view name = "") {
  return ImagePictureDecoder().Decode(b, name, out);
}

Bytes With(Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
  if (b.size() < at + bytes.size()) b.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), b.begin() + at);
  return b;
}

TEST(HostilePictures, AbsurdSizesAreRefusedBeforeDecoding) {
  PictureInfo info;
  // A 40-byte BMP header claiming 40000 x 40000 pixels.
  Bytes bmp = With(testing::BmpFile(1, 1, 24, {}, {0, 0, 0}), 18, {0x40, 0x9C, 0, 0, 0x40, 0x9C});
  EXPECT_EQ(ProbePicture(bmp, "", info), PictureStatus::kTooLarge);
  DecodedPicture p;
  EXPECT_EQ(Decode(bmp, p), PictureStatus::kTooLarge);
  EXPECT_TRUE(p.pixels.empty());

  // Within each side's limit but above the pixel budget: 8193 x 8192, with image data
  // enough for that many pixels.
  Bytes gif = testing::GifFile();
  ASSERT_EQ(gif[33], 0x2C);
  gif = With(gif, 33 + 5, {0x01, 0x20, 0x00, 0x20});
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
  gif = With(testing::GifFile(), 33 + 5, {0x00, 0x20, 0x00, 0x20});
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kCorrupt);

  // A later frame placed far out makes the picture as large as its far corner.
  gif = testing::GifFile();
  gif.pop_back();  // the trailer
  gif.insert(gif.end(), {0x2C, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 2, 0, 0, 2, 1, 0, 0, 0x3B});
  EXPECT_EQ(ProbePicture(gif, "", info), PictureStatus::kTooLarge);

  // A TGA must hold its pixels: 24 bytes cannot be a 1000 x 1000 picture, not even run-
  // length encoded.
  Bytes tga = With(testing::TgaFile(), 12, {0xE8, 0x03, 0xE8, 0x03});
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kCorrupt);
  tga[2] = 10;
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kCorrupt);
  tga.resize(18 + (1000 * 1000 / 128 + 1) * 4);
  EXPECT_EQ(ProbePicture(tga, "x.tga", info), PictureStatus::kOk);

  // A PICT frame of 30000 x 30000.
  Bytes pict = With(testing::PictV1BitmapFile(false), 6, {0x75, 0x30, 0x75, 0x30});
  EXPECT_EQ(Decode(pict, p), PictureStatus::kTooLarge);
}

// The file without its last `n` bytes.
Bytes Cut(Bytes b, size_t n) {
  b.resize(b.size() - n);
  return b;
}

struct HostileFile {
  const char* what;
  Bytes file;
  PictureStatus (*reader)(picture::Bytes, DecodedPicture&);
};

// Each file is broken in a way its reader must notice; every one is also handed to its
// reader directly, past the format recognition that would refuse some of them early.
std::vector<HostileFile> HostileFiles() {
  using namespace testing;
  using namespace picture;
  Bytes gif = GifFile(), pcx = PcxFile(), tiff = TiffFile();
  Bytes pict1 = PictV1BitmapFile(false), pict2 = PictV2PixmapFile();
  Bytes packed_row_at = {static_cast<uint8_t>(pict2.size() - 12)};  // the row's byte count
  return {
      {"GIF with a malformed colour table and 0xCD bytes", CrashingGifFile(), DecodeGif},
      {"GIF frame of no width", With(gif, 33 + 5, {0, 0}), DecodeGif},
      {"GIF code size 0", With(gif, 33 + 10, {0}), DecodeGif},
      {"GIF code size 9", With(gif, 33 + 10, {9}), DecodeGif},
      {"GIF without a colour table", With(gif, 10, {0x01}), DecodeGif},
      {"GIF cut in its image data", Cut(gif, 4), DecodeGif},
      {"TIFF directory beyond the end", With(tiff, 7, {200}), DecodeTiff},
      {"TIFF strip beyond the end", With(tiff, 8 + 2 + 12 * 5 + 8, {0, 0, 0x40, 0}), DecodeTiff},
      {"TIFF of 30000 x 30000 in one strip of 6 bytes",
       With(With(tiff, 8 + 2 + 8, {0, 0, 0x75, 0x30}), 8 + 2 + 12 + 8, {0, 0, 0x75, 0x30}),
       DecodeTiff},
      {"JPEG segment past the end", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00, 1, 2}, DecodeJpeg},
      {"PNG with a broken header chunk", With(PngFile(2, 1, Bytes(8, 9)), 20, {0xFF}), DecodePng},
      {"BMP of 4 bytes", Bytes{'B', 'M', 1, 2}, DecodeBmp},
      {"BMP rows missing", Cut(BmpFile(4, 4, 24, {}, Bytes(48, 1)), 20), DecodeBmp},
      {"BMP palette past the end", With(BmpFile(2, 1, 8, {}, {0, 0}), 46, {0, 1}), DecodeBmp},
      {"BMP of 12 bits", With(BmpFile(2, 1, 8, {}, {0, 0}), 28, {12}), DecodeBmp},
      {"run-length BMP too short for its size",
       With(BmpRle8File(3, 2, {0, 1}), 18, {0, 0x40, 0, 0, 0, 0x40}), DecodeBmp},
      {"PCX line length read as negative", With(pcx, 67, {0xF8}), DecodePcx},
      {"PCX of 5 planes", With(pcx, 65, {5}), DecodePcx},
      {"PCX header cut", Cut(pcx, pcx.size() - 100), DecodePcx},
      {"TGA colour map without its entries", Cut(TgaMappedFile(), 13), DecodeTga},
      {"TGA of 12 bits", With(TgaFile(), 16, {12}), DecodeTga},
      {"PICT drawing nothing", With(pict1, 12, {0xFF}), DecodePict},
      {"PICT bitmap rows past the end", Cut(pict1, 3), DecodePict},
      {"PICT packed row longer than its pixmap", With(pict2, pict2.size() - 12, {9, 20}),
       DecodePict},
      {"PICT colour table of 1000 entries", With(pict2, 40 + 2 + 2 + 8 + 36 + 6, {0x03, 0xE7}),
       DecodePict},
      {"PICT pixmap of 0 x 0", With(pict2, 40 + 4, {0, 0, 0, 0, 0, 0, 0, 0}), DecodePict},
      {"PICT region of size 2", With(pict1, 12, {0x01, 0, 2}), DecodePict},
  };
}

TEST(HostilePictures, BrokenFilesFailCleanly) {
  for (const HostileFile& hostile : HostileFiles()) {
    SCOPED_TRACE(hostile.what);
    DecodedPicture p;
    EXPECT_NE(Decode(hostile.file, p), PictureStatus::kOk);
    EXPECT_TRUE(p.pixels.empty());
    DecodedPicture direct;
    EXPECT_NE(hostile.reader(hostile.file, direct), PictureStatus::kOk);
  }
}

TEST(HostilePictures, GarbageAndEveryPrefixDecodeOrFail) {
  DecodedPicture p;
  EXPECT_EQ(Decode({}, p), PictureStatus::kUnknownFormat);
  EXPECT_EQ(Decode(Bytes(100, 0x55), p), PictureStatus::kUnknownFormat);
  using namespace testing;
  std::vector<Bytes> samples = {BmpFile(3, 1, 8, {{1, 2, 3}}, {0, 0, 0}),
                                BmpRle8File(3, 2, {3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 1}),
                                GifFile(),
                                PcxFile(),
                                TiffFile(),
                                TgaMappedFile(),
                                PictV1BitmapFile(true),
                                PictV2PixmapFile(),
                                PictV2DirectFile(),
                                PngFile(2, 1, Bytes(8, 9)),
                                JpegFile(8, 8, Bytes(256, 99))};
  for (const Bytes& whole : samples) {
    for (size_t n = 0; n < whole.size(); ++n) {
      Bytes part(whole.begin(), whole.begin() + n);
      if (Decode(part, p, "part.tga") == PictureStatus::kOk) {
        EXPECT_EQ(p.pixels.size(), p.stride() * p.height);
      } else {
        EXPECT_TRUE(p.pixels.empty());
      }
    }
  }
}

}  // namespace
}  // namespace corvida
