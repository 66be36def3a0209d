// PICT files, our own reader for what stacks carry: pictures made of bitmaps and pixmaps.
// Versions 1 and 2, with or without the 512-byte file header; the bitmap and pixmap
// opcodes (packed or not, indexed or direct 16 and 32 bits, PackBits rows) and the state
// and comment opcodes around them. Any other opcode (lines, shapes, text, QuickTime)
// ends the reading: what was drawn so far is the picture, and a file that drew nothing
// is refused. The canvas is the picture frame, white, in true colour.
#include <algorithm>
#include <vector>

#include "platform/picture/byte_reader.h"
#include "platform/picture/formats.h"

namespace corvida::picture {
namespace {

struct Rect {
  int64_t top = 0, left = 0, bottom = 0, right = 0;
  int64_t width() const { return right - left; }
  int64_t height() const { return bottom - top; }
};

Rect ReadRect(ByteReader& r) {
  Rect rect;
  rect.top = static_cast<int16_t>(r.Be16()), rect.left = static_cast<int16_t>(r.Be16());
  rect.bottom = static_cast<int16_t>(r.Be16()), rect.right = static_cast<int16_t>(r.Be16());
  return rect;
}

// A source picture of a bitmap opcode, as RGB, top row first.
struct Source {
  Rect bounds;
  std::vector<gfx::Rgb> pixels;
};

struct PixMap {
  Rect bounds;
  size_t row_bytes = 0;
  int pixel_size = 1;
  int pack_type = 0;
  int components = 1;
  std::vector<gfx::Rgb> colours{{255, 255, 255}, {0, 0, 0}};  // a bitmap's white and black
  // How rows are stored, settled once the opcode is known (see Layout).
  bool raw = true;
  bool planar = false;  // 32 bits packed as planes of red, green, blue (alpha first)
  size_t row_size = 0;  // bytes of one expanded row
};

// Rows are raw when short, unpacked or packed types 1 and 2 (2: three bytes a pixel);
// packed 32-bit rows hold one plane per component.
bool Layout(PixMap& pm, bool packed) {
  int64_t width = pm.bounds.width();
  pm.raw = !packed || pm.row_bytes < 8 || pm.pack_type == 1 || pm.pack_type == 2;
  pm.planar = pm.pixel_size == 32 && !pm.raw;
  uint64_t needed = (static_cast<uint64_t>(width) * pm.pixel_size + 7) / 8;
  if (pm.planar) {
    pm.row_size = needed = static_cast<uint64_t>(width) * pm.components;
  } else if (pm.pixel_size == 32 && pm.pack_type == 2) {
    pm.row_size = needed = static_cast<uint64_t>(width) * 3;
  } else {
    pm.row_size = pm.row_bytes;
  }
  return width >= 1 && pm.row_size >= needed;
}

// Expands PackBits data of 1- or 2-byte items into `row`; false when it does not fit.
bool UnpackBits(std::span<const uint8_t> in, size_t item, std::vector<uint8_t>& row) {
  size_t at = 0, out = 0;
  while (at < in.size() && out < row.size()) {
    int8_t n = static_cast<int8_t>(in[at++]);
    if (n == -128) continue;
    bool literal = n >= 0;
    size_t count = (literal ? n + 1 : 1 - n) * item;
    size_t read = literal ? count : item;
    if (in.size() - at < read || row.size() - out < count) return false;
    for (size_t i = 0; i < count; ++i) row[out + i] = in[at + (literal ? i : i % item)];
    at += read;
    out += count;
  }
  return true;
}

// One stored row: raw, or a byte count and PackBits data.
bool ReadRow(ByteReader& r, const PixMap& pm, std::vector<uint8_t>& row) {
  std::fill(row.begin(), row.end(), 0);
  if (pm.raw) {
    std::span<const uint8_t> data = r.Block(row.size());
    if (r.ok()) std::copy(data.begin(), data.end(), row.begin());
    return r.ok();
  }
  size_t count = pm.row_bytes > 250 ? r.Be16() : r.U8();
  std::span<const uint8_t> data = r.Block(count);
  return r.ok() && UnpackBits(data, pm.pixel_size == 16 ? 2 : 1, row);
}

gfx::Rgb PixelAt(const PixMap& pm, const std::vector<uint8_t>& row, int64_t x) {
  if (pm.pixel_size <= 8) {
    int64_t bit = x * pm.pixel_size;
    int index = (row[bit / 8] >> (8 - pm.pixel_size - bit % 8)) & ((1 << pm.pixel_size) - 1);
    return index < static_cast<int>(pm.colours.size()) ? pm.colours[index] : gfx::Rgb{};
  }
  if (pm.pixel_size == 16) {
    uint16_t v = row[x * 2] << 8 | row[x * 2 + 1];
    auto widen = [](int c) { return static_cast<uint8_t>(c << 3 | c >> 2); };
    return {widen(v >> 10 & 31), widen(v >> 5 & 31), widen(v & 31)};
  }
  if (pm.planar) {
    int64_t width = pm.bounds.width(), first = pm.components == 4 ? width : 0;
    return {row[first + x], row[first + width + x], row[first + 2 * width + x]};
  }
  if (pm.pack_type == 2) return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
  return {row[x * 4 + 1], row[x * 4 + 2], row[x * 4 + 3]};  // x, red, green, blue
}

bool ReadPixMapFields(ByteReader& r, PixMap& pm) {
  r.Skip(2);  // version
  pm.pack_type = r.Be16();
  r.Skip(12);  // pack size, resolutions
  r.Skip(2);   // pixel type
  pm.pixel_size = r.Be16();
  pm.components = r.Be16();
  r.Skip(14);  // component size, plane bytes, colour table handle, reserved
  bool known = pm.pixel_size == 1 || pm.pixel_size == 2 || pm.pixel_size == 4 ||
               pm.pixel_size == 8 || pm.pixel_size == 16 || pm.pixel_size == 32;
  return r.ok() && known && (pm.pixel_size != 32 || pm.components == 3 || pm.components == 4);
}

bool ReadColourTable(ByteReader& r, PixMap& pm) {
  r.Skip(4);  // seed
  bool by_position = r.Be16() & 0x8000;
  int entries = r.Be16() + 1;
  if (!r.ok() || entries > 256) return false;
  pm.colours.assign(256, gfx::Rgb{});
  for (int i = 0; i < entries; ++i) {
    int value = r.Be16() & 0xFF;
    uint8_t red = r.Be16() >> 8, green = r.Be16() >> 8, blue = r.Be16() >> 8;
    pm.colours[by_position ? i : value] = {red, green, blue};
  }
  return r.ok();
}

bool SkipRegion(ByteReader& r) {
  uint16_t size = r.Be16();
  if (size < 10) return false;
  r.Skip(size - 2);
  return r.ok();
}

class PictReader {
 public:
  PictReader(Bytes file, size_t start, DecodedPicture& out)
      : r_(file, start), start_(start), out_(out) {}

