// Shared by the transition effects: the state of one run, its step pacing, and the
// memory copy of the screen that the merging effects work on.
#pragma once

#include <cstdint>

#include "engine/transition.h"

namespace corvida::transition_detail {

inline constexpr int kTickMs = 17;

// One transition run. Effects copy pieces with Copy and pace themselves with
// StartSteps / Step, or with their own deadlines through WaitTicks.
struct Run {
  TransitionState& state;
  TransitionScreen& screen;
  const gfx::Bitmap& image;
  Rect target;  // inside the card area, never empty
  int speed;    // 8, 16 or 32
  bool full_card;

  // A card change on an indexed screen moves the shown palette to the image's over the
  // steps of the effect.
  bool step_palette = false;
  gfx::Palette old_palette{};
  gfx::Palette new_palette{};

  // Step pacing: the effect's steps share speed x 8 ticks from start_ms.
  int step = 0;
  int total = 0;
  int step_speed = 0;
  uint32_t start_ms = 0;

  int width() const { return target.Width(); }
  int height() const { return target.Height(); }

  // Copies r (clipped to the target) from the new image to the screen.
  void Copy(const Rect& r);
  void CopyAll() { Copy(target); }

  void StartSteps(int n, int pacing_speed);
  // Ends a step: moves the palette, gives media their idle time, presents, and waits
  // until the step's share of the effect's time has passed.
  void Step();
  // Waits for the steps the effect did not use.
  void WaitOutSteps();
  // Presents and reports step `number` of `count` for effects with their own pacing.
  void ShowStep(int number, int count);
  // Waits until the tick count is `ticks` past the tick in which `from_ms` fell.
  void WaitTicks(uint32_t from_ms, uint64_t ticks);
};

// Fraction i/n of `extent` rounded down: the boundaries of pieces cut as fractions.
inline int Part(int extent, int i, int n) {
  return n > 0 ? int((long long)extent * i / n) : extent;
}

// A memory copy of the screen's target area, and the new image in the screen's pixel
// format, so that effects can merge the new image into the copy and show the copy.
class MergeCopy {
 public:
  // False when the memory cannot be had. The bitmaps are the run's scratch memory.
  bool Make(Run& run);
  // Takes the new image's pixel at (x, y), relative to the target.
  void Take(int x, int y);
  // Takes the pixels of row y (relative to the target) whose bits are set in `bits`: bit
  // 0x80 of byte 0 is pixel 0; the `period` bytes repeat along the row.
  void TakeRow(int y, const uint8_t* bits, int period);
  // Copies the memory copy to the screen.
  void Show(Run& run);
  gfx::Bitmap& memory() { return *memory_; }
  const gfx::Bitmap& fresh() const { return *fresh_; }
  Point fresh_at() const { return fresh_at_; }

 private:
  void TakeSpan(int y, int x0, int x1);
  gfx::Bitmap* memory_ = nullptr;
  const gfx::Bitmap* fresh_ = nullptr;
  Point fresh_at_;  // pixel of fresh_ at the target's top left
};

void RunFastest(Run& run, int speed);
void RunWipe(Run& run, int id);
void RunBlocks(Run& run);
void RunDiagonal(Run& run, bool from_bottom_right);
void RunBlinds(Run& run);
void RunBars(Run& run);
void RunBarnOrMouth(Run& run, int id);
void RunIris(Run& run, bool open);
void RunZoom(Run& run, bool zoom_in);
void RunFade(Run& run, gfx::Rgb colour);
void RunRain(Run& run);
void RunDissolve(Run& run);
void RunPatterns(Run& run, int id);
void RunCrossFade(Run& run);

// Taps of the dissolve's shift register of `bits` bits; 0 beyond the table.
uint32_t DissolveTaps(int bits);

// Mixes two palettes: a x (256 - f) / 256 + b x f / 256 per channel, 256 entries.
gfx::Palette MixPalettes(const gfx::Palette& a, const gfx::Palette& b, int f);

}  // namespace corvida::transition_detail
