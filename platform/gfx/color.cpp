#include "platform/gfx/color.h"

namespace corvida::gfx {

int Palette::Nearest(Rgb c) const {
  int best = 0;
  int best_distance = 1 << 30;
  for (int i = 0; i < count; ++i) {
    const PaletteEntry& e = entries[size_t(i)];
    int dr = int(e.r) - c.r, dg = int(e.g) - c.g, db = int(e.b) - c.b;
    int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = i;
      if (distance == 0) break;
    }
  }
  return best;
}

bool Palette::SameColors(const Palette& other) const {
  if (count != other.count) return false;
  for (int i = 0; i < count; ++i)
    if (entries[size_t(i)].rgb() != other.entries[size_t(i)].rgb()) return false;
  return true;
}

Palette Palette::Monochrome() {
  Palette p;
  p.count = 2;
  p.Set(0, kBlack);
  p.Set(1, kWhite);
  return p;
}

Palette Palette::Grey(int depth) {
  Palette p;
  if (depth < 1 || depth > 8) return p;
  p.count = 1 << depth;
  for (int i = 0; i < p.count; ++i) {
    uint8_t v = uint8_t(i * 255 / (p.count - 1));
    p.Set(i, {v, v, v});
  }
  return p;
}

Palette Palette::Standard() {
  Palette p;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b)
        p.Set(p.count++, {uint8_t(r * 51), uint8_t(g * 255 / 6), uint8_t(b * 51)});
  const uint8_t greys[] = {34, 68, 119, 187};  // between the cube's own greys
  for (uint8_t v : greys) p.Set(p.count++, {v, v, v});
  return p;
}

}  // namespace corvida::gfx
