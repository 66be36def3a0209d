// Where a dialog lies in a window too small for it. A dialog that fits is centred; on an
// axis where it does not, it starts at the window's edge and scrolls, with a scroll bar
// along the right (vertical) or bottom (horizontal) edge of the window, so every control
// can be reached: by the bars (arrows, page areas, thumb drag), the wheel, and by moving
// the keyboard focus, which brings the focused control into view.
//
// Coordinates: window points (the client area, top-left 0, 0) and dialog points (the
// dialog's outer top-left at 0, 0).
#pragma once

#include "platform/gfx/draw.h"
#include "platform/types.h"

namespace corvida {

class DialogScroll {
 public:
  static constexpr int kBarWidth = 16;
  static constexpr int kStep = 16;  // one arrow press or a third of a wheel notch

  enum class Part { kNone, kLineBack, kLineForward, kPageBack, kPageForward, kThumb };
  struct Hit {
    bool vertical = true;
    Part part = Part::kNone;
  };

  DialogScroll(Size window, Size dialog);

  // The dialog's outer top-left in the window, scrolled.
  Point DialogAt() const { return {base_.x - offset_.x, base_.y - offset_.y}; }
  Point offset() const { return offset_; }
  bool vertical() const { return vertical_; }
  bool horizontal() const { return horizontal_; }
  // The part of the window the dialog is shown in (the window less the bars).
  Rect view() const { return view_; }

  // Scrolls by a distance, kept within what the dialog leaves to scroll; true when the
  // offset changed.
  bool ScrollBy(int dx, int dy);
  // Scrolls the least that puts a rectangle (dialog points) into view; a rectangle larger
  // than the view shows its top-left.
  bool Reveal(const Rect& dialog_rect);

  // The bar part under a window point; kNone off the bars.
  Hit HitBar(Point window_point) const;
  // A press on a bar: arrows step, page areas page; a thumb press starts a drag that
  // Drag (window point) follows until Release. True when the press was on the bars (or
  // their corner), false when it is in the view, for the dialog.
  bool Press(Point window_point);
  bool Drag(Point window_point);
  // The release of a press: true (and the drag ended) when the press was the bars'.
  bool Release();
  bool dragging() const { return dragging_; }

  // The bars' rectangles and thumbs (window points), for drawing and tests.
  Rect Bar(bool vertical) const;
  Rect Thumb(bool vertical) const;
  void Draw(gfx::DrawTarget& target) const;

 private:
  int Range(bool vertical) const;  // how far the dialog scrolls on the axis
  int Track(bool vertical) const;  // the length the thumb moves along

  Size window_;
  Size dialog_;
  bool vertical_ = false;
  bool horizontal_ = false;
  Rect view_;
  Point base_;
  Point offset_;
  bool held_ = false;  // a press on the bars is not released yet
  bool dragging_ = false;
  bool drag_vertical_ = true;
  int drag_from_ = 0;         // the pointer along the bar when the drag started
  int drag_from_offset_ = 0;  // the offset then
};

}  // namespace corvida
