// Raster operations between bitmaps: PatBlt, BitBlt, StretchBlt and masked copies.
#include <array>
#include <cstring>
#include <vector>

#include "platform/gfx/draw.h"
#include "platform/gfx/draw_internal.h"
#include "platform/gfx/pixel_row.h"

namespace corvida::gfx {
namespace {

using detail::IsMask;
using detail::PixelMask;

using Table = std::array<uint32_t, 256>;

// The last few colour tables made between an indexed source palette and an indexed
// target palette, with both palettes, so that a table is reused only for the very same
// colours. A memo of a pure computation: what it holds never changes a pixel.
class TableMemo {
 public:
  bool Find(const Palette& from, int n, const Palette& to, int depth, Table& out) const {
    for (const Slot& slot : slots_) {
      if (slot.used && slot.n == n && slot.depth == depth && Same(slot.from, from, n) &&
          slot.to.count == to.count && Same(slot.to, to, to.count)) {
        out = slot.table;
        return true;
      }
    }
    return false;
  }
  void Keep(const Palette& from, int n, const Palette& to, int depth, const Table& table) {
    Slot& slot = slots_[next_];
    next_ = (next_ + 1) % slots_.size();
    slot = {true, n, depth, from, to, table};
  }

 private:
  static bool Same(const Palette& a, const Palette& b, int n) {
    for (int i = 0; i < n; ++i)
      if (a.At(i) != b.At(i)) return false;
    return true;
  }
  struct Slot {
    bool used = false;
    int n = 0;
    int depth = 0;
    Palette from, to;
    Table table{};
  };
  std::array<Slot, 8> slots_;
  size_t next_ = 0;
};

TableMemo& RecentTables() {
  thread_local TableMemo memo;
  return memo;
}

// Writes one pixel value as Bitmap::Set does, for rows of 8 or 32 bits.
inline void Put(uint8_t* row, int x, int depth, uint32_t v) {
  if (depth == 8) {
    row[x] = uint8_t(v);
  } else {
    uint8_t* p = row + 4 * x;
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = 0;
  }
}

// The value of pixel x in a row of an indexed bitmap (depth 8 or less).
inline uint8_t IndexAt(const uint8_t* row, int x, int depth) {
  return uint8_t(PixelInRow(row, x, depth));
}

// Converts source pixel values into pixel values of the target.
class SourceMapper {
 public:
  SourceMapper(const Bitmap& src, const DrawTarget& dst) : src_(src), dst_(dst) {
    const Bitmap& target = dst.bitmap();
    depth_ = target.depth();
    if (IsMask(target)) {
      // Colour to mask: the background colour gives 1, everything else 0.
      to_mask_ = !IsMask(src);
      identity_ = IsMask(src);
      if (to_mask_) back_ = dst.RgbOf(dst.state().bk_color);
    } else if (src.indexed()) {
      const int n = 1 << src.depth();
      const bool same_table = src.depth() == depth_ && !IsMask(src) &&
                              (src.palette_relative || src.palette.SameColors(dst.palette()));
      identity_ = same_table;
      indexed_ = true;
      if (identity_) return;
      // Colours onto an indexed target need a nearest-colour search each: the table is
      // kept for the next copy between the same two palettes (icons drawn on every card).
      const bool searched = !IsMask(src) && !src.palette_relative && depth_ <= 8;
      if (searched && RecentTables().Find(src.palette, n, dst.palette(), depth_, table_)) return;
      for (int i = 0; i < n; ++i) {
        uint32_t v;
        if (IsMask(src)) {
          v = dst.PixelOf(i == 0 ? dst.state().text_color : dst.state().bk_color);
        } else if (src.palette_relative) {
          v = dst.PixelOf(Color::Index(uint8_t(i)));
        } else {
          v = PixelFromRgb(src.palette.At(i), depth_, dst.palette());
        }
        table_[size_t(i)] = v;
      }
      if (searched) RecentTables().Keep(src.palette, n, dst.palette(), depth_, table_);
    } else {
      identity_ = src.depth() == depth_;
    }
  }

  bool identity() const { return identity_; }
  // For an indexed source that is not copied as it is: its pixel values in the target.
  const uint32_t* table() const { return indexed_ && !identity_ ? table_.data() : nullptr; }

