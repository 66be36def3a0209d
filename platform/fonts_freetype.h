// Pieces of the font service shared by its FreeType implementation and the built-in
// fallback font. Not for use outside platform/: callers go through platform/fonts.h.
#pragma once

#include <cstdint>

#include "platform/fonts.h"

namespace corvida {

// The size actually used for a requested size: 0 and below give the default size, sizes
// above the maximum are cut to it.
int ClampFontSize(int size);

// Characters that move the pen by nothing and show nothing (layout handles tabs and
// line ends itself).
bool IsControlCharacter(uint8_t ch);

// A face's own advance adjusted for the outline, shadow, condense and extend styles.
int StyledAdvance(int base, uint8_t style);

// Turns filled glyph coverage into hollow letters: the ink of the one-pixel ring around
// the glyph (outline), or of a ring that reaches one pixel further to the right and
// down (shadow). The mask grows by the ring and its origin moves with it.
void MakeHollow(CoverageMask& mask, bool shadow);

}  // namespace corvida
