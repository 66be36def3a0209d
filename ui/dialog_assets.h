// The mascot shown in the player's own alerts: a small friendly dog, held as one bitmap
// of 96 x 48 pixels, the picture in the left half and its mask in the right half (black
// where the picture shows, white where the dialog shows through).
#pragma once

#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"

namespace corvida {

inline constexpr int kMascotSide = 48;

// The picture and mask halves, drawn once per call (the dog is made of a few shapes).
gfx::Bitmap MakeMascotBitmap();
// Draws the dog with its top-left at `at`, letting the background show through the mask.
void DrawMascot(gfx::DrawTarget& target, Point at);

}  // namespace corvida
