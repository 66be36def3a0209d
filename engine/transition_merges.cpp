// The effects that merge the new image into a memory copy of the screen through a
// growing one-bit mask and show the copy after each step: rain, dissolve, the 8 x 8
// pattern effects, and the cross-fade. Without the memory they run as "Fastest".
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/transition_internal.h"

namespace corvida::transition_detail {
namespace {

// Columns of the rain mask in the order the drops fall.
constexpr std::array<uint8_t, 32> kRainOrder = {19, 3,  29, 24, 14, 20, 13, 23, 8,  15, 6,
                                                25, 5,  16, 4,  12, 27, 0,  28, 26, 17, 21,
                                                18, 30, 9,  31, 1,  7,  22, 11, 10, 2};
// The rain mask repeats every 342 rows and every 64 bytes (512 pixels) of a row.
constexpr int kRainRows = 342;
constexpr int kRainRowBytes = 64;
constexpr int kRainWalks = 344;

// Register taps of a maximal-length shift register of n bits, by n: the highest tap is
// bit n - 1, so the register never leaves its n bits and visits all 2^n - 1 non-zero
// values. (The 23-bit entry is 0x420000; 0xD80000 and the entries after it belong to
// 24 bits and up, and used one place early they would run past the mask.)
constexpr std::array<uint32_t, 27> kDissolveTaps = {
    0,       0,       0x3,     0x6,      0xC,      0x14,     0x30,     0x60,      0xB8,
    0x110,   0x240,   0x500,   0xCA0,    0x1B00,   0x3500,   0x6000,   0xB400,    0x12000,
    0x20400, 0x72000, 0x90000, 0x140000, 0x300000, 0x420000, 0xD80000, 0x1200000, 0x3880000};

// Eight steps of eight rows each; bit 0x80 is the leftmost pixel.
using PatternSteps = std::array<std::array<uint8_t, 8>, 8>;
constexpr PatternSteps kRazorLeft = {{{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
                                      {0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x01},
                                      {0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x01, 0x02},
                                      {0x08, 0x10, 0x20, 0x40, 0x80, 0x01, 0x02, 0x04},
                                      {0x10, 0x20, 0x40, 0x80, 0x01, 0x02, 0x04, 0x08},
                                      {0x20, 0x40, 0x80, 0x01, 0x02, 0x04, 0x08, 0x10},
                                      {0x40, 0x80, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20},
                                      {0x80, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40}}};
constexpr PatternSteps kRazorRight = {{{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
                                       {0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x80},
                                       {0x20, 0x10, 0x08, 0x04, 0x02, 0x01, 0x80, 0x40},
                                       {0x10, 0x08, 0x04, 0x02, 0x01, 0x80, 0x40, 0x20},
                                       {0x08, 0x04, 0x02, 0x01, 0x80, 0x40, 0x20, 0x10},
                                       {0x04, 0x02, 0x01, 0x80, 0x40, 0x20, 0x10, 0x08},
                                       {0x02, 0x01, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04},
                                       {0x01, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02}}};
constexpr PatternSteps kBowTies = {{{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},
                                    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},
                                    {0xC1, 0xE2, 0x64, 0x38, 0x18, 0x2C, 0x46, 0x83},
                                    {0xC3, 0xE7, 0x6E, 0x38, 0x38, 0x6C, 0xC6, 0x83},
                                    {0xC3, 0xE7, 0xFE, 0x78, 0x3C, 0x7E, 0xCF, 0x83},
                                    {0xC7, 0xEF, 0xFF, 0x7C, 0x7C, 0xFE, 0xEF, 0xC3},
                                    {0xE7, 0xFF, 0xFF, 0x7E, 0x7E, 0xFF, 0xFF, 0xE7},
                                    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}};
constexpr PatternSteps kDiamondDissolve = {{{0x00, 0x00, 0x10, 0x38, 0x38, 0x10, 0x00, 0x00},
                                            {0x00, 0x10, 0x18, 0x3C, 0x7C, 0x38, 0x10, 0x00},
                                            {0x00, 0x10, 0x38, 0x7C, 0xFC, 0x7C, 0x38, 0x10},
                                            {0x10, 0x38, 0x7C, 0x7E, 0xFF, 0x7C, 0x38, 0x10},
                                            {0x10, 0x38, 0x7C, 0xFF, 0xFF, 0xFE, 0x7C, 0x38},
                                            {0x38, 0x7C, 0xFE, 0xFF, 0xFF, 0xFE, 0xFC, 0x78},
                                            {0x3E, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7C},
                                            {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}};

// Ordered-dither thresholds: the cross-fade on indexed screens reveals the pixels of
// threshold k in its step k.
constexpr std::array<std::array<uint8_t, 4>, 4> kBayer = {
    {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}}};

int Log2Ceil(int v) {
  int n = 0;
  while ((1LL << n) < v) ++n;
  return n;
}

// Moves a row of true-colour pixels k/16 of the way from `from` to `to`.
void BlendRow(uint8_t* out, const uint8_t* from, const uint8_t* to, int pixels, int k, int depth) {
  const unsigned keep = unsigned(16 - k), take = unsigned(k);
  if (depth == 32) {  // byte channels (the unused fourth byte stays 0)
    for (int i = 0; i < pixels * 4; ++i) out[i] = uint8_t((from[i] * keep + to[i] * take) >> 4);
    return;
  }
  for (int i = 0; i < pixels; ++i) {  // 5-5-5 words, little-endian
    const unsigned a = from[2 * i] | (unsigned(from[2 * i + 1]) << 8);
    const unsigned b = to[2 * i] | (unsigned(to[2 * i + 1]) << 8);
    unsigned v = 0;
    for (int shift = 0; shift < 15; shift += 5)
      v |= ((((a >> shift) & 31) * keep + ((b >> shift) & 31) * take) >> 4) << shift;
    out[2 * i] = uint8_t(v);
    out[2 * i + 1] = uint8_t(v >> 8);
  }
}

void RunDitherFade(Run& run, MergeCopy& copy) {
  run.StartSteps(16, run.speed);
  for (int k = 0; k < 16; ++k) {
    std::array<uint8_t, 4> rows{};
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 8; ++x)
        if (kBayer[size_t(y)][size_t(x & 3)] == k) rows[size_t(y)] |= uint8_t(0x80 >> x);
    for (int y = 0; y < run.height(); ++y) copy.TakeRow(y, &rows[size_t(y & 3)], 1);
    copy.Show(run);
    run.Step();
  }
}

}  // namespace

uint32_t DissolveTaps(int bits) {
  return bits >= 0 && size_t(bits) < kDissolveTaps.size() ? kDissolveTaps[size_t(bits)] : 0;
}

bool MergeCopy::Make(Run& run) {
  TransitionState::Scratch& scratch = run.state.scratch;
  memory_ = &scratch.memory;
  if (!run.screen.Read(run.target, *memory_)) return false;
  if (run.image.depth() == memory_->depth()) {
    fresh_ = &run.image;
    fresh_at_ = {run.target.left, run.target.top};
    return true;
  }
  gfx::Bitmap& converted = scratch.converted;
  if (!ReuseOrCreate(converted, memory_->width(), memory_->height(), memory_->depth()))
    return false;
  converted.palette = memory_->palette;
  CopyPixels(converted, converted.Bounds(), run.image, {run.target.left, run.target.top});
  fresh_ = &converted;
  fresh_at_ = {};
  return true;
}

void MergeCopy::Take(int x, int y) {
  const int sx = x + fresh_at_.x, sy = y + fresh_at_.y;
  switch (memory_->depth()) {
    case 8:
      memory_->Row(y)[x] = fresh_->Row(sy)[sx];
      return;
    case 16:
      std::memcpy(memory_->Row(y) + 2 * x, fresh_->Row(sy) + 2 * sx, 2);
      return;
    case 32:
      std::memcpy(memory_->Row(y) + 4 * x, fresh_->Row(sy) + 4 * sx, 4);
      return;
    default:
      memory_->Set(x, y, fresh_->Get(sx, sy));
  }
}

void MergeCopy::TakeSpan(int y, int x0, int x1) {
  const int depth = memory_->depth();
  if (depth < 8) {
    for (int x = x0; x < x1; ++x) Take(x, y);
    return;
  }
  const int bytes = depth / 8;
  std::memcpy(memory_->Row(y) + x0 * bytes,
              fresh_->Row(y + fresh_at_.y) + (x0 + fresh_at_.x) * bytes,
              size_t(x1 - x0) * size_t(bytes));
}

void MergeCopy::TakeRow(int y, const uint8_t* bits, int period) {
  const int w = memory_->width();
  int span_start = -1;  // start of a run of whole set bytes not yet taken
  for (int x = 0, i = 0; x < w; x += 8, ++i) {
    const uint8_t b = bits[i % period];
    if (b == 0xFF) {
      if (span_start < 0) span_start = x;
      continue;
    }
    if (span_start >= 0) TakeSpan(y, span_start, x), span_start = -1;
    if (b == 0) continue;
    const int end = std::min(x + 8, w);
    for (int px = x; px < end; ++px)
      if (b & (0x80 >> (px - x))) Take(px, y);
  }
  if (span_start >= 0) TakeSpan(y, span_start, w);
}

void MergeCopy::Show(Run& run) {
  run.screen.Copy(run.target, *memory_, {0, 0});
}

void RunRain(Run& run) {
  MergeCopy copy;
  if (!copy.Make(run)) return RunFastest(run, run.speed);
  // The mask is never cleared: each step's drops add to what earlier steps revealed.
  std::vector<uint8_t> mask(size_t(kRainRows) * kRainRowBytes, 0);
  run.StartSteps(8, run.speed);
  for (int s = 0; s < 8; ++s) {
    for (int i = 0; i < kRainWalks; ++i) {
      const int x = kRainOrder[size_t((4 * s + i) % 32)];
      const uint8_t bits = x % 2 == 0 ? 0xF0 : 0x0F;
      const int b = x / 2;
      for (int r = 0; r < 4; ++r) {
        const int row = ((kRainRows - 1 - i - r) % kRainRows + kRainRows) % kRainRows;
        uint8_t* m = &mask[size_t(row) * kRainRowBytes];
        m[b] |= bits;
        m[b + 32] |= bits;
        m[31 - b] |= bits;
        m[63 - b] |= bits;
      }
    }
    for (int y = 0; y < run.height(); ++y)
      copy.TakeRow(y, &mask[size_t(y % kRainRows) * kRainRowBytes], kRainRowBytes);
    copy.Show(run);
    run.Step();
  }
}

void RunDissolve(Run& run) {
  // The mask is w x h bits, each side a power of two, w at least 16; bit v is pixel
  // (v mod w, v / w). The register visits every v from 1 to w x h - 1 once.
  const int wl = std::max(Log2Ceil(run.width()), 4), hl = Log2Ceil(run.height());
  const size_t n = size_t(wl + hl);
  MergeCopy copy;
  const uint32_t taps = DissolveTaps(int(n));
  if (taps == 0 || !copy.Make(run)) return RunFastest(run, run.speed);
  const uint64_t values = (uint64_t(1) << n) - 1;
  const uint64_t per_step = values / 16 + 1;
  const uint32_t column_mask = (1u << wl) - 1;
  uint64_t left = values;
  uint32_t v = 1;
  run.StartSteps(16, run.speed);
  for (int s = 0; s < 16; ++s) {
    const uint64_t count = std::min(per_step, left);
    left -= count;
    for (uint64_t c = 0; c < count; ++c) {
      const int x = int(v & column_mask), y = int(v >> wl);
      if (x < run.width() && y < run.height()) copy.Take(x, y);
      v = (v >> 1) ^ ((v & 1) ? taps : 0);
    }
    copy.Show(run);
    run.Step();
  }
  // Bit 0 never comes out of the register: its row is copied directly.
  run.Copy({run.target.left, run.target.top, run.target.right, run.target.top + 1});
}

void RunPatterns(Run& run, int id) {
  const PatternSteps& steps = id == transition::kRazorLeft    ? kRazorLeft
                              : id == transition::kRazorRight ? kRazorRight
                              : id == transition::kBowTies    ? kBowTies
                                                              : kDiamondDissolve;
  MergeCopy copy;
  if (!copy.Make(run)) return RunFastest(run, run.speed);
  run.StartSteps(8, run.speed);
  for (const auto& pattern : steps) {
    for (int y = 0; y < run.height(); ++y) copy.TakeRow(y, &pattern[size_t(y & 7)], 1);
    copy.Show(run);
    run.Step();
  }
}

void RunCrossFade(Run& run) {
  MergeCopy copy;
  if (!copy.Make(run)) return RunFastest(run, run.speed);
  gfx::Bitmap& memory = copy.memory();
  const int depth = memory.depth();
  if (depth <= 8) return RunDitherFade(run, copy);
  // True colour: every pixel moves a sixteenth of the way per step from the old colour.
  gfx::Bitmap& old = run.state.scratch.previous;
  if (!ReuseOrCreate(old, memory.width(), memory.height(), depth))
    return RunFastest(run, run.speed);
  std::memcpy(old.data(), memory.data(), memory.byte_size());
  const Point at = copy.fresh_at();
  const int bytes = depth / 8;
  run.StartSteps(16, run.speed);
  for (int k = 1; k <= 16; ++k) {
    for (int y = 0; y < memory.height(); ++y)
      BlendRow(memory.Row(y), old.Row(y), copy.fresh().Row(y + at.y) + at.x * bytes, memory.width(),
               k, depth);
    copy.Show(run);
    run.Step();
  }
}

}  // namespace corvida::transition_detail
