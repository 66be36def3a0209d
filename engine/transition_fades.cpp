// The effects with their own pacing: palette fades through a colour, and the zooming
// rectangles.
#include <array>
#include <cmath>

#include "engine/transition_internal.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/region.h"

namespace corvida::transition_detail {
namespace {

constexpr int kFadeSteps = 32;  // palette steps towards the colour; one fewer back
constexpr int kZoomFrames = 18;
constexpr int kZoomRects = 14;
constexpr int kZoomTrail = 4;  // a rectangle is erased this many frames after it is drawn

gfx::Palette Flat(gfx::Rgb colour) {
  gfx::Palette p;
  p.count = 256;
  for (gfx::PaletteEntry& e : p.entries) e = {colour.r, colour.g, colour.b, gfx::palflag::kAnimate};
  return p;
}

// Inverts the one-pixel outline of r on the screen (inverting twice restores it).
void InvertFrame(Run& run, const Rect& r) {
  const gfx::Region outline =
      gfx::Region(r).Subtract(gfx::Region(r.Inset(1, 1))).Intersect(run.image.Bounds());
  for (const Rect& piece : outline.Rects()) {
    gfx::Bitmap strip;
    if (!run.screen.Read(piece, strip)) continue;
    gfx::DrawTarget(strip).InvertRect(strip.Bounds());
    run.screen.Copy(piece, strip, {0, 0});
  }
}

Rect Between(const Rect& from, const Rect& to, double f) {
  auto at = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
  return {at(from.left, to.left), at(from.top, to.top), at(from.right, to.right),
          at(from.bottom, to.bottom)};
}

}  // namespace

void RunFade(Run& run, gfx::Rgb colour) {
  // Only an indexed screen fades, by animating its palette; others simply show the image.
  if (run.screen.depth() > 8) return RunFastest(run, 8);
  const gfx::Palette before = run.screen.palette();
  const gfx::Palette after = run.full_card && run.image.indexed() && run.image.palette.count > 0
                                 ? run.image.palette
                                 : before;
  const gfx::Palette flat = Flat(colour);
  // Each palette step is due (speed + 2) / 4 ticks after the one before.
  const uint64_t per_step = uint64_t(run.speed + 2) / 4;
  const int count = 2 * kFadeSteps - 1;
  const uint32_t start = run.screen.Now();
  int number = 0;
  auto step = [&](const gfx::Palette& shown) {
    run.screen.SetPalette(shown);
    run.screen.Idle();
    run.ShowStep(++number, count);
    run.WaitTicks(start, per_step * uint64_t(number));
  };
  for (int k = 1; k <= kFadeSteps; ++k) step(MixPalettes(before, flat, 256 * k / kFadeSteps));
  // The whole palette shows the colour now: the new image goes on screen unseen.
  run.CopyAll();
  for (int k = 1; k < kFadeSteps; ++k) step(MixPalettes(flat, after, 256 * k / kFadeSteps));
  run.CopyAll();
  run.screen.SetPalette(after);
}

void RunZoom(Run& run, bool zoom_in) {
  const Rect& t = run.target;
  const Point origin =
      run.state.action_origin.value_or(Point{(t.left + t.right) / 2, (t.top + t.bottom) / 2});
  const Rect small{origin.x - 2, origin.y - 2, origin.x + 2, origin.y + 2};
  // Zoom in closes from the target onto the origin, zoom out opens from the origin.
  const double start_factor = std::pow(0.7, 15);
  double f = zoom_in ? 1 - start_factor : start_factor;
  std::array<Rect, kZoomRects> drawn{};
  const uint64_t per_frame = uint64_t(run.speed) + 1;
  const uint32_t start = run.screen.Now();
  for (int frame = 0; frame < kZoomFrames; ++frame) {
    if (frame < kZoomRects) {
      drawn[size_t(frame)] = Between(small, t, f);
      InvertFrame(run, drawn[size_t(frame)]);
      f = zoom_in ? f * 0.7 : f / 0.7;
    }
    if (frame >= kZoomTrail) InvertFrame(run, drawn[size_t(frame - kZoomTrail)]);
    run.screen.Idle();
    run.ShowStep(frame + 1, kZoomFrames);
    run.WaitTicks(start, per_frame * uint64_t(frame + 1));
  }
  RunFastest(run, 8);
}

}  // namespace corvida::transition_detail
