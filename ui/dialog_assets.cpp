#include "ui/dialog_assets.h"

namespace corvida {
namespace {

constexpr gfx::Color kFur = gfx::Color::FromRgb(196, 140, 72);
constexpr gfx::Color kEar = gfx::Color::FromRgb(120, 72, 32);
constexpr gfx::Color kMuzzle = gfx::Color::FromRgb(240, 220, 180);
constexpr gfx::Color kDark = gfx::Color::FromRgb(gfx::kBlack);
constexpr gfx::Color kTongue = gfx::Color::FromRgb(230, 90, 110);

// The dog's shapes at an x offset; in the mask every shape is plain black.
void Dog(gfx::DrawTarget& t, int dx, bool mask) {
  auto shape = [&](Rect r, gfx::Color c) {
    t.state().brush = gfx::Brush::Solid(mask ? kDark : c);
    t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, kDark, 1, 0};
    t.Ellipse(r.Offset(dx, 0));
  };
  shape({3, 6, 17, 32}, kEar);  // ears hang beside the head
  shape({31, 6, 45, 32}, kEar);
  shape({9, 4, 39, 38}, kFur);       // head
  shape({15, 22, 33, 44}, kMuzzle);  // muzzle
  if (mask) return;
  shape({21, 38, 27, 46}, kTongue);
  shape({15, 15, 21, 21}, kDark);  // eyes
  shape({27, 15, 33, 21}, kDark);
  shape({20, 24, 28, 30}, kDark);                               // nose
  t.SetPixel({17 + dx, 16}, gfx::Color::FromRgb(gfx::kWhite));  // a gleam in each eye
  t.SetPixel({29 + dx, 16}, gfx::Color::FromRgb(gfx::kWhite));
}

}  // namespace

gfx::Bitmap MakeMascotBitmap() {
  gfx::Bitmap bitmap;
  if (!bitmap.Create(2 * kMascotSide, kMascotSide, 32)) return bitmap;
  gfx::DrawTarget t(bitmap);
  t.FillRect(bitmap.Bounds(), gfx::Color::FromRgb(gfx::kWhite));
  Dog(t, 0, false);
  Dog(t, kMascotSide, true);
  return bitmap;
}

void DrawMascot(gfx::DrawTarget& target, Point at) {
  const gfx::Bitmap bitmap = MakeMascotBitmap();
  if (bitmap.empty()) return;
  for (int y = 0; y < kMascotSide; ++y)
    for (int x = 0; x < kMascotSide; ++x)
      if (bitmap.Get(x + kMascotSide, y) == 0)  // black in the mask: the dog shows
        target.SetPixel({at.x + x, at.y + y}, gfx::Color::FromRgb(bitmap.ColorAt(x, y)));
}

}  // namespace corvida
