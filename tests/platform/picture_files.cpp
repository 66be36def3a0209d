#include "picture_files.h"

#include <png.h>
#include <turbojpeg.h>

namespace corvida::testing {
namespace {

void Le16(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
}
void Le32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void Be16(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
}
void Be32(Bytes& b, uint32_t v) {
  b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}
void Append(Bytes& b, const Bytes& more) {
  b.insert(b.end(), more.begin(), more.end());
}

// The 54-byte head of a BMP with a 40-byte header.
Bytes BmpHead(int w, int h, int bpp, uint32_t compression, uint32_t data_at, uint32_t colours) {
  Bytes b = {'B', 'M'};
  Le32(b, 0);
  Le32(b, 0);
  Le32(b, data_at);
  for (uint32_t v : {40u, uint32_t(w), uint32_t(h)}) Le32(b, v);
  Le16(b, 1);
  Le16(b, bpp);
  for (uint32_t v : {compression, 0u, 2835u, 2835u, colours, 0u}) Le32(b, v);
  return b;
}

void PictRect(Bytes& b, int top, int left, int bottom, int right) {
  for (int v : {top, left, bottom, right}) Be16(b, uint16_t(v));
}

// The 36 bytes of a pixmap after its bounds.
void PixMapFields(Bytes& b, int pack_type, int pixel_size, int components) {
  Be16(b, 0);
  Be16(b, pack_type);
  Be32(b, 0);
  Be32(b, 0x00480000);
  Be32(b, 0x00480000);
  Be16(b, pixel_size > 8 ? 16 : 0);
  Be16(b, pixel_size);
  Be16(b, components);
  Be16(b, pixel_size > 8 ? 8 : pixel_size);
  for (int i = 0; i < 3; ++i) Be32(b, 0);
}

// Picture size, frame and version 2's version and header opcodes.
Bytes PictV2Head(int w, int h) {
  Bytes b;
  Be16(b, 0);
  PictRect(b, 0, 0, h, w);
  b.insert(b.end(), {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00});
  b.insert(b.end(), 24, 0);
  return b;
}

// A literal PackBits packet per row, with the row's byte count first.
void PackedRow(Bytes& b, const Bytes& row) {
  b.push_back(uint8_t(row.size() + 1));
  b.push_back(uint8_t(row.size() - 1));
  Append(b, row);
}

}  // namespace

Bytes BmpFile(int w, int h, int bpp, const std::vector<gfx::Rgb>& palette, const Bytes& pixels) {
  int row_bytes = ((w * bpp + 31) / 32) * 4;
  uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(palette.size());
  Bytes b = BmpHead(w, h, bpp, 0, offset, uint32_t(palette.size()));
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
    Append(b, row);
  }
  return b;
}

Bytes BmpRle8File(int w, int h, const Bytes& data) {
  Bytes b = BmpHead(w, h, 8, 1, 14 + 40 + 16, 4);
  for (uint8_t i = 0; i < 4; ++i) b.insert(b.end(), {0, 0, uint8_t(i * 80), 0});
  Append(b, data);
  return b;
}

Bytes BmpMaskedFile(int w, int h, const uint32_t masks[4], const std::vector<uint32_t>& pixels) {
  Bytes b = BmpHead(w, h, 32, 6, 14 + 40 + 16, 0);
  for (int i = 0; i < 4; ++i) Le32(b, masks[i]);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) Le32(b, pixels[y * w + x]);
  }
  return b;
}

// The LZW codes are 3 bits wide; a clear code after every two pixels keeps them so.
Bytes GifFile() {
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

Bytes CrashingGifFile() {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF7, 0, 0};
  b.insert(b.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x80, 2});  // as if the table ended early
  b.resize(149, 0xCD);
  return b;
}

Bytes TgaFile(int type) {
  Bytes b = {0, 0, uint8_t(type), 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0};
  if (type == 2) {
    b.insert(b.end(), {0, 0, 255, 0, 255, 0});
  } else {
    b.insert(b.end(), {0x80, 0, 0, 255, 0x00, 0, 255, 0});  // a run of one, a raw packet of one
  }
  return b;
}

Bytes TgaMappedFile() {
  Bytes b = {0, 1, 1, 0, 0, 3, 0, 24, 0, 0, 0, 0, 3, 0, 2, 0, 8, 0};
  b.insert(b.end(), {0, 0, 255, 0, 255, 0, 255, 0, 0});  // red, green, blue (stored B, G, R)
  b.insert(b.end(), {2, 2, 2, 0, 1, 2});                 // bottom row, then top row
  return b;
}

