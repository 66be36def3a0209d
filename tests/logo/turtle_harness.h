// Pictures for turtle tests: a white picture (its client area may be smaller), an
// interpreter drawing on it, and the painted pixels as a set to compare with.
#pragma once

#include <set>
#include <utility>

#include "logo/turtle.h"
#include "logo_harness.h"

namespace corvida::logo::testing {

inline constexpr gfx::Rgb kBlack = gfx::kBlack, kWhite = gfx::kWhite, kRed{255, 0, 0},
                          kBlue{0, 0, 255};

// A picture whose client area may be smaller than the picture itself.
class InsetSurface : public TurtleSurface {
 public:
  InsetSurface(int w, int h, Rect area) : area_(area) {
    bitmap_.Create(w, h, 32);
    target_.emplace(bitmap_);
    target_->FillRect(bitmap_.Bounds(), gfx::Color::FromRgb(kWhite));
  }
  gfx::DrawTarget* Target() override { return &*target_; }
  Rect ClientArea() override { return area_; }
  const gfx::Bitmap& bitmap() const { return bitmap_; }

 private:
  Rect area_;
  gfx::Bitmap bitmap_;
  std::optional<gfx::DrawTarget> target_;
};

// An interpreter drawing on a white picture (100 x 100 unless said otherwise).
struct TurtleRun {
  explicit TurtleRun(int w = 100, int h = 100, Rect area = {0, 0, 100, 100},
                     InterpreterConfig config = {})
      : harness(config), surface(w, h, area) {
    harness.interp().SetTurtleSurface(&surface);
  }
  std::string Lines(const std::string& text) { return harness.Lines(text); }
  gfx::Rgb At(int x, int y) const { return surface.bitmap().ColorAt(x, y); }
  Harness harness;
  InsetSurface surface;
};

// Pixels of a picture that differ from `background`, with their colours.
using Painted = std::set<std::pair<std::pair<int, int>, uint32_t>>;

inline Painted Differing(const TurtleRun& run, gfx::Rgb background) {
  Painted out;
  const gfx::Bitmap& b = run.surface.bitmap();
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.ColorAt(x, y) != background)
        out.insert({{x, y}, gfx::Color::FromRgb(b.ColorAt(x, y)).value});
  return out;
}
inline Painted NonWhite(const TurtleRun& run) {
  return Differing(run, kWhite);
}

inline void Paint(Painted& p, int x, int y, gfx::Rgb c = kBlack) {
  p.insert({{x, y}, gfx::Color::FromRgb(c).value});
}
inline void Column(Painted& p, int x, int y0, int y1, gfx::Rgb c = kBlack) {  // y0..y1 inclusive
  for (int y = y0; y <= y1; ++y) Paint(p, x, y, c);
}
inline void Row(Painted& p, int y, int x0, int x1, gfx::Rgb c = kBlack) {
  for (int x = x0; x <= x1; ++x) Paint(p, x, y, c);
}

}  // namespace corvida::logo::testing
