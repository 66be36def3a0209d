// Animation data from stacks: hostile path-animation descriptions (frame records and
// patch lists) and 'Sprt' data (films of pictures and films made from the card) go through
// starting, stepping on a moving clock, drawing onto a small card and the first-frame drawing.
// Nothing may crash, hang, read outside the data or over-allocate, and every frame drawn must lie
// where it was asked for.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/animations.h"

namespace {

using namespace corvida;

class CardHost : public AnimationHost {
 public:
  CardHost() {
    card.Create(64, 48, 8);
    palette = gfx::Palette::Standard();
    card.palette = palette;
  }
  gfx::Palette CardPalette() override { return palette; }
  void ShowAnimationFrame(Point at, const gfx::Bitmap& frame, bool clipped,
                          const gfx::Bitmap* mask) override {
    if (frame.empty()) __builtin_trap();
    if (mask && mask->depth() != 1) __builtin_trap();
    gfx::DrawTarget target(card);
    gfx::Region area(Rect{0, 0, 40, 48});
    DrawAnimationFrame(target, at, frame, clipped ? area : gfx::Region(card.Bounds()), mask);
  }
  void EraseAnimation(const Rect&) override {}
  // Films the player makes take their picture from the card, as the player does.
  bool CardPiece(const Rect& rect, gfx::Bitmap& out) override {
    const Rect piece = rect.Intersect(card.Bounds());
    if (piece.Empty() || !out.Create(piece.Width(), piece.Height(), 8)) return false;
    out.palette = palette;
    gfx::DrawTarget copy(out);
    copy.BitBlt(out.Bounds(), card, {piece.left, piece.top}, gfx::rop::kSrcCopy);
    return true;
  }
  int Alert(int) override { return 0; }
  void Log(const std::string&) override {}

  gfx::Bitmap card;
  gfx::Palette palette;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  std::span<const uint8_t> body(data + 1, size - 1);
  VirtualClock clock;
  CardHost host;
  AnimationManager manager(clock, host);
  const Rect rect{int(mode & 15) - 4, int(mode >> 4) - 4, 60, 40};
  manager.Start(1, rect, body);
  // A second start of the same data: sprites stay one per id, paths may finish others.
  if (mode & 1) manager.Start(uint16_t(mode & 2 ? 0 : 1), rect, body);
  for (int step = 0; step < 24; ++step) {
    manager.Step();
    clock.Advance(17u * (1u + (mode & 3)));
  }
  manager.Redraw();
  manager.StopAll();
  gfx::DrawTarget target(host.card);
  DrawAnimationFirstFrame(target, rect, body, gfx::Region(host.card.Bounds()), host.palette);
  return 0;
}
