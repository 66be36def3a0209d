// Format recognition and header sizes of picture files, read with bounds checks before
// any decoder sees the bytes, so a small hostile file cannot ask for a huge picture.
#include <algorithm>
#include <cstring>

#include "platform/bytes.h"
#include "platform/picture.h"
#include "platform/picture/formats.h"
#include "platform/text.h"

namespace corvida {
namespace {

using Bytes = std::span<const uint8_t>;

bool StartsWith(Bytes b, const char* magic, size_t n) {
  return b.size() >= n && std::memcmp(b.data(), magic, n) == 0;
}

// Sizes are kept as 64-bit values until checked, so no header can overflow an int.
struct Dims {
  bool ok = false;
  int64_t width = 0;
  int64_t height = 0;
};

Dims Png(Bytes b) {
  if (b.size() < 24 || std::memcmp(b.data() + 12, "IHDR", 4) != 0) return {};
  return {true, ReadBE32(b, 16), ReadBE32(b, 20)};
}

// Every image of a GIF, walked block by block. Frames lie on a canvas reaching to each
// frame's far corner, and frames of no size are nonsense, so both are checked here: the
// size reported covers the screen and every frame's extent.
// A frame must also have data enough for its pixels: a code of at least 3 bits gives at
// most 4096 pixels, so n bytes hold at most n * 8 / 3 * 4096 of them. Without that check
// a few bytes could have the decoder fill a picture of hundreds of megabytes.
Dims Gif(Bytes b) {
  if (b.size() < 13) return {};
  Dims dims{false, ReadLE16(b, 6), ReadLE16(b, 8)};
  size_t at = 13;
  if (b[10] & 0x80) at += 3u << ((b[10] & 7) + 1);
  auto skip_sub_blocks = [&] {
    uint64_t data = 0;
    while (at < b.size() && b[at] != 0) {
      data += b[at];
      at += b[at] + 1u;
    }
    ++at;  // block terminator
    return data;
  };
  while (at < b.size() && b[at] != 0x3B) {
    if (b[at] == 0x21) {  // extension: introducer, label, sub-blocks
      at += 2;
      skip_sub_blocks();
      continue;
    }
    if (b[at] != 0x2C || at + 10 > b.size()) break;  // garbage or a cut descriptor
    int64_t left = ReadLE16(b, at + 1), top = ReadLE16(b, at + 3);
    int64_t width = ReadLE16(b, at + 5), height = ReadLE16(b, at + 7);
    if (width == 0 || height == 0) return {};
    dims.width = std::max(dims.width, left + width);
    dims.height = std::max(dims.height, top + height);
    dims.ok = true;
    uint8_t flags = b[at + 9];
    at += 10;
    if (flags & 0x80) at += 3u << ((flags & 7) + 1);  // local colour table
    // The format allows code sizes of 2 to 8.
    if (at >= b.size() || b[at] < 2 || b[at] > 8) return {};
    at += 1;
    uint64_t data = skip_sub_blocks();
    if (static_cast<uint64_t>(width * height) * 3 > data * 8 * 4096) return {};
  }
  return dims;
}

Dims Bmp(Bytes b) {
  if (b.size() < 26) return {};
  uint32_t header = ReadLE32(b, 14);
  if (header == 12) return {true, ReadLE16(b, 18), ReadLE16(b, 20)};
  if (header < 40) return {};
  int32_t w = static_cast<int32_t>(ReadLE32(b, 18));
  int32_t h = static_cast<int32_t>(ReadLE32(b, 22));
  if (w <= 0 || h == 0 || h == INT32_MIN) return {};
  return {true, w, h < 0 ? -static_cast<int64_t>(h) : h};  // negative: rows top-down
}

// Walks the JPEG markers to the first start-of-frame.
Dims Jpeg(Bytes b) {
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (b[at] != 0xFF) return {};
    uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return {};  // end or scan before any frame
    uint32_t length = ReadBE16(b, at + 2);
    if (length < 2) return {};
    bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size() || length < 7) return {};
      return {true, ReadBE16(b, at + 7), ReadBE16(b, at + 5)};
    }
    at += 2 + length;
  }
  return {};
}

// Width and length tags of the first image file directory.
Dims Tiff(Bytes b) {
  if (b.size() < 8) return {};
  bool little = b[0] == 'I';
  auto u16 = [&](size_t at) { return little ? ReadLE16(b, at) : ReadBE16(b, at); };
  auto u32 = [&](size_t at) { return little ? ReadLE32(b, at) : ReadBE32(b, at); };
  uint64_t ifd = u32(4);
  if (ifd + 2 > b.size()) return {};
  uint32_t count = u16(ifd);
  Dims dims;
  bool have_w = false, have_h = false;
  for (uint32_t i = 0; i < count; ++i) {
    uint64_t entry = ifd + 2 + 12ull * i;
    if (entry + 12 > b.size()) return {};
    uint32_t tag = u16(entry), type = u16(entry + 2);
    if (tag != 256 && tag != 257) continue;
    int64_t value;
    if (type == 3)
      value = u16(entry + 8);
    else if (type == 4)
      value = u32(entry + 8);
    else
      return {};
    if (tag == 256)
      dims.width = value, have_w = true;
    else
      dims.height = value, have_h = true;
  }
  dims.ok = have_w && have_h;
  return dims;
}

