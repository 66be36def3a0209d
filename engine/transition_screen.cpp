#include "engine/transition_screen.h"

#include <cstring>

#include "platform/gfx/draw.h"

namespace corvida {
namespace {

// Byte-aligned rows of equal depth copy as memory.
bool CopyRowsAsBytes(gfx::Bitmap& dst, const Rect& d, const gfx::Bitmap& src, int sx, int sy) {
  const int depth = dst.depth();
  if (src.depth() != depth) return false;
  const long long bit0 = (long long)d.left * depth, sbit0 = (long long)(d.left + sx) * depth;
  const long long bits = (long long)d.Width() * depth;
  if (bit0 % 8 || sbit0 % 8 || bits % 8) return false;
  for (int y = d.top; y < d.bottom; ++y)
    std::memcpy(dst.Row(y) + bit0 / 8, src.Row(y + sy) + sbit0 / 8, size_t(bits / 8));
  return true;
}

}  // namespace

bool ReuseOrCreate(gfx::Bitmap& b, int width, int height, int depth) {
  if (!b.empty() && b.width() == width && b.height() == height && b.depth() == depth) return true;
  return b.Create(width, height, depth);
}

void CopyPixels(gfx::Bitmap& dst, const Rect& r, const gfx::Bitmap& src, Point src_at) {
  if (dst.empty() || src.empty()) return;
  const int sx = src_at.x - r.left, sy = src_at.y - r.top;  // source = destination + shift
  const Rect d = r.Intersect(dst.Bounds()).Intersect(src.Bounds().Offset(-sx, -sy));
  if (d.Empty()) return;
  if (CopyRowsAsBytes(dst, d, src, sx, sy)) return;
  if (dst.indexed() && src.indexed()) {
    const uint32_t mask = (1u << dst.depth()) - 1;
    for (int y = d.top; y < d.bottom; ++y)
      for (int x = d.left; x < d.right; ++x) dst.Set(x, y, src.Get(x + sx, y + sy) & mask);
    return;
  }
  gfx::DrawTarget target(dst);
  target.BitBlt(d, src, {d.left + sx, d.top + sy}, gfx::rop::kSrcCopy);
}

void BitmapTransitionScreen::Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) {
  const Rect d = r.Intersect(shown_.Bounds());
  if (d.Empty()) return;
  CopyPixels(shown_, d, source, {source_at.x + d.left - r.left, source_at.y + d.top - r.top});
  MarkDirty(d);
}

bool BitmapTransitionScreen::Read(const Rect& r, gfx::Bitmap& out) {
  if (r.Empty() || shown_.empty() || !ReuseOrCreate(out, r.Width(), r.Height(), shown_.depth()))
    return false;
  out.palette = shown_.palette;
  CopyPixels(out, out.Bounds(), shown_, {r.left, r.top});
  return true;
}

void BitmapTransitionScreen::SetPalette(const gfx::Palette& palette) {
  shown_.palette = palette;
  if (shown_.indexed()) MarkDirty(shown_.Bounds());
}

void BitmapTransitionScreen::Present() {
  if (dirty_.Empty()) return;
  if (presenter_) presenter_(dirty_);
  dirty_ = {};
}

void BitmapTransitionScreen::Wait(uint32_t ms) {
  Message m;
  if (!windows_.WaitMessage(m, ms)) return;
  if (handler_) return handler_(m);
  if (m.message == msg::kTimer) {
    for (const Message& held : held_)
      if (held.message == m.message && held.window == m.window && held.wParam == m.wParam) return;
  }
  held_.push_back(m);
}

void BitmapTransitionScreen::Finished() {
  Present();
  for (const Message& m : held_) windows_.PostMessage(m);
  held_.clear();
}

}  // namespace corvida
