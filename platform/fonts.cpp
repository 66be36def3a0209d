#include "platform/fonts.h"

#include <algorithm>

#include "platform/fonts_freetype.h"

namespace corvida {
namespace {

// Limit for one rendered string: beyond this the caller draws glyph by glyph instead.
constexpr int64_t kMaxStringMaskBytes = int64_t{64} << 20;

// Metrics without any face file: proportions of a plain sans face, fixed pitch, no ink.
class BuiltinFont : public Font {
 public:
  BuiltinFont(int size, uint8_t style) : size_(ClampFontSize(size)), style_(style) {
    metrics_.ascent = (size_ * 8 + 9) / 10;
    metrics_.descent = std::max(1, (size_ * 2 + 9) / 10);
    metrics_.leading = 0;
    metrics_.line_height = metrics_.ascent + metrics_.descent;
    metrics_.m_height = std::max(1, (size_ * 7 + 5) / 10);
    advance_ = StyledAdvance(
        std::max(1, (size_ * 6 + 5) / 10) + (style_ & font_style::kBold ? 1 : 0), style_);
  }
  const FontMetrics& metrics() const override { return metrics_; }
  int Advance(uint8_t ch) override { return IsControlCharacter(ch) ? 0 : advance_; }
  const CoverageMask& Glyph(uint8_t) override { return empty_; }
  int underline_offset() const override { return 1; }
  int underline_thickness() const override { return 0; }
  uint8_t style() const override { return style_; }
  int size() const override { return size_; }
  const std::string& design() const override { return design_; }

 private:
  int size_;
  uint8_t style_;
  int advance_ = 0;
  FontMetrics metrics_;
  CoverageMask empty_;
  std::string design_;
};

}  // namespace

int ClampFontSize(int size) {
  if (size <= 0) return kDefaultFontSize;
  return std::min(size, kMaxFontSize);
}

bool IsControlCharacter(uint8_t ch) {
  return ch < 0x20 || ch == 0x7F;
}

int StyledAdvance(int base, uint8_t style) {
  int advance = base;
  if (style & font_style::kShadow) {
    advance += 2;
  } else if (style & font_style::kOutline) {
    advance += 1;
  }
  if (style & font_style::kCondense) advance -= 1;
  if (style & font_style::kExtend) advance += 1;
  return std::max(0, advance);
}

std::shared_ptr<Font> MakeBuiltinFont(int size, uint8_t style) {
  return std::make_shared<BuiltinFont>(size, style);
}

int Font::MeasureText(std::string_view bytes) {
  int width = 0;
  for (char c : bytes) width += Advance(static_cast<uint8_t>(c));
  return width;
}

std::vector<int> Font::CharAdvances(std::string_view bytes) {
  std::vector<int> advances;
  advances.reserve(bytes.size());
  for (char c : bytes) advances.push_back(Advance(static_cast<uint8_t>(c)));
  return advances;
}

int Font::AverageCharWidth() {
  static constexpr std::string_view kLetters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  return (MeasureText(kLetters) / 26 + 1) / 2;
}

bool Font::RenderText(std::string_view bytes, CoverageMask& out) {
  out = CoverageMask{};
  // Bounds of all ink, relative to the pen at the start on the baseline.
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  auto grow = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
    left = std::min(left, l);
    top = std::min(top, t);
    right = std::max(right, r);
    bottom = std::max(bottom, b);
  };
  int64_t pen = 0;
  for (char c : bytes) {
    const CoverageMask& g = Glyph(static_cast<uint8_t>(c));
    if (!g.Empty()) grow(pen + g.left, g.top, pen + g.left + g.width, g.top + g.height);
    pen += Advance(static_cast<uint8_t>(c));
  }
  const bool underline = (style() & font_style::kUnderline) && underline_thickness() > 0 && pen > 0;
  if (underline) grow(0, underline_offset(), pen, underline_offset() + underline_thickness());
  if (right <= left || bottom <= top) return true;
  if ((right - left) * (bottom - top) > kMaxStringMaskBytes) return false;

  out.left = static_cast<int>(left);
  out.top = static_cast<int>(top);
  out.width = static_cast<int>(right - left);
  out.height = static_cast<int>(bottom - top);
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  pen = 0;
  for (char c : bytes) {
    const CoverageMask& g = Glyph(static_cast<uint8_t>(c));
    const int x0 = static_cast<int>(pen + g.left - left);
    const int y0 = static_cast<int>(g.top - top);
    for (int y = 0; y < g.height; ++y) {
      const uint8_t* src = &g.pixels[static_cast<size_t>(y) * g.width];
      uint8_t* dst = &out.pixels[static_cast<size_t>(y0 + y) * out.width + x0];
      for (int x = 0; x < g.width; ++x) dst[x] = std::max(dst[x], src[x]);
    }
    pen += Advance(static_cast<uint8_t>(c));
  }
  if (underline) {
    for (int y = 0; y < underline_thickness(); ++y) {
      uint8_t* row = &out.pixels[static_cast<size_t>(underline_offset() + y - top) * out.width];
      std::fill(row - left, row - left + pen, uint8_t{255});
    }
  }
  return true;
}

}  // namespace corvida

namespace corvida {

void MakeHollow(CoverageMask& mask, bool shadow) {
  if (mask.Empty()) return;
  const int reach = shadow ? 2 : 1;  // how far the ring reaches right and down
  const int width = mask.width + 1 + reach;
  const int height = mask.height + 1 + reach;
  // The original ink placed in the grown mask, then dilated by a separable maximum over
  // offsets -1 .. reach in each direction.
  std::vector<uint8_t> ink(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < mask.height; ++y) {
    std::copy_n(&mask.pixels[static_cast<size_t>(y) * mask.width], mask.width,
                &ink[static_cast<size_t>(y + 1) * width + 1]);
  }
  std::vector<uint8_t> across(ink.size(), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = &ink[static_cast<size_t>(y) * width];
    uint8_t* dst = &across[static_cast<size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      uint8_t m = 0;
      for (int d = -1; d <= reach; ++d) {
        const int sx = x - d;
        if (sx >= 0 && sx < width) m = std::max(m, src[sx]);
      }
      dst[x] = m;
    }
  }
  std::vector<uint8_t> ring(ink.size(), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t m = 0;
      for (int d = -1; d <= reach; ++d) {
        const int sy = y - d;
        if (sy >= 0 && sy < height) m = std::max(m, across[static_cast<size_t>(sy) * width + x]);
      }
      const size_t i = static_cast<size_t>(y) * width + x;
      ring[i] = static_cast<uint8_t>(m > ink[i] ? m - ink[i] : 0);
    }
  }
  mask.left -= 1;
  mask.top -= 1;
  mask.width = width;
  mask.height = height;
  mask.pixels = std::move(ring);
}

}  // namespace corvida
