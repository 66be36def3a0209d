// PCX files, our own reader: monochrome, 2- and 4-bit (one plane) and 16-colour (four
// one-bit planes) pictures with the header's palette, 256-colour pictures with the palette
// at the end of the file (grey when it is missing) and 24-bit pictures of three planes.
// Rows are run-length encoded or raw; data that ends early leaves the rest colour 0.
#include <algorithm>
#include <vector>

#include "platform/picture/byte_reader.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kEndPaletteSize = 769;  // marker 0x0C and 256 RGB triples

struct PcxHeader {
  int64_t width = 0, height = 0;
  int bits = 0;  // per pixel in each plane
  int planes = 0;
  size_t line = 0;  // bytes of one plane's row
  bool run_length = false;
};

bool ReadPcxHeader(Bytes file, PcxHeader& h) {
  ByteReader r(file, 2);
  h.run_length = r.U8() == 1;
  h.bits = r.U8();
  int64_t x0 = r.Le16(), y0 = r.Le16(), x1 = r.Le16(), y1 = r.Le16();
  r.Seek(65);
  h.planes = r.U8();
  h.line = r.Le16();
  h.width = x1 - x0 + 1, h.height = y1 - y0 + 1;
  bool known = (h.bits == 1 && h.planes >= 1 && h.planes <= 4) ||
               ((h.bits == 2 || h.bits == 4) && h.planes == 1) ||
               (h.bits == 8 && (h.planes == 1 || h.planes == 3 || h.planes == 4));
  return r.ok() && known && h.width >= 1 && h.height >= 1 &&
         h.line * 8 >= static_cast<uint64_t>(h.width) * h.bits;
}

// The rows, each plane after plane, decoded from the whole stream at once: encoders let
// runs cross plane and row ends.
std::vector<uint8_t> Unpack(Bytes data, const PcxHeader& h, size_t total) {
  std::vector<uint8_t> rows(total, 0);
  if (!h.run_length) {
    std::copy_n(data.begin(), std::min(total, data.size()), rows.begin());
    return rows;
  }
  size_t at = 0, out = 0;
  while (out < total && at < data.size()) {
    uint8_t b = data[at++];
    size_t count = 1;
    if (b >= 0xC0) {
      if (at == data.size()) break;
      count = b & 0x3F, b = data[at++];
    }
    count = std::min(count, total - out);
    std::fill_n(rows.begin() + out, count, b);
    out += count;
  }
  return rows;
}

void SetPalette(Bytes file, const PcxHeader& h, DecodedPicture& out) {
  if (h.bits == 1 && h.planes == 1) {
    out.palette[1] = {255, 255, 255};
    return;
  }
  if (h.bits == 8) {
    bool present =
        file.size() >= kHeaderSize + kEndPaletteSize && file[file.size() - kEndPaletteSize] == 0x0C;
    Bytes colours = present ? file.last(kEndPaletteSize - 1) : Bytes{};
    for (int i = 0; i < 256; ++i) {
      out.palette[i] = present ? gfx::Rgb{colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]}
                               : gfx::Rgb{uint8_t(i), uint8_t(i), uint8_t(i)};
    }
    return;
  }
  for (int i = 0; i < 16; ++i) {
    const uint8_t* c = file.data() + 16 + i * 3;
    out.palette[i] = {c[0], c[1], c[2]};
  }
}

void Compose(const PcxHeader& h, const uint8_t* row, int64_t y, DecodedPicture& out) {
  for (int64_t x = 0; x < h.width; ++x) {
    if (h.planes >= 3 && h.bits == 8) {
      PutRgba(out, x, y, row[x], row[h.line + x], row[2 * h.line + x]);
      continue;
    }
    int index = 0;
    for (int plane = 0; plane < h.planes; ++plane) {
      int64_t bit = x * h.bits;
      int shift = 8 - h.bits - static_cast<int>(bit % 8);
      int value = (row[plane * h.line + bit / 8] >> shift) & ((1 << h.bits) - 1);
      index |= value << plane;
    }
    out.pixels[static_cast<size_t>(y) * out.width + x] = static_cast<uint8_t>(index);
  }
}

}  // namespace

PictureStatus DecodePcx(Bytes file, DecodedPicture& out) {
  PcxHeader h;
  if (file.size() < kHeaderSize || !ReadPcxHeader(file, h)) return PictureStatus::kCorrupt;
  if (!SizeAllowed(h.width, h.height)) return PictureStatus::kTooLarge;
  size_t row_bytes = h.line * h.planes;
  uint64_t total = static_cast<uint64_t>(row_bytes) * h.height;
  // A run covers at most 63 bytes: fewer bytes than that cannot be this picture.
  Bytes data = file.subspan(kHeaderSize);
  if (total > kMaxPictureBytes || total / 63 > data.size()) return PictureStatus::kCorrupt;
  bool true_colour = h.bits == 8 && h.planes >= 3;
  int bits = true_colour ? 32 : h.bits == 8 ? 8 : h.bits * h.planes == 1 ? 1 : 4;
  PictureStatus status = StartPicture(h.width, h.height, bits, out);
  if (status != PictureStatus::kOk) return status;
  if (!true_colour) SetPalette(file, h, out);
  std::vector<uint8_t> rows = Unpack(data, h, total);
  for (int64_t y = 0; y < h.height; ++y) Compose(h, rows.data() + y * row_bytes, y, out);
  return PictureStatus::kOk;
}

}  // namespace corvida::picture
