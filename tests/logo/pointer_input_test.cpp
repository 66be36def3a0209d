// MOUSE and BUTTONP read the pointer over the turtle's surface; SETRWPROMPT and SETRWRECT
// set up the read dialog (its rectangle kept in window pixels).
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "logo/turtle.h"
#include "logo_harness.h"

namespace corvida::logo {
namespace {

using testing::Harness;

// A white 100 x 100 picture that knows where the pointer is.
class PointerSurface : public PictureSurface {
 public:
  PointerSurface() { Create(100, 100); }
  std::optional<Point> Pointer() override { return pointer; }
  std::optional<Point> pointer;
};

TEST(LogoPointer, MouseInTurtleCoordinates) {
  struct Case {
    const char* what;
    bool surface;
    std::optional<Point> pointer;
    const char* shown;
  } cases[] = {
      {"no surface", false, Point{70, 20}, "[0 0]\n"},
      {"the pointer unknown", true, std::nullopt, "[0 0]\n"},
      {"right of and above the centre", true, Point{70, 20}, "[20 30]\n"},
      {"the centre", true, Point{50, 50}, "[0 0]\n"},
      {"outside the window", true, Point{-10, 130}, "[-60 -80]\n"},
  };
  for (const Case& c : cases) {
    Harness h;
    PointerSurface surface;
    surface.pointer = c.pointer;
    if (c.surface) h.interp().SetTurtleSurface(&surface);
    EXPECT_EQ(h.Lines("show mouse"), c.shown) << c.what;
    h.interp().SetTurtleSurface(nullptr);
  }
}

TEST(LogoPointer, ButtonpFollowsThePrimaryButton) {
  Harness h;
  EXPECT_EQ(h.Lines("show buttonp"), "FALSE\n");
  h.platform().headless_windows().SetMouseButton(true);
  EXPECT_EQ(h.Lines("show buttonp"), "TRUE\n");
  h.platform().headless_windows().SetMouseButton(false);
  EXPECT_EQ(h.Lines("show buttonp"), "FALSE\n");
}

TEST(LogoPointer, ReadDialogPromptAndRectangle) {
  Harness h;
  PointerSurface surface;
  h.interp().SetTurtleSurface(&surface);
  EXPECT_EQ(h.Lines("setrwprompt [Your name?]"), "");
  EXPECT_EQ(h.interp().read_prompt, "Your name?");
  struct Case {
    const char* line;
    std::optional<Rect> rect;
    const char* output;
  } cases[] = {
      {"setrwrect [-10 10 20 -20]", Rect{40, 40, 70, 70}, ""},
      {"setrwrect [20 -20 -10 10]", Rect{40, 40, 70, 70}, ""},  // corners in any order
      {"setrwrect [0 0 2 + 3 -5]", Rect{50, 50, 55, 55}, ""},
      {"setrwrect [1 2 3]", std::nullopt,
       "Logo Error: SETRWRECT doesn't like [1 2 3] as input\n\nAt: SETRWRECT [1 2 3]\n"},
      {"setrwrect [1 2 3 4 5]", std::nullopt,
       "Logo Error: SETRWRECT doesn't like [1 2 3 4 5] as input\n\nAt: SETRWRECT [1 2 3 4 "
       "5]\n"},
      {"setrwrect [1e9 0 0 0]", Rect{50, 50, 32767, 50}, ""},
  };
  for (const Case& c : cases) {
    h.interp().read_rect.reset();
    EXPECT_EQ(h.Lines(c.line), c.output) << c.line;
    EXPECT_EQ(h.interp().read_rect.has_value(), c.rect.has_value()) << c.line;
    if (c.rect && h.interp().read_rect) {
      const Rect& r = *h.interp().read_rect;
      EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                (std::array{c.rect->left, c.rect->top, c.rect->right, c.rect->bottom}))
          << c.line;
    }
  }
  h.interp().SetTurtleSurface(nullptr);
}

}  // namespace
}  // namespace corvida::logo