// Corners and line lengths are 16-bit values that some writers treat as signed: a line
// must hold the row's pixels and stay below 32768 bytes.
Dims Pcx(Bytes b) {
  if (b.size() < 128) return {};
  uint32_t x0 = ReadLE16(b, 4), y0 = ReadLE16(b, 6), x1 = ReadLE16(b, 8), y1 = ReadLE16(b, 10);
  uint32_t planes = b[65], line = ReadLE16(b, 66);
  if (x1 < x0 || y1 < y0 || x1 >= 0x8000 || y1 >= 0x8000) return {};
  uint64_t width = x1 - x0 + 1;
  if (planes < 1 || planes > 4 || line >= 0x8000 || line < (width * b[3] + 7) / 8) return {};
  return {true, static_cast<int64_t>(width), y1 - y0 + 1};
}
bool LooksLikePcx(Bytes b) {
  return b.size() >= 128 && b[0] == 0x0A && b[1] <= 5 && b[2] <= 1 &&
         (b[3] == 1 || b[3] == 2 || b[3] == 4 || b[3] == 8);
}

bool LooksLikeTga(Bytes b) {
  if (b.size() < 18 || b[1] > 1) return false;
  uint8_t type = b[2], depth = b[16];
  bool known_type = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  bool known_depth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  return known_type && known_depth;
}
// A TGA must carry its pixels: all of them when uncompressed, and at least one run
// packet per 128 pixels when run-length encoded. A few bytes claiming a huge picture
// would otherwise keep the decoder busy for seconds.
Dims Tga(Bytes b) {
  if (b.size() < 18) return {};
  uint64_t width = ReadLE16(b, 12), height = ReadLE16(b, 14);
  uint64_t pixel_bytes = (b[16] + 7u) / 8;
  uint64_t colour_map = b[1] == 1 ? ReadLE16(b, 5) * ((b[7] + 7u) / 8) : 0;
  uint64_t data = 18 + b[0] + colour_map;
  uint64_t pixels = width * height;
  uint64_t least = b[2] >= 9 ? (pixels + 127) / 128 * (1 + pixel_bytes) : pixels * pixel_bytes;
  if (data + least > b.size()) return {};
  return {true, static_cast<int64_t>(width), static_cast<int64_t>(height)};
}

// The picture frame of a PICT; the version opcode follows it.
Dims Pict(Bytes b, size_t at) {
  auto i16 = [&](size_t n) {
    return static_cast<int64_t>(static_cast<int16_t>(ReadBE16(b, at + n)));
  };
  return {true, i16(8) - i16(4), i16(6) - i16(2)};
}

}  // namespace

PictureStatus ProbePicture(std::span<const uint8_t> bytes, std::string_view name,
                           PictureInfo& info) {
  info = PictureInfo{};
  Dims dims;
  PictureFormat format = PictureFormat::kUnknown;
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n", 8)) {
    format = PictureFormat::kPng, dims = Png(bytes);
  } else if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6)) {
    format = PictureFormat::kGif, dims = Gif(bytes);
  } else if (StartsWith(bytes, "BM", 2)) {
    format = PictureFormat::kBmp, dims = Bmp(bytes);
  } else if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) {
    format = PictureFormat::kJpeg, dims = Jpeg(bytes);
  } else if (StartsWith(bytes, "II*\0", 4) || StartsWith(bytes, "MM\0*", 4)) {
    format = PictureFormat::kTiff, dims = Tiff(bytes);
  } else if (LooksLikePcx(bytes)) {
    format = PictureFormat::kPcx, dims = Pcx(bytes);
  } else if (size_t start = picture::PictStart(bytes); start != picture::kNotPict) {
    format = PictureFormat::kPict, dims = Pict(bytes, start);
  } else if (HasExtensionIgnoringCase(name, "tga") || LooksLikeTga(bytes)) {
    format = PictureFormat::kTga, dims = Tga(bytes);
  } else {
    return PictureStatus::kUnknownFormat;
  }
  info.format = format;
  if (!dims.ok || dims.width < 1 || dims.height < 1) return PictureStatus::kCorrupt;
  if (dims.width > kMaxPictureSide || dims.height > kMaxPictureSide ||
      static_cast<uint64_t>(dims.width * dims.height) * 4 > kMaxPictureBytes) {
    return PictureStatus::kTooLarge;
  }
  info.width = static_cast<int>(dims.width);
  info.height = static_cast<int>(dims.height);
  return PictureStatus::kOk;
}

}  // namespace corvida
