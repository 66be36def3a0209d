// Colours and palettes of the 2D layer.
//
// A `Color` is what drawing state holds (pen, brush, text and background colours): either
// an RGB value or an index into the palette of the target it is drawn on. A `Palette` is a
// logical palette of up to 256 entries; on indexed targets pixels are indices into it, so
// changing its entries (palette fades) changes what is shown without touching pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvida::gfx {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

struct Color {
  uint32_t value = 0;  // 0x00RRGGBB, or a palette index when `is_index`
  bool is_index = false;

  static constexpr Color FromRgb(Rgb c) {
    return {(uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b, false};
  }
  static constexpr Color FromRgb(uint8_t r, uint8_t g, uint8_t b) { return FromRgb(Rgb{r, g, b}); }
  static constexpr Color Index(uint8_t index) { return {index, true}; }
  constexpr Rgb rgb() const { return {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)}; }
  friend bool operator==(const Color&, const Color&) = default;
};

// Entry flags of a logical palette.
namespace palflag {
// The entry may change while shown (palette fades animate it).
inline constexpr uint8_t kAnimate = 0x01;
// The entry keeps its own colour even when the display has one equal to it.
inline constexpr uint8_t kNoCollapse = 0x04;
}  // namespace palflag

struct PaletteEntry {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  uint8_t flags = 0;
  Rgb rgb() const { return {r, g, b}; }
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

struct Palette {
  std::array<PaletteEntry, 256> entries{};
  int count = 0;  // entries in use, 0..256

  // The index of the entry in use closest to `c` (smallest sum of squared differences,
  // ties to the lower index); 0 for an empty palette.
  int Nearest(Rgb c) const;
  // The colour of entry i; black beyond the entries in use.
  Rgb At(int i) const { return i >= 0 && i < count ? entries[size_t(i)].rgb() : kBlack; }
  void Set(int i, Rgb c, uint8_t flags = 0) { entries[size_t(i)] = {c.r, c.g, c.b, flags}; }
  bool SameColors(const Palette& other) const;

  // Black and white, as one-bit pictures are shown.
  static Palette Monochrome();
  // 2^depth entries holding the colours 0..2^depth-1 of a default ramp: used for
  // indexed pictures that come without colours.
  static Palette Grey(int depth);
  // A general-purpose 256-colour palette (a 6 x 7 x 6 colour cube, then greys) for
  // true-colour pictures that must become indexed ones.
  static Palette Standard();
};

}  // namespace corvida::gfx
