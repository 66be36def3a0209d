// Dialogs larger than the window: which bars appear, where the dialog lies, how far it
// scrolls (never past its edges), the bars' parts, and bringing a control into view.
#include "ui/dialog_scroll.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

constexpr int kBar = DialogScroll::kBarWidth;

TEST(DialogScroll, BarsAppearOnlyWhereTheDialogDoesNotFit) {
  const struct {
    Size window, dialog;
    bool vertical, horizontal;
    Point at;
    const char* why;
  } kCases[] = {
      {{512, 342}, {336, 275}, false, false, {88, 33}, "fits: centred"},
      {{200, 150}, {336, 275}, true, true, {0, 0}, "too large both ways"},
      {{400, 150}, {336, 275}, true, false, {(400 - kBar - 336) / 2, 0}, "too tall"},
      {{200, 300}, {256, 125}, false, true, {0, (300 - kBar - 125) / 2}, "too wide"},
      // Fits the width only until the vertical bar takes its share: both bars.
      {{340, 200}, {336, 275}, true, true, {0, 0}, "the bar narrows the view"},
      {{340, 275}, {336, 275}, false, false, {2, 0}, "exactly as tall"},
  };
  for (const auto& c : kCases) {
    const DialogScroll s(c.window, c.dialog);
    EXPECT_EQ(s.vertical(), c.vertical) << c.why;
    EXPECT_EQ(s.horizontal(), c.horizontal) << c.why;
    EXPECT_EQ(s.DialogAt(), c.at) << c.why;
    EXPECT_EQ(s.view().right, c.window.width - (c.vertical ? kBar : 0)) << c.why;
    EXPECT_EQ(s.view().bottom, c.window.height - (c.horizontal ? kBar : 0)) << c.why;
  }
}

TEST(DialogScroll, ScrollingStopsAtTheDialogsEdges) {
  DialogScroll s({200, 150}, {336, 275});  // view 184 x 134
  const struct {
    int dx, dy;
    Point offset;
    bool changed;
  } kSteps[] = {
      {-10, -10, {0, 0}, false}, {50, 40, {50, 40}, true},   {1000, 1000, {152, 141}, true},
      {1, 1, {152, 141}, false}, {-2000, 0, {0, 141}, true},
  };
  for (const auto& step : kSteps) {
    EXPECT_EQ(s.ScrollBy(step.dx, step.dy), step.changed) << step.dx << "," << step.dy;
    EXPECT_EQ(s.offset(), step.offset) << step.dx << "," << step.dy;
    EXPECT_EQ(s.DialogAt(), (Point{-step.offset.x, -step.offset.y}));
  }
  // A dialog that fits never moves.
  DialogScroll fits({512, 342}, {100, 100});
  EXPECT_FALSE(fits.ScrollBy(30, 30));
}

TEST(DialogScroll, RevealScrollsTheLeastThatShowsTheControl) {
  const struct {
    Point before;
    Rect control;  // dialog points
    Point after;
    const char* why;
  } kCases[] = {
      {{0, 0}, {10, 10, 60, 30}, {0, 0}, "already in view"},
      {{0, 0}, {250, 240, 330, 265}, {146, 131}, "below and right: its far edges"},
      {{150, 140}, {10, 10, 60, 30}, {10, 10}, "above and left: its near edges"},
      {{0, 0}, {0, 0, 300, 20}, {0, 0}, "wider than the view: its left edge"},
      {{100, 0}, {50, 0, 300, 20}, {50, 0}, "wider, scrolled past: back to its left"},
  };
  for (const auto& c : kCases) {
    DialogScroll s({200, 150}, {336, 275});
    s.ScrollBy(c.before.x, c.before.y);
    s.Reveal(c.control);
    EXPECT_EQ(s.offset(), c.after) << c.why;
  }
}

TEST(DialogScroll, BarPartsStepPageAndDragTheThumb) {
  using Part = DialogScroll::Part;
  DialogScroll s({200, 150}, {336, 275});
  const Rect bar = s.Bar(true);
  ASSERT_EQ(bar, (Rect{184, 0, 200, 134}));
  const Rect thumb = s.Thumb(true);
  const struct {
    Point at;
    Part part;
    bool vertical;
  } kParts[] = {
      {{190, 3}, Part::kLineBack, true},
      {{190, 130}, Part::kLineForward, true},
      {{190, thumb.top + 1}, Part::kThumb, true},
      {{190, 100}, Part::kPageForward, true},
      {{3, 140}, Part::kLineBack, false},
      {{180, 140}, Part::kLineForward, false},
      {{100, 100}, Part::kNone, true},
      {{195, 145}, Part::kNone, true},  // the corner
  };
  for (const auto& c : kParts) {
    const auto hit = s.HitBar(c.at);
    EXPECT_EQ(hit.part, c.part) << c.at.x << "," << c.at.y;
    if (c.part != Part::kNone) {
      EXPECT_EQ(hit.vertical, c.vertical) << c.at.x << "," << c.at.y;
    }
  }
  // Arrow one step, page a view less one step, the corner nothing (but it is the bars').
  EXPECT_TRUE(s.Press({190, 130}));
  EXPECT_EQ(s.offset(), (Point{0, DialogScroll::kStep}));
  EXPECT_TRUE(s.Press({190, 100}));
  EXPECT_EQ(s.offset().y, DialogScroll::kStep + 134 - DialogScroll::kStep);
  EXPECT_TRUE(s.Press({195, 145}));
  EXPECT_FALSE(s.Press({100, 100}));  // in the view: the dialog's
  // Dragging the thumb to the end of its track scrolls to the end, and back to the start.
  s.ScrollBy(0, -1000);
  const Rect t = s.Thumb(true);
  EXPECT_TRUE(s.Press({190, t.top + 2}));
  EXPECT_TRUE(s.dragging());
  EXPECT_TRUE(s.Drag({190, t.top + 2 + 500}));
  EXPECT_EQ(s.offset().y, 275 - 134);
  EXPECT_EQ(s.Thumb(true).bottom, bar.bottom - kBar);
  s.Drag({190, t.top + 2});
  EXPECT_EQ(s.offset().y, 0);
  EXPECT_TRUE(s.Release());
  EXPECT_FALSE(s.Drag({190, 100}));
  EXPECT_FALSE(s.Release());  // no press of the bars is held
}

TEST(DialogScroll, AWindowSmallerThanItsBarsStillAnswersSafely) {
  for (Size window : {Size{0, 0}, Size{10, 10}, Size{17, 17}, Size{1, 400}}) {
    DialogScroll s(window, {336, 275});
    EXPECT_GE(s.view().Width(), 0);
    EXPECT_GE(s.view().Height(), 0);
    s.ScrollBy(5000, 5000);
    s.Reveal({300, 250, 330, 270});
    for (int x = -2; x < 20; x += 3)
      for (int y = -2; y < 20; y += 3) s.Press({x, y}), s.Drag({x + 7, y + 9});
    EXPECT_GE(s.offset().x, 0);
    EXPECT_GE(s.offset().y, 0);
    EXPECT_LE(s.offset().x, 336);
    EXPECT_LE(s.offset().y, 275);
  }
}

}  // namespace
}  // namespace corvida
