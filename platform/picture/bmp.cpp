// BMP files, our own reader: the core (12-byte), OS/2 (64-byte) and Windows (40 to
// 124-byte) headers; 1, 2, 4 and 8 bits with a palette, uncompressed or run-length
// encoded (8 and 4 bits); 16 and 32 bits with default or given channel masks; 24 bits.
// Uncompressed files must hold all their rows; run-length data may end early (the rest
// stays colour 0) but must be long enough to plausibly cover the picture.
#include <algorithm>
#include <bit>

#include "platform/picture/byte_reader.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct Header {
  int64_t width = 0;
  int64_t height = 0;  // always positive; `top_down` keeps the sign's meaning
  bool top_down = false;
  int bpp = 0;
  uint32_t compression = kRgb;
  uint32_t colours_used = 0;
  size_t palette_at = 0;
  int palette_entry_size = 4;
  uint32_t masks[4] = {};  // red, green, blue, alpha
  size_t data_at = 0;
};

void DefaultMasks(Header& h) {
  if (h.bpp == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
  if (h.bpp == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
}

bool ReadInfoHeader(ByteReader& r, uint32_t header_size, Header& h) {
  int32_t width = static_cast<int32_t>(r.Le32());
  int32_t height = static_cast<int32_t>(r.Le32());
  r.Skip(2);  // planes
  h.bpp = r.Le16();
  h.compression = r.Le32();
  r.Skip(12);  // image size, resolution
  h.colours_used = r.Le32();
  r.Skip(4);
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  h.width = width;
  h.top_down = height < 0;
  h.height = h.top_down ? -int64_t{height} : height;
  // OS/2 headers number their compressions differently; only the common ones are read.
  if (header_size == 64 && h.compression > kRle4) return false;
  DefaultMasks(h);
  bool masks_given = h.compression == kBitFields || h.compression == kAlphaBitFields;
  if (masks_given) {  // inside longer headers, after a 40-byte one
    int count = header_size >= 56 || h.compression == kAlphaBitFields ? 4 : 3;
    for (int i = 0; i < count; ++i) h.masks[i] = r.Le32();
  }
  h.palette_at = std::max<size_t>(14 + header_size, r.position());
  return r.ok();
}

bool ReadHeader(Bytes file, Header& h) {
  ByteReader r(file, 10);
  h.data_at = r.Le32();
  uint32_t header_size = r.Le32();
  if (header_size == 12) {
    h.width = r.Le16(), h.height = r.Le16();
    r.Skip(2);
    h.bpp = r.Le16();
    h.palette_at = 26, h.palette_entry_size = 3;
    DefaultMasks(h);
  } else if (header_size < 40 || header_size > 124 || !ReadInfoHeader(r, header_size, h)) {
    return false;
  }
  if (!r.ok() || h.width < 1 || h.height < 1) return false;
  switch (h.bpp) {
    case 1:
    case 2:
    case 4:
    case 8:
      return h.compression == kRgb || (h.compression == kRle8 && h.bpp == 8) ||
             (h.compression == kRle4 && h.bpp == 4);
    case 16:
    case 24:
    case 32:
      return h.compression == kRgb || h.compression == kBitFields ||
             h.compression == kAlphaBitFields;
  }
  return false;
}

PictureStatus StartIndexed(Bytes file, const Header& h, DecodedPicture& out) {
  PictureStatus status = StartPicture(h.width, h.height, h.bpp == 1 ? 1 : h.bpp == 8 ? 8 : 4, out);
  if (status != PictureStatus::kOk) return status;
  uint32_t most = 1u << h.bpp;
  uint32_t count = h.colours_used == 0 ? most : std::min(h.colours_used, most);
  ByteReader r(file, h.palette_at);
  for (uint32_t i = 0; i < count; ++i) {
    std::span<const uint8_t> entry = r.Block(h.palette_entry_size);
    if (!r.ok()) return PictureStatus::kCorrupt;
    out.palette[i] = {entry[2], entry[1], entry[0]};
  }
  return PictureStatus::kOk;
}

// A channel picked out by its mask and widened to 8 bits.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t value = (pixel & mask) >> std::countr_zero(mask);
  uint64_t top = (uint64_t{1} << std::popcount(mask >> std::countr_zero(mask))) - 1;
  return static_cast<uint8_t>(value * 255 / top);
}

void PutMasked(const Header& h, uint32_t pixel, int64_t x, int64_t y, DecodedPicture& out) {
  uint8_t alpha = h.masks[3] ? Channel(pixel, h.masks[3]) : 255;
  PutRgba(out, x, y, Channel(pixel, h.masks[0]), Channel(pixel, h.masks[1]),
          Channel(pixel, h.masks[2]), alpha);
}

void DecodeRow(const Header& h, const uint8_t* row, int64_t y, DecodedPicture& out) {
  for (int64_t x = 0; x < h.width; ++x) {
    switch (h.bpp) {
      case 1:
      case 2:
      case 4:
      case 8: {
        int64_t bit = x * h.bpp;
        int shift = 8 - h.bpp - static_cast<int>(bit % 8);
        out.pixels[static_cast<size_t>(y) * out.width + x] =
            (row[bit / 8] >> shift) & ((1 << h.bpp) - 1);
        break;
      }
      case 16:
        PutMasked(h, row[x * 2] | row[x * 2 + 1] << 8, x, y, out);
        break;
      case 24:
        PutRgba(out, x, y, row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
        break;
      case 32: {
        const uint8_t* p = row + x * 4;
        PutMasked(h, p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24, x, y, out);
        break;
      }
    }
  }
}

PictureStatus DecodeUncompressed(Bytes file, const Header& h, DecodedPicture& out) {
  uint64_t stride = (static_cast<uint64_t>(h.width) * h.bpp + 31) / 32 * 4;
  uint64_t last_row = (static_cast<uint64_t>(h.width) * h.bpp + 7) / 8;
  uint64_t available = h.data_at <= file.size() ? file.size() - h.data_at : 0;
  if (available < last_row || (available - last_row) / stride + 1 < uint64_t(h.height)) {
    return PictureStatus::kCorrupt;  // the rows are not all there
  }
  for (int64_t line = 0; line < h.height; ++line) {
    int64_t y = h.top_down ? line : h.height - 1 - line;
    DecodeRow(h, file.data() + h.data_at + line * stride, y, out);
  }
  return PictureStatus::kOk;
}

// Run-length data: pairs of count and value(s), escapes for end of line, end of picture,
// a jump and literal runs (padded to 16 bits). Rows are stored bottom up.
void DecodeRunLength(ByteReader& r, const Header& h, DecodedPicture& out) {
  bool four = h.compression == kRle4;
  int64_t x = 0, line = 0;
  auto put = [&](uint8_t pair, uint32_t i) {
    uint8_t value = four ? (i % 2 ? pair & 15 : pair >> 4) : pair;
    if (x < h.width && line < h.height) {
      out.pixels[static_cast<size_t>(h.height - 1 - line) * out.width + x] = value;
    }
    ++x;
  };
  while (r.ok() && line < h.height) {
    uint8_t count = r.U8(), value = r.U8();
    if (!r.ok()) break;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(value, i);
    } else if (value == 0) {
      x = 0, ++line;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += r.U8(), line += r.U8();
    } else {
      uint32_t bytes = four ? (value + 1) / 2 : value;
      std::span<const uint8_t> literal = r.Block(bytes + bytes % 2);
      for (uint32_t i = 0; r.ok() && i < value; ++i) put(literal[four ? i / 2 : i], i);
    }
  }
}

}  // namespace

PictureStatus DecodeBmp(Bytes file, DecodedPicture& out) {
  Header h;
  if (!ReadHeader(file, h)) return PictureStatus::kCorrupt;
  if (!SizeAllowed(h.width, h.height)) return PictureStatus::kTooLarge;
  PictureStatus status =
      h.bpp <= 8 ? StartIndexed(file, h, out) : StartPicture(h.width, h.height, 32, out);
  if (status != PictureStatus::kOk) return status;
  if (h.compression != kRle8 && h.compression != kRle4) return DecodeUncompressed(file, h, out);
  // A pair covers at most 255 pixels: fewer bytes than that cannot be this picture.
  if (h.data_at > file.size() ||
      static_cast<uint64_t>(h.width) * h.height / 255 > file.size() - h.data_at) {
    return PictureStatus::kCorrupt;
  }
  ByteReader r(file, h.data_at);
  DecodeRunLength(r, h, out);
  return PictureStatus::kOk;
}

}  // namespace corvida::picture