  uint32_t operator()(uint32_t v) {
    if (identity_) return v;
    if (indexed_) return table_[v & 255];
    Rgb c = RgbFromPixel(v, src_.depth(), src_.palette);
    if (to_mask_) return c == back_ ? 1 : 0;
    if (depth_ >= 16) return PixelFromRgb(c, depth_, dst_.palette());
    // True colour onto an indexed target: remember recent nearest-entry answers.
    uint32_t key = (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
    if (cache_.empty()) cache_.resize(4096);  // made on first use: most copies need none
    Slot& slot = cache_[(key ^ (key >> 12)) & 4095];
    if (!slot.used || slot.key != key) slot = {key, PixelFromRgb(c, depth_, dst_.palette()), true};
    return slot.value;
  }

 private:
  struct Slot {
    uint32_t key = 0;
    uint32_t value = 0;
    bool used = false;
  };
  const Bitmap& src_;
  const DrawTarget& dst_;
  int depth_ = 0;
  bool identity_ = false;
  bool indexed_ = false;
  bool to_mask_ = false;
  Rgb back_;
  std::array<uint32_t, 256> table_{};
  std::vector<Slot> cache_;
};

// The brush's pixel value at a bitmap pixel.
class PatternSource {
 public:
  explicit PatternSource(const DrawTarget& t) : brush_(t.state().brush) {
    fore_ = t.PixelOf(brush_.color);
    back_ = t.PixelOf(t.state().bk_color);
    if (brush_.style == Brush::Style::kNull) fore_ = back_;
  }
  uint32_t operator()(int x, int y) const {
    if (brush_.style != Brush::Style::kPattern) return fore_;
    return (brush_.pattern[size_t(y & 7)] & (0x80 >> (x & 7))) ? fore_ : back_;
  }

