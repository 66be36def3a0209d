#include "ui/dialog_scroll.h"

#include <algorithm>
#include <array>

#include "ui/panel_look.h"

namespace corvida {

using namespace panel_look;

namespace {

constexpr int kMinThumb = 8;
constexpr gfx::Color kTrack = gfx::Color::FromRgb(224, 224, 224);

int Length(const Rect& r, bool vertical) {
  return vertical ? r.Height() : r.Width();
}
int Start(const Rect& r, bool vertical) {
  return vertical ? r.top : r.left;
}
int Along(Point p, bool vertical) {
  return vertical ? p.y : p.x;
}
int ArrowOf(const Rect& bar, bool vertical) {
  return std::min(DialogScroll::kBarWidth, Length(bar, vertical) / 2);
}

}  // namespace

DialogScroll::DialogScroll(Size window, Size dialog) : window_(window), dialog_(dialog) {
  // A bar along one edge narrows the view on the other axis, which may need a bar too.
  vertical_ = dialog.height > window.height;
  horizontal_ = dialog.width > window.width - (vertical_ ? kBarWidth : 0);
  vertical_ = dialog.height > window.height - (horizontal_ ? kBarWidth : 0);
  horizontal_ = dialog.width > window.width - (vertical_ ? kBarWidth : 0);
  view_ = {0, 0, std::max(0, window.width - (vertical_ ? kBarWidth : 0)),
           std::max(0, window.height - (horizontal_ ? kBarWidth : 0))};
  base_ = {horizontal_ ? 0 : std::max(0, (view_.Width() - dialog.width) / 2),
           vertical_ ? 0 : std::max(0, (view_.Height() - dialog.height) / 2)};
}

int DialogScroll::Range(bool vertical) const {
  if (vertical ? !vertical_ : !horizontal_) return 0;
  return std::max(0, vertical ? dialog_.height - view_.Height() : dialog_.width - view_.Width());
}

bool DialogScroll::ScrollBy(int dx, int dy) {
  const Point before = offset_;
  offset_.x = std::clamp(offset_.x + dx, 0, Range(false));
  offset_.y = std::clamp(offset_.y + dy, 0, Range(true));
  return offset_ != before;
}

bool DialogScroll::Reveal(const Rect& r) {
  // The rectangle's place in the window now, against the view.
  const Point at = DialogAt();
  auto needed = [](int lo, int hi, int view_lo, int view_hi) {
    if (hi - lo > view_hi - view_lo || lo < view_lo) return lo - view_lo;
    if (hi > view_hi) return hi - view_hi;
    return 0;
  };
  const int dx = horizontal_ ? needed(r.left + at.x, r.right + at.x, view_.left, view_.right) : 0;
  const int dy = vertical_ ? needed(r.top + at.y, r.bottom + at.y, view_.top, view_.bottom) : 0;
  return ScrollBy(dx, dy);
}

Rect DialogScroll::Bar(bool vertical) const {
  if (vertical) return vertical_ ? Rect{view_.right, 0, window_.width, view_.bottom} : Rect{};
  return horizontal_ ? Rect{0, view_.bottom, view_.right, window_.height} : Rect{};
}

int DialogScroll::Track(bool vertical) const {
  const Rect bar = Bar(vertical);
  const int space = std::max(0, Length(bar, vertical) - 2 * ArrowOf(bar, vertical));
  return std::max(0, space - Length(Thumb(vertical), vertical));
}

Rect DialogScroll::Thumb(bool vertical) const {
  const Rect bar = Bar(vertical);
  const int arrow = ArrowOf(bar, vertical);
  const int space = std::max(0, Length(bar, vertical) - 2 * arrow);
  const int whole = vertical ? dialog_.height : dialog_.width;
  if (space < kMinThumb || whole <= 0) return {};
  // The thumb is as long as the part of the dialog shown is of all of it.
  const int thumb = std::clamp(space * Length(view_, vertical) / whole, kMinThumb, space);
  const int range = Range(vertical);
  const int moved = range > 0 ? (space - thumb) * (vertical ? offset_.y : offset_.x) / range : 0;
  const int from = Start(bar, vertical) + arrow + moved;
  return vertical ? Rect{bar.left, from, bar.right, from + thumb}
                  : Rect{from, bar.top, from + thumb, bar.bottom};
}

DialogScroll::Hit DialogScroll::HitBar(Point p) const {
  for (bool vertical : {true, false}) {
    const Rect bar = Bar(vertical);
    if (bar.Empty() || !bar.Contains(p)) continue;
    const int along = Along(p, vertical) - Start(bar, vertical);
    const int arrow = ArrowOf(bar, vertical);
    const Rect thumb = Thumb(vertical);
    Part part = Part::kNone;
    if (along < arrow) {
      part = Part::kLineBack;
    } else if (along >= Length(bar, vertical) - arrow) {
      part = Part::kLineForward;
    } else if (!thumb.Empty()) {
      part = Along(p, vertical) < Start(thumb, vertical) ? Part::kPageBack
             : Along(p, vertical) >= Start(thumb, vertical) + Length(thumb, vertical)
                 ? Part::kPageForward
                 : Part::kThumb;
    }
    return {vertical, part};
  }
  return {};
}

bool DialogScroll::Press(Point p) {
  const Hit hit = HitBar(p);
  // Off the parts, a point outside the view is still the bars' (their corner, a track
  // without a thumb): the dialog never sees it.
  if (hit.part == Part::kNone) return held_ = (vertical_ || horizontal_) && !view_.Contains(p);
  held_ = true;
  const int page = std::max(kStep, Length(view_, hit.vertical) - kStep);
  int by = 0;
  switch (hit.part) {
    case Part::kLineBack:
      by = -kStep;
      break;
    case Part::kLineForward:
      by = kStep;
      break;
    case Part::kPageBack:
      by = -page;
      break;
    case Part::kPageForward:
      by = page;
      break;
    case Part::kThumb:
      dragging_ = true;
      drag_vertical_ = hit.vertical;
      drag_from_ = Along(p, hit.vertical);
      drag_from_offset_ = hit.vertical ? offset_.y : offset_.x;
      return true;
    case Part::kNone:
      break;
  }
  hit.vertical ? ScrollBy(0, by) : ScrollBy(by, 0);
  return true;
}

bool DialogScroll::Drag(Point p) {
  if (!dragging_) return false;
  const int track = Track(drag_vertical_);
  if (track <= 0) return false;
  const int moved = Along(p, drag_vertical_) - drag_from_;
  const int want = drag_from_offset_ + moved * Range(drag_vertical_) / track;
  const Point now = offset_;
  return drag_vertical_ ? ScrollBy(0, want - now.y) : ScrollBy(want - now.x, 0);
}

bool DialogScroll::Release() {
  const bool was = held_;
  held_ = dragging_ = false;
  return was;
}

void DialogScroll::Draw(gfx::DrawTarget& t) const {
  if (vertical_ && horizontal_)
    t.FillRect({view_.right, view_.bottom, window_.width, window_.height}, kFace);
  t.state().pen = gfx::Pen{gfx::Pen::Style::kSolid, kInk, 1, 0};
  t.state().brush = gfx::Brush::Solid(kInk);
  for (bool vertical : {true, false}) {
    const Rect bar = Bar(vertical);
    if (bar.Empty()) continue;
    t.FillRect(bar, kTrack);
    const int arrow = ArrowOf(bar, vertical);
    for (bool back : {true, false}) {
      Rect box = bar;
      if (vertical) {
        box.top = back ? bar.top : bar.bottom - arrow;
        box.bottom = box.top + arrow;
      } else {
        box.left = back ? bar.left : bar.right - arrow;
        box.right = box.left + arrow;
      }
      t.FillRect(box, kFace);
      Bevel(t, box, true);
      // A small triangle pointing the way the arrow scrolls.
      const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2, s = arrow / 4;
      std::array<Point, 3> tri;
      if (vertical) {
        tri = back ? std::array<Point, 3>{{{cx, cy - s}, {cx - s, cy + s}, {cx + s, cy + s}}}
                   : std::array<Point, 3>{{{cx, cy + s}, {cx - s, cy - s}, {cx + s, cy - s}}};
      } else {
        tri = back ? std::array<Point, 3>{{{cx - s, cy}, {cx + s, cy - s}, {cx + s, cy + s}}}
                   : std::array<Point, 3>{{{cx + s, cy}, {cx - s, cy - s}, {cx - s, cy + s}}};
      }
      t.Polygon(tri);
    }
    const Rect thumb = Thumb(vertical);
    if (thumb.Empty()) continue;
    t.FillRect(thumb, kFace);
    Bevel(t, thumb, true);
  }
}

}  // namespace corvida