Bytes TiffFile() {
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
  Be16(b, uint16_t(entries.size()));
  for (auto e : entries) {
    Be16(b, e.tag);
    Be16(b, e.type);
    Be32(b, e.count);
    Be32(b, e.value);
  }
  Be32(b, 0);
  b.insert(b.end(), {0, 0, 255, 255, 255, 255});
  return b;
}

Bytes PcxFile() {
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

Bytes PcxRgbFile() {
  Bytes b(128, 0);
  b[0] = 0x0A, b[1] = 5, b[2] = 0, b[3] = 8;
  b[8] = 1, b[65] = 3, b[66] = 2;
  b.insert(b.end(), {255, 0, 0, 0, 0, 255});  // red plane, green plane, blue plane
  return b;
}

Bytes PictV1BitmapFile(bool file_header) {
  Bytes b(file_header ? 512 : 0, 0);
  Be16(b, 0);
  PictRect(b, 0, 0, 2, 4);
  b.insert(b.end(), {0x11, 0x01, 0x90});
  Be16(b, 2);  // row bytes: a bitmap, not packed
  PictRect(b, 0, 0, 2, 4);
  PictRect(b, 0, 0, 2, 4);
  PictRect(b, 0, 0, 2, 4);
  Be16(b, 0);
  b.insert(b.end(), {0xA0, 0, 0x50, 0, 0xFF});  // rows 1010 and 0101 (1 is black), the end
  return b;
}

Bytes PictV2PixmapFile() {
  Bytes b = PictV2Head(8, 1);
  Be16(b, 0x98);
  Be16(b, 0x8000 | 8);
  PictRect(b, 0, 0, 1, 8);
  PixMapFields(b, 0, 8, 1);
  Be32(b, 0);
  Be16(b, 0);
  Be16(b, 7);  // eight entries
  for (int i = 0; i < 8; ++i) {
    for (int v : {i, i * 30 * 257, 0, (255 - i * 30) * 257}) Be16(b, uint16_t(v));
  }
  PictRect(b, 0, 0, 1, 8);
  PictRect(b, 0, 0, 1, 8);
  Be16(b, 0);
  PackedRow(b, {0, 1, 2, 3, 4, 5, 6, 7});
  if (b.size() % 2) b.push_back(0);
  Be16(b, 0xFF);
  return b;
}

Bytes PictV2DirectFile() {
  Bytes b = PictV2Head(8, 1);
  Be16(b, 0x9A);
  Be32(b, 0xFF);
  Be16(b, 0x8000 | 32);
  PictRect(b, 0, 0, 1, 8);
  PixMapFields(b, 4, 32, 3);
  PictRect(b, 0, 0, 1, 8);
  PictRect(b, 0, 0, 1, 8);
  Be16(b, 0);
  // One row of three planes: red as literals, green and blue as runs.
  Bytes row = {7, 0, 10, 20, 30, 40, 50, 60, 70, uint8_t(-7), 100, uint8_t(-7), 200};
  b.push_back(uint8_t(row.size()));
  Append(b, row);
  if (b.size() % 2) b.push_back(0);
  Be16(b, 0xFF);
  return b;
}

Bytes PictStoppingFile() {
  Bytes b = PictV1BitmapFile(false);
  b.pop_back();                                       // the end opcode
  b.insert(b.end(), {0x20, 0, 0, 0, 0, 0, 1, 0, 1});  // a line: where reading stops
  b.insert(b.end(), {0x90, 0, 2, 0, 0, 0, 0, 0, 2, 0, 4});
  for (int i = 0; i < 2; ++i) PictRect(b, 0, 0, 2, 4);
  b.insert(b.end(), {0, 0, 0xF0, 0, 0xF0, 0, 0xFF});
  return b;
}

Bytes PngFile(int w, int h, const Bytes& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w, image.height = h, image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  Bytes out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
    out.clear();
  }
  return out;
}

Bytes PngPaletteFile(int w, int h, const Bytes& indices, const std::vector<uint8_t>& rgba_map) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w, image.height = h, image.format = PNG_FORMAT_RGBA_COLORMAP;
  image.colormap_entries = uint32_t(rgba_map.size() / 4);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, indices.data(), 0, rgba_map.data());
  Bytes out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, indices.data(), 0,
                                 rgba_map.data())) {
    out.clear();
  }
  return out;
}

Bytes JpegFile(int w, int h, const Bytes& rgba) {
  tjhandle handle = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  Bytes out;
  if (tjCompress2(handle, rgba.data(), w, 0, h, TJPF_RGBA, &jpeg, &size, TJSAMP_444, 95, 0) == 0) {
    out.assign(jpeg, jpeg + size);
  }
  tjFree(jpeg);
  tjDestroy(handle);
  return out;
}

}  // namespace corvida::testing