 private:
  const Brush& brush_;
  uint32_t fore_ = 0;
  uint32_t back_ = 0;
};

}  // namespace

void DrawTarget::PatBlt(const Rect& r, uint32_t rop_code) {
  Bitmap& b = *bitmap_;
  const uint8_t table = rop::Table(rop_code);
  const uint32_t mask = PixelMask(b.depth());
  PatternSource pattern(*this);
  ApplyToRegion(ToDevice(Region(r)), [&](int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      b.Set(x, y, ApplyRop3(table, pattern(x, y), 0, b.Get(x, y)) & mask);
  });
}

void DrawTarget::BitBlt(const Rect& dst, const Bitmap& src, Point src_at, uint32_t rop_code) {
  if (src.empty() || bitmap_->empty()) return;
  if (&src == bitmap_) {  // overlapping copy within one bitmap: read from a snapshot
    Bitmap copy = src;
    return BitBlt(dst, copy, src_at, rop_code);
  }
  Bitmap& b = *bitmap_;
  Rect d = dst.Offset(state_.origin.x, state_.origin.y);
  const int shift_x = src_at.x - d.left, shift_y = src_at.y - d.top;  // source = device + shift
  d = d.Intersect(src.Bounds().Offset(-shift_x, -shift_y));
  if (d.Empty()) return;
  const uint8_t table = rop::Table(rop_code);
  const uint32_t mask = PixelMask(b.depth());
  SourceMapper map(src, *this);
  PatternSource pattern(*this);
  const bool plain_copy = table == 0xCC && map.identity() && b.depth() >= 8;
  const int bytes_per_pixel = b.depth() / 8;
  // Indexed pixels copied onto an 8- or 32-bit target through the colour table.
  const uint32_t* colours = map.table();
  const bool table_copy = table == 0xCC && colours && (b.depth() == 8 || b.depth() == 32);
  ApplyToRegion(Region(d), [&](int y, int x0, int x1) {
    const int sy = y + shift_y;
    if (plain_copy) {
      std::memcpy(b.Row(y) + size_t(x0) * bytes_per_pixel,
                  src.Row(sy) + size_t(x0 + shift_x) * bytes_per_pixel,
                  size_t(x1 - x0) * bytes_per_pixel);
      return;
    }
    if (table_copy) {
      const uint8_t* from = src.Row(sy);
      uint8_t* row = b.Row(y);
      for (int x = x0; x < x1; ++x)
        Put(row, x, b.depth(), colours[IndexAt(from, x + shift_x, src.depth())] & mask);
      return;
    }
    for (int x = x0; x < x1; ++x) {
      uint32_t s = map(src.Get(x + shift_x, sy));
      b.Set(x, y, ApplyRop3(table, pattern(x, y), s, b.Get(x, y)) & mask);
    }
  });
}

void DrawTarget::BitBlt(const Rect& dst, const DrawTarget& src, Point src_at_logical,
                        uint32_t rop_code) {
  BitBlt(dst, src.bitmap(),
         {src_at_logical.x + src.state().origin.x, src_at_logical.y + src.state().origin.y},
         rop_code);
}

void DrawTarget::StretchBlt(const Rect& dst, const Bitmap& src, const Rect& src_rect,
                            uint32_t rop_code) {
  if (src.empty() || bitmap_->empty() || dst.Empty() || src_rect.Empty()) return;
  if (&src == bitmap_) {
    Bitmap copy = src;
    return StretchBlt(dst, copy, src_rect, rop_code);
  }
  Bitmap& b = *bitmap_;
  const Rect d = dst.Offset(state_.origin.x, state_.origin.y);
  const uint8_t table = rop::Table(rop_code);
  const uint32_t mask = PixelMask(b.depth());
  SourceMapper map(src, *this);
  PatternSource pattern(*this);
  const int64_t sw = src_rect.Width(), sh = src_rect.Height();
  const int64_t dw = d.Width(), dh = d.Height();
  // A plain copy of 8-bit pixels onto an 8- or 32-bit target: the source column of each
  // target column is worked out once, and pixels go through the colour table directly.
  if (table == 0xCC && src.depth() == 8 && (b.depth() == 8 || b.depth() == 32)) {
    std::vector<int> columns(static_cast<size_t>(dw));
    for (int64_t i = 0; i < dw; ++i) {
      int sx = src_rect.left + int(i * sw / dw);
      columns[size_t(i)] = sx >= 0 && sx < src.width() ? sx : -1;
    }
    const uint32_t* colours = map.table();
    const int depth = b.depth();
    ApplyToRegion(Region(d), [&](int y, int x0, int x1) {
      int sy = src_rect.top + int((y - d.top) * sh / dh);
      if (sy < 0 || sy >= src.height()) return;
      const uint8_t* from = src.Row(sy);
      uint8_t* row = b.Row(y);
      for (int x = x0; x < x1; ++x) {
        const int sx = columns[size_t(x - d.left)];
        if (sx < 0) continue;
        Put(row, x, depth, (colours ? colours[from[sx]] : from[sx]) & mask);
      }
    });
    return;
  }
  ApplyToRegion(Region(d), [&](int y, int x0, int x1) {
    int sy = src_rect.top + int((y - d.top) * sh / dh);
    if (sy < 0 || sy >= src.height()) return;
    for (int x = x0; x < x1; ++x) {
      int sx = src_rect.left + int((x - d.left) * sw / dw);
      if (sx < 0 || sx >= src.width()) continue;
      uint32_t s = map(src.Get(sx, sy));
      b.Set(x, y, ApplyRop3(table, pattern(x, y), s, b.Get(x, y)) & mask);
    }
  });
}

void DrawTarget::CopyMasked(const Rect& dst, const Bitmap& src, Point src_at, const Bitmap& mask,
                            Point mask_at) {
  if (src.empty() || mask.empty() || bitmap_->empty()) return;
  if (&src == bitmap_) {
    Bitmap copy = src;
    return CopyMasked(dst, copy, src_at, mask, mask_at);
  }
  Bitmap& b = *bitmap_;
  Rect d = dst.Offset(state_.origin.x, state_.origin.y);
  const int sx = src_at.x - d.left, sy = src_at.y - d.top;
  const int mx = mask_at.x - d.left, my = mask_at.y - d.top;
  d = d.Intersect(src.Bounds().Offset(-sx, -sy)).Intersect(mask.Bounds().Offset(-mx, -my));
  if (d.Empty()) return;
  SourceMapper map(src, *this);
  // Indexed pixels through a one-bit mask onto an 8- or 32-bit target, read directly.
  if (src.indexed() && mask.depth() == 1 && (b.depth() == 8 || b.depth() == 32)) {
    const uint32_t* colours = map.table();
    const int depth = b.depth(), src_depth = src.depth();
    ApplyToRegion(Region(d), [&](int y, int x0, int x1) {
      const uint8_t* from = src.Row(y + sy);
      const uint8_t* bits = mask.Row(y + my);
      uint8_t* row = b.Row(y);
      for (int x = x0; x < x1; ++x) {
        if (!IndexAt(bits, x + mx, 1)) continue;
        const uint8_t v = IndexAt(from, x + sx, src_depth);
        Put(row, x, depth, colours ? colours[v] : v);
      }
    });
    return;
  }
  ApplyToRegion(Region(d), [&](int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x)
      if (mask.Get(x + mx, y + my)) b.Set(x, y, map(src.Get(x + sx, y + sy)));
  });
}

}  // namespace corvida::gfx
