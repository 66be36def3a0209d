// Step pacing of transitions: an effect cut into n steps spreads them over speed x 8
// ticks, whatever n is, so a transition lasts as long on every machine.
#include "engine/transition_internal.h"

namespace corvida::transition_detail {

gfx::Palette MixPalettes(const gfx::Palette& a, const gfx::Palette& b, int f) {
  gfx::Palette out;
  out.count = 256;
  for (int i = 0; i < 256; ++i) {
    const gfx::PaletteEntry& x = a.entries[size_t(i)];
    const gfx::PaletteEntry& y = b.entries[size_t(i)];
    auto mix = [f](int p, int q) { return uint8_t((p * (256 - f) + q * f) / 256); };
    out.entries[size_t(i)] = {mix(x.r, y.r), mix(x.g, y.g), mix(x.b, y.b),
                              uint8_t(x.flags | y.flags)};
  }
  return out;
}

void Run::Copy(const Rect& r) {
  const Rect piece = r.Intersect(target);
  if (!piece.Empty()) screen.Copy(piece, image, {piece.left, piece.top});
}

void Run::StartSteps(int n, int pacing_speed) {
  step = 0;
  total = n;
  step_speed = pacing_speed;
  start_ms = screen.Now();
}

void Run::Step() {
  if (step_palette && total > 0) {
    const int f = int((long long)(step + 1) * 256 / total);
    screen.SetPalette(MixPalettes(old_palette, new_palette, f > 256 ? 256 : f));
  }
  screen.Idle();
  ++step;
  ShowStep(step, total);
  // Step k of n is due when speed x 8 x k / n ticks have passed (rounded up), so the
  // whole effect takes speed x 8 ticks even when it has more steps than that.
  if (total > 0 && step_speed > 0)
    WaitTicks(start_ms,
              ((uint64_t)step_speed * 8 * uint64_t(step) + uint64_t(total) - 1) / uint64_t(total));
}

void Run::WaitOutSteps() {
  if (total > 0 && step_speed > 0 && step < total) WaitTicks(start_ms, (uint64_t)step_speed * 8);
}

void Run::ShowStep(int number, int count) {
  screen.Present();
  screen.StepDone(number, count);
}

void Run::WaitTicks(uint32_t from_ms, uint64_t ticks) {
  if (ticks == 0) return;
  // The tick in which from_ms fell began from_ms % 17 milliseconds earlier. Elapsed
  // time is an unsigned difference, so a wrapping clock does not end the wait early.
  const uint64_t need = ticks * kTickMs - from_ms % kTickMs;
  for (;;) {
    const uint32_t elapsed = screen.Now() - from_ms;
    if (elapsed >= need) return;
    const uint64_t left = need - elapsed;
    screen.Wait(left > 0xFFFFFFF0u ? 0xFFFFFFF0u : uint32_t(left));
  }
}

}  // namespace corvida::transition_detail
