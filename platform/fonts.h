// The font service: fonts by the names stacks use, their metrics, and the coverage masks
// of their glyphs. Text is in the Windows character set (one byte per character); sizes
// are pixels per em at 72 dpi, so a 12-point font is 12 pixels high. The same service
// runs on every backend; when no font file can be found it still answers with built-in
// metrics so that layout works, but then draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvida {

// Style bits as text runs store them.
namespace font_style {
inline constexpr uint8_t kBold = 0x01;
inline constexpr uint8_t kItalic = 0x02;
inline constexpr uint8_t kUnderline = 0x04;
inline constexpr uint8_t kOutline = 0x08;   // hollow letters
inline constexpr uint8_t kShadow = 0x10;    // hollow letters with a shadow to the lower right
inline constexpr uint8_t kCondense = 0x20;  // one pixel less per character
inline constexpr uint8_t kExtend = 0x40;    // one pixel more per character
}  // namespace font_style

// Sizes outside this range are clamped; 0 means the default size.
inline constexpr int kDefaultFontSize = 12;
inline constexpr int kMaxFontSize = 512;

// Vertical metrics in whole pixels. The line height is ascent + descent + leading.
struct FontMetrics {
  int ascent = 0;   // above the baseline
  int descent = 0;  // below the baseline
  int leading = 0;  // gap between lines
  int line_height = 0;
  int m_height = 0;  // ink height of the capital "M" above the baseline
};

// 8-bit coverage (0 no ink, 255 full ink). Pixel (0, 0) lies at (pen x + left,
// baseline + top): `top` is negative for ink above the baseline.
struct CoverageMask {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height, rows top first

  bool Empty() const { return width <= 0 || height <= 0; }
  uint8_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0 : pixels[y * width + x];
  }
};

// One face at one size and style. Glyphs and advances are made on first use and kept.
class Font {
 public:
  virtual ~Font() = default;

  virtual const FontMetrics& metrics() const = 0;
  // Pixels the pen moves after the character (styles included; controls move 0).
  virtual int Advance(uint8_t ch) = 0;
  // The character's ink with bold, italic, outline and shadow applied (no underline).
  // Glyphs are cached; the reference stays valid until the next Glyph call on this font.
  virtual const CoverageMask& Glyph(uint8_t ch) = 0;
  // Underline: first row below the baseline and thickness in rows.
  virtual int underline_offset() const = 0;
  virtual int underline_thickness() const = 0;
  virtual uint8_t style() const = 0;
  virtual int size() const = 0;
  // Name of the face design that stands in for the font ("" for built-in metrics).
  virtual const std::string& design() const = 0;

  // Width of a string: the sum of its characters' advances.
  int MeasureText(std::string_view bytes);
  // The advance of every character of the string, in order.
  std::vector<int> CharAdvances(std::string_view bytes);
  // Average character width as dialog units use it: the width of the letters A-Z and
  // a-z divided by 26, plus 1, halved.
  int AverageCharWidth();
  // The whole string as one mask relative to the pen at its start on the baseline,
  // underline included. False (and an empty mask) when the mask would be unreasonably
  // large; an empty string or a font without faces gives an empty mask and true.
  bool RenderText(std::string_view bytes, CoverageMask& out);
};

class FontService {
 public:
  virtual ~FontService() = default;
  // The font for a name from a stack (any case; unknown names get the default sans face),
  // a size in pixels (0: the default size) and style bits. Never null. The font may be
  // held after the service drops it from its cache.
  virtual std::shared_ptr<Font> GetFont(std::string_view name, int size, uint8_t style) = 0;
  // False when no font file was found: fonts then have built-in metrics and draw nothing.
  virtual bool has_faces() const = 0;
  // One line for the user or a log: where the faces come from, or that none were found.
  virtual std::string Describe() const = 0;
};

// A font with built-in metrics and no ink, for when no face file can be had.
std::shared_ptr<Font> MakeBuiltinFont(int size, uint8_t style);

// The service over FreeType, looking for face files in the folders given (see
// DefaultFontFolders in platform/font_names.h).
std::unique_ptr<FontService> CreateFontService(std::vector<std::string> folders);

}  // namespace corvida
