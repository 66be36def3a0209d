// The turtle's font: SETFONTFAMILY, SETFONTSIZE, SETFONTSTYLE, TEXTWIDTH and GETFONTINFO.
// Turtle text (PRINT under TURTLEIO) is drawn in this font.
#include <algorithm>
#include <cmath>

#include "logo/prim_turtle.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

constexpr size_t kMaxFamilyName = 255;
constexpr size_t kMaxMeasured = size_t{1} << 20;  // characters TEXTWIDTH looks at

// The turtle's font; built-in metrics when the player has no font service.
std::shared_ptr<Font> TurtleFont(Interpreter& in) {
  const Turtle& t = in.turtle();
  if (!in.config().fonts) return MakeBuiltinFont(t.font_size, t.font_style);
  return in.config().fonts->GetFont(t.font_family, t.font_size, t.font_style);
}

// A name given as a word or as a list of words ([Times New Roman]).
Node* SetFontFamily(Interpreter& in, PrimCall& c) {
  std::string name = in.PrintForm(c.in[0], kMaxFamilyName + 1);
  if (name.empty() || name.size() > kMaxFamilyName) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  in.turtle().font_family = MacToWindows(name);
  return nullptr;
}

Node* SetFontSize(Interpreter& in, PrimCall& c) {
  int32_t size = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (size < 1 || size > kMaxFontSize) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  in.turtle().font_size = size;
  return nullptr;
}

// Style bits: 1 bold, 2 italic, 4 underline, 8 outline, 16 shadow, 32 condense, 64 extend.
Node* SetFontStyle(Interpreter& in, PrimCall& c) {
  int32_t style = in.GetInteger(c.in[0], c.row);
  if (in.Unwinding()) return nullptr;
  if (style < 0 || style > 127) {
    in.ErrorRow(kErrDoesntLike, c.row, c.in[0]);
    return nullptr;
  }
  in.turtle().font_style = static_cast<uint8_t>(style);
  return nullptr;
}

// The width in turtle units: moving the turtle this far across a scrunched window covers
// the text's pixels.
Node* TextWidth(Interpreter& in, PrimCall& c) {
  if (!c.in[0]) {
    in.ErrorRow(kErrNotEnoughInputs, c.row);
    return nullptr;
  }
  std::string text = MacToWindows(in.PrintForm(c.in[0], kMaxMeasured));
  text.resize(std::min(text.size(), kMaxMeasured));
  const Turtle& t = in.turtle();
  double pixels = TurtleFont(in)->MeasureText(text);
  return in.NewInt(static_cast<int32_t>(std::lround(pixels * t.scrunch_den / t.scrunch_num)));
}

// [ascent descent widest leading] in pixels, as the font metrics of the shapes' model.
Node* GetFontInfo(Interpreter& in, PrimCall&) {
  std::shared_ptr<Font> font = TurtleFont(in);
  int widest = 0;
  for (int ch = 32; ch < 256; ++ch) widest = std::max(widest, font->Advance(uint8_t(ch)));
  const FontMetrics& m = font->metrics();
  return IntList(in, {m.ascent, m.descent, widest, m.leading});
}

}  // namespace

void RegisterTurtleFontPrimitives(PrimitiveTable& t) {
  t.Set("SETFONTFAMILY", &SetFontFamily);
  t.Set("SETFONTSIZE", &SetFontSize);
  t.Set("SETFONTSTYLE", &SetFontStyle);
  t.Set("TEXTWIDTH", &TextWidth);
  t.Set("GETFONTINFO", &GetFontInfo);
}

}  // namespace corvida::logo
