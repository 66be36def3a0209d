// TGA files, our own reader: colour-mapped (8-bit indices), true-colour (15, 16, 24 and
// 32 bits) and grey (8 bits) pictures, raw or run-length encoded, in any of the four
// row and column orders. Data that ends early leaves the rest black.
#include <algorithm>

#include "platform/picture/byte_reader.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

enum ImageType : uint8_t { kMapped = 1, kTrue = 2, kGrey = 3 };  // +8: run-length encoded

struct TgaHeader {
  uint8_t type = 0;  // without the run-length bit
  bool run_length = false;
  int64_t width = 0, height = 0;
  int depth = 0;
  bool top_down = false, right_to_left = false;
  uint16_t map_first = 0, map_length = 0;
  int map_depth = 0;
  size_t map_at = 0, data_at = 0;
};

bool ReadTgaHeader(Bytes file, TgaHeader& h) {
  ByteReader r(file);
  uint8_t id_length = r.U8(), map_type = r.U8(), type = r.U8();
  h.map_first = r.Le16(), h.map_length = r.Le16();
  h.map_depth = r.U8();
  r.Skip(4);  // origin
  h.width = r.Le16(), h.height = r.Le16();
  h.depth = r.U8();
  uint8_t descriptor = r.U8();
  h.type = type & 7, h.run_length = type & 8;
  h.top_down = descriptor & 0x20, h.right_to_left = descriptor & 0x10;
  h.map_at = 18 + id_length;
  size_t map_bytes = map_type == 1 ? h.map_length * ((h.map_depth + 7) / 8) : 0;
  h.data_at = h.map_at + map_bytes;
  if (!r.ok() || map_type > 1 || (type & ~8) < kMapped || (type & ~8) > kGrey) return false;
  if (h.type == kMapped) {
    return map_type == 1 && h.depth == 8 &&
           (h.map_depth == 15 || h.map_depth == 16 || h.map_depth == 24 || h.map_depth == 32);
  }
  if (h.type == kGrey) return h.depth == 8;
  return h.depth == 15 || h.depth == 16 || h.depth == 24 || h.depth == 32;
}

// One stored colour: 5-5-5 (alpha bit ignored), B G R or B G R A.
gfx::Rgb Colour(const uint8_t* p, int depth, uint8_t* alpha = nullptr) {
  if (depth <= 16) {
    uint16_t v = p[0] | p[1] << 8;
    auto widen = [](int c) { return static_cast<uint8_t>(c << 3 | c >> 2); };
    return {widen(v >> 10 & 31), widen(v >> 5 & 31), widen(v & 31)};
  }
  if (alpha) *alpha = depth == 32 ? p[3] : 255;
  return {p[2], p[1], p[0]};
}

bool ReadColourMap(Bytes file, const TgaHeader& h, DecodedPicture& out) {
  ByteReader r(file, h.map_at);
  int entry_size = (h.map_depth + 7) / 8;
  for (int i = 0; i < h.map_length; ++i) {
    std::span<const uint8_t> entry = r.Block(entry_size);
    if (!r.ok()) return false;
    int index = h.map_first + i;
    if (index < 256) out.palette[index] = Colour(entry.data(), h.map_depth);
  }
  return true;
}

void Put(const TgaHeader& h, const uint8_t* p, uint64_t n, DecodedPicture& out) {
  int64_t x = n % h.width, y = n / h.width;
  if (!h.top_down) y = h.height - 1 - y;
  if (h.right_to_left) x = h.width - 1 - x;
  if (h.type == kMapped || h.type == kGrey) {
    out.pixels[static_cast<size_t>(y) * out.width + x] = p[0];
    return;
  }
  uint8_t alpha = 255;
  gfx::Rgb c = Colour(p, h.depth, &alpha);
  PutRgba(out, x, y, c.r, c.g, c.b, alpha);
}

// Packets: a header byte whose top bit marks a run of one repeated pixel, else that
// many + 1 raw pixels. Raw files are one long raw packet.
void DecodePixels(ByteReader& r, const TgaHeader& h, DecodedPicture& out) {
  uint64_t total = static_cast<uint64_t>(h.width) * h.height, n = 0;
  size_t pixel_size = (h.depth + 7) / 8;
  while (n < total && r.ok()) {
    bool repeat = false;
    uint64_t count = total;
    if (h.run_length) {
      uint8_t packet = r.U8();
      repeat = packet & 0x80, count = (packet & 0x7F) + 1;
    }
    count = std::min(count, total - n);
    std::span<const uint8_t> pixel = r.Block(pixel_size);
    for (uint64_t i = 0; r.ok() && i < count; ++i, ++n) {
      Put(h, pixel.data(), n, out);
      if (!repeat && i + 1 < count) pixel = r.Block(pixel_size);
    }
  }
}

}  // namespace

PictureStatus DecodeTga(Bytes file, DecodedPicture& out) {
  TgaHeader h;
  if (!ReadTgaHeader(file, h)) return PictureStatus::kCorrupt;
  if (!SizeAllowed(h.width, h.height)) return PictureStatus::kTooLarge;
  bool indexed = h.type != kTrue;
  PictureStatus status = StartPicture(h.width, h.height, indexed ? 8 : 32, out);
  if (status != PictureStatus::kOk) return status;
  if (h.type == kGrey) {
    for (int i = 0; i < 256; ++i) out.palette[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
  }
  if (h.type == kMapped && !ReadColourMap(file, h, out)) return PictureStatus::kCorrupt;
  // A packet covers at most 128 pixels: fewer than that many packets cannot be this picture.
  uint64_t least_packets = static_cast<uint64_t>(h.width) * h.height / 128;
  if (h.data_at > file.size() || least_packets > file.size() - h.data_at) {
    return PictureStatus::kCorrupt;
  }
  ByteReader r(file, h.data_at);
  DecodePixels(r, h, out);
  return PictureStatus::kOk;
}

}  // namespace corvida::picture
