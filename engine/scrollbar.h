// The vertical scroll bar of a text field: the player draws and tracks it itself; the
// text component only scrolls and reports its scroll values. The bar is a strip at the
// field's right edge with an arrow at each end and, in fields tall enough, a square thumb
// in the track between them.
#pragma once

#include "engine/text.h"
#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida {

// The system's scroll bar width and arrow height.
struct ScrollBarMetrics {
  int width = 16;
  int arrow = 16;
};

// The parts of the bar a press can land on.
enum class BarPart { kNone, kUpArrow, kDownArrow, kPageUp, kPageDown, kThumb };

struct ScrollBarGeometry {
  Rect bar;                  // the strip at the field's right edge
  int arrow = 0;             // the arrows' height: the metric's, or half a low field
  bool thumb_shown = false;  // the field is tall enough for a thumb
  int track_length = 0;      // where the thumb's top may go: 0 .. track_length
  Rect up, down;             // the arrows
  Rect thumb;                // empty when not shown
};

// The bar of a field whose thumb lies `thumb_offset` pixels below the up arrow.
ScrollBarGeometry ScrollBarLayout(const Rect& field, int thumb_offset,
                                  const ScrollBarMetrics& m = {});

// The thumb offset that shows the scroll values (0 when the text cannot scroll).
int ThumbOffsetFor(const Rect& field, const ScrollValues& values, const ScrollBarMetrics& m = {});
// The scroll value a thumb at `offset` stands for.
int ScrollValueForThumb(const Rect& field, int offset, int maximum, const ScrollBarMetrics& m = {});

// The part under a point (card coordinates); kNone outside the bar's strip and in the
// middle of a bar without a thumb.
BarPart BarPartAt(const ScrollBarGeometry& g, Point p);

// Draws the bar inside `clip`; `pressed` is the arrow held down (kUpArrow, kDownArrow) or
// kNone.
void DrawScrollBar(gfx::DrawTarget& target, const ScrollBarGeometry& g, BarPart pressed,
                   const Rect& clip);

}  // namespace corvida