  PictureStatus Read();

 private:
  bool Step(uint16_t opcode);
  bool Bits(uint16_t opcode);
  bool DecodeSource(const PixMap& pm, Source& source);
  void Draw(const Source& source, const Rect& src, const Rect& dst);
  void Align() {
    if (version_ == 2 && (r_.position() - start_) % 2) r_.Skip(1);
  }

  ByteReader r_;
  size_t start_;
  DecodedPicture& out_;
  Rect frame_;
  int version_ = 1;
  int drawn_ = 0;
  uint64_t work_left_ = 0;  // pixels the bitmap opcodes may still decode and draw
};

PictureStatus PictReader::Read() {
  r_.Skip(2);  // the picture's size, which wraps for large pictures
  frame_ = ReadRect(r_);
  version_ = r_.U8() == 0x11 ? 1 : 2;  // v1: 11 01; v2: 00 11 02 FF
  r_.Seek(r_.position() + (version_ == 1 ? 1 : 3));
  if (!r_.ok()) return PictureStatus::kCorrupt;
  if (!SizeAllowed(frame_.width(), frame_.height())) {
    return frame_.width() < 1 || frame_.height() < 1 ? PictureStatus::kCorrupt
                                                     : PictureStatus::kTooLarge;
  }
  // Bitmaps fill the frame: packed one-bit rows give at most 512 pixels a byte, and
  // pictures scaled up far beyond that are not what stacks carry.
  uint64_t pixels = static_cast<uint64_t>(frame_.width()) * frame_.height();
  if (!PlausibleSize(pixels, r_.remaining(), 512)) return PictureStatus::kCorrupt;
  PictureStatus status = StartPicture(frame_.width(), frame_.height(), 32, out_);
  if (status != PictureStatus::kOk) return status;
  std::fill(out_.pixels.begin(), out_.pixels.end(), 255);
  // Drawing the whole canvas a few times over is plenty for any real picture.
  work_left_ = std::max<uint64_t>(uint64_t(out_.width) * out_.height * 4, 1 << 20);
  for (;;) {
    Align();
    uint16_t opcode = version_ == 1 ? r_.U8() : r_.Be16();
    if (!r_.ok() || opcode == 0x00FF || !Step(opcode)) break;
  }
  return drawn_ > 0 ? PictureStatus::kOk : PictureStatus::kCorrupt;
}

// Sizes of the opcodes that only set state or carry comments.
int FixedSize(uint16_t opcode, int version) {
  switch (opcode) {
    case 0x0000:
    case 0x001C:
    case 0x001E:
      return 0;
    case 0x0004:
      return 1;
    case 0x0003:
    case 0x0005:
    case 0x0008:
    case 0x000D:
    case 0x0015:
    case 0x0016:
    case 0x00A0:
      return 2;
    case 0x0006:
    case 0x0007:
    case 0x000B:
    case 0x000C:
    case 0x000E:
    case 0x000F:
      return 4;
    case 0x001A:
    case 0x001B:
    case 0x001D:
    case 0x001F:
      return 6;
    case 0x0002:
    case 0x0009:
    case 0x000A:
    case 0x0010:
      return 8;
    case 0x0011:
      return version == 1 ? 1 : 2;
    case 0x0C00:
      return 24;
  }
  return -1;
}

bool PictReader::Step(uint16_t opcode) {
  if (int size = FixedSize(opcode, version_); size >= 0) {
    r_.Skip(size);
    return r_.ok();
  }
  switch (opcode) {
    case 0x0001:
      return SkipRegion(r_);
    case 0x00A1:
      r_.Skip(2);
      r_.Skip(r_.Be16());
      return r_.ok();
    case 0x0090:
    case 0x0091:
    case 0x0098:
    case 0x0099:
    case 0x009A:
    case 0x009B:
      return Bits(opcode);
  }
  return false;  // drawing we do not read: stop here
}

bool PictReader::Bits(uint16_t opcode) {
  bool direct = opcode >= 0x009A;
  if (direct) r_.Skip(4);  // base address
  PixMap pm;
  uint16_t row_bytes = r_.Be16();
  pm.row_bytes = row_bytes & 0x3FFF;
  pm.bounds = ReadRect(r_);
  if (row_bytes & 0x8000 || direct) {
    if (!ReadPixMapFields(r_, pm)) return false;
    if (!direct && (pm.pixel_size > 8 || !ReadColourTable(r_, pm))) return false;
    if (direct && pm.pixel_size < 16) return false;
  }
  Rect src = ReadRect(r_), dst = ReadRect(r_);
  r_.Skip(2);  // transfer mode
  if ((opcode & 1) && !SkipRegion(r_)) return false;
  Source source;
  bool packed = opcode != 0x0090 && opcode != 0x0091;
  if (!r_.ok() || !Layout(pm, packed) || !DecodeSource(pm, source)) return false;
  Draw(source, src, dst);
  ++drawn_;
  return true;
}

bool PictReader::DecodeSource(const PixMap& pm, Source& source) {
  int64_t width = pm.bounds.width(), height = pm.bounds.height();
  if (!SizeAllowed(width, height)) return false;
  uint64_t pixels = static_cast<uint64_t>(width) * height;
  // Packed rows expand at most 64 times: fewer bytes than that cannot be this picture.
  if (pixels > work_left_ || pm.row_size * height / 64 > r_.remaining()) return false;
  work_left_ -= pixels;
  source.bounds = pm.bounds;
  source.pixels.resize(pixels);
  std::vector<uint8_t> row(pm.row_size);
  for (int64_t y = 0; y < height; ++y) {
    if (!ReadRow(r_, pm, row)) return false;
    for (int64_t x = 0; x < width; ++x) source.pixels[y * width + x] = PixelAt(pm, row, x);
  }
  return true;
}

// Copies `src` of the source onto `dst` of the frame, scaled to fit, clipped to the canvas.
void PictReader::Draw(const Source& source, const Rect& src, const Rect& dst) {
  if (src.width() < 1 || src.height() < 1 || dst.width() < 1 || dst.height() < 1) return;
  int64_t x0 = std::max<int64_t>(dst.left - frame_.left, 0);
  int64_t y0 = std::max<int64_t>(dst.top - frame_.top, 0);
  int64_t x1 = std::min<int64_t>(dst.right - frame_.left, out_.width);
  int64_t y1 = std::min<int64_t>(dst.bottom - frame_.top, out_.height);
  if (x1 <= x0 || y1 <= y0) return;
  uint64_t area = uint64_t(x1 - x0) * (y1 - y0);
  if (area > work_left_) return;
  work_left_ -= area;
  int64_t sw = source.bounds.width(), sh = source.bounds.height();
  for (int64_t y = y0; y < y1; ++y) {
    int64_t sy =
        src.top + (y + frame_.top - dst.top) * src.height() / dst.height() - source.bounds.top;
    for (int64_t x = x0; x < x1; ++x) {
      int64_t sx =
          src.left + (x + frame_.left - dst.left) * src.width() / dst.width() - source.bounds.left;
      if (sx < 0 || sy < 0 || sx >= sw || sy >= sh) continue;
      gfx::Rgb c = source.pixels[sy * sw + sx];
      PutRgba(out_, x, y, c.r, c.g, c.b);
    }
  }
}

}  // namespace

size_t PictStart(Bytes file) {
  auto version_at = [&](size_t at) {
    if (file.size() < at + 14) return false;
    const uint8_t* v = file.data() + at + 10;
    bool v1 = v[0] == 0x11 && v[1] == 0x01;
    return v1 || (v[0] == 0 && v[1] == 0x11 && v[2] == 2 && v[3] == 0xFF);
  };
  return version_at(512) ? 512 : version_at(0) ? 0 : kNotPict;
}

PictureStatus DecodePict(Bytes file, DecodedPicture& out) {
  size_t start = PictStart(file);
  if (start == kNotPict) return PictureStatus::kCorrupt;
  return PictReader(file, start, out).Read();
}

}  // namespace corvida::picture
