// Text on a drawing target: strings in the Windows character set drawn with a font of
// the font service (whose style bits say bold, italic, underline, outline, shadow) at a
// pen position on the baseline, antialiased on true-colour targets and in the nearest
// palette colour on indexed ones.
#pragma once

#include <string_view>

#include "platform/fonts.h"
#include "platform/gfx/draw.h"

namespace corvida::gfx {

// Draws the string with its left edge at logical x and its baseline at logical y, in
// `colour`, clipped like every drawing on the target. With an opaque background mode the
// character cells (the advance width by ascent + descent) are first filled with the
// background colour. Returns the advance width, where the next string would start.
int DrawText(DrawTarget& target, Font& font, int x, int baseline, std::string_view bytes,
             Color colour);

// The advance width DrawText gives the string.
int MeasureText(Font& font, std::string_view bytes);

// The character cells of the string drawn at (x, baseline): the advance width by the
// font's ascent above and descent below the baseline.
Rect TextCells(Font& font, int x, int baseline, std::string_view bytes);

}  // namespace corvida::gfx
