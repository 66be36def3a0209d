// Where printed text goes (the turtle window under TURTLEIO, else the console writer)
// and where turtle text lands on the picture.
#include <gtest/gtest.h>

#include "logo/turtle.h"
#include "logo_harness.h"
#include "platform/font_names.h"

namespace corvida::logo {
namespace {

using testing::Harness;

struct TextRun {
  explicit TextRun(bool with_fonts = true)
      : fonts(CreateFontService(DefaultFontFolders("", ""))), harness(Config(with_fonts)) {
    surface.Create(100, 100);
    harness.interp().SetTurtleSurface(&surface);
  }
  InterpreterConfig Config(bool with_fonts) {
    InterpreterConfig c;
    if (with_fonts) c.fonts = fonts.get();
    return c;
  }
  // The box around the ink of the picture, empty when there is none.
  Rect Ink() const {
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    const gfx::Bitmap& b = surface.bitmap();
    for (int y = 0; y < b.height(); ++y)
      for (int x = 0; x < b.width(); ++x)
        if (b.ColorAt(x, y) != gfx::kWhite)
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                 std::max(box.bottom, y + 1)};
    return box.left == INT32_MAX ? Rect{} : box;
  }
  std::unique_ptr<FontService> fonts;
  Harness harness;
  PictureSurface surface;
};

TEST(TurtleText, PrintedTextGoesToTheTurtleWindowOnlyUnderTurtleio) {
  struct Route {
    const char* lines;
    bool fonts, surface;
    const char* console;
    bool inked;
  };
  const Route routes[] = {
      {"ht print \"a", true, true, "a\n", false},       // TEXTIO is the default
      {"ht turtleio print \"a", true, true, "", true},  // drawn instead
      {"ht turtleio textio print \"a", true, true, "a\n", false},
      {"ht turtleio print \"a", true, false, "a\n", false},     // no window: not lost
      {"ht turtleio print \"a", false, true, "a\n", false},     // no fonts: not lost
      {"ht turtleio type \"a show [b]", true, true, "", true},  // every printing primitive
  };
  for (const Route& r : routes) {
    TextRun run(r.fonts);
    if (!r.surface) run.harness.interp().SetTurtleSurface(nullptr);
    EXPECT_EQ(run.harness.Lines(r.lines), r.console) << r.lines;
    if (run.fonts->has_faces()) {
      EXPECT_EQ(!run.Ink().Empty(), r.inked) << r.lines;
    }
  }
  // Output that is off goes nowhere at all.
  TextRun off;
  off.harness.interp().output_enabled = false;
  EXPECT_EQ(off.harness.Lines("print \"a"), "");
  EXPECT_TRUE(off.Ink().Empty());
}

TEST(TurtleText, TextStartsAtTheTurtleAndFollowsItWhenItMoves) {
  TextRun run;
  if (!run.fonts->has_faces()) GTEST_SKIP() << "no font faces installed";
  const int line = run.fonts->GetFont("Geneva", 12, 0)->metrics().line_height;
  // Home is (50, 50): the first line's cell starts there.
  run.harness.Lines("ht turtleio setpc 2 type \"H");
  Rect first = run.Ink();
  EXPECT_GE(first.left, 50);
  EXPECT_GE(first.top, 50);
  EXPECT_LE(first.bottom, 50 + line);
  int red = 0;  // the stem of the H in full pen colour (its edges are smoothed)
  for (int y = first.top; y < first.bottom; ++y)
    for (int x = first.left; x < first.right; ++x)
      red += run.surface.bitmap().ColorAt(x, y) == gfx::Rgb{255, 0, 0};
  EXPECT_GT(red, 4);
  // More text goes on to the right; a line end goes down under where the text began.
  run.harness.Lines("print \"H\ntype \"H");
  Rect three = run.Ink();
  EXPECT_GT(three.right, first.right);
  EXPECT_EQ(three.left, first.left);
  EXPECT_GT(three.bottom, 50 + line);
  // A turtle that moved starts again where it stands.
  run.harness.Lines("pu setpos [-40 40] type \"H");
  EXPECT_LT(run.Ink().top, 20);
  EXPECT_LT(run.Ink().left, 20);
}

// The font primitives against the faces the font service finds: widths and metrics are
// the service's own, in turtle units.
TEST(TurtleText, FontPrimitivesMeasureWithTheTurtleFont) {
  TextRun run;
  if (!run.fonts->has_faces()) GTEST_SKIP() << "no font faces installed";
  auto width = [&](const char* family, int size, uint8_t style, const char* text) {
    return std::to_string(run.fonts->GetFont(family, size, style)->MeasureText(text)) + "\n";
  };
  struct Measure {
    const char* lines;
    std::string output;
  };
  const std::shared_ptr<Font> geneva = run.fonts->GetFont("Geneva", 12, 0);
  int widest = 0;
  for (int ch = 32; ch < 256; ++ch) widest = std::max(widest, geneva->Advance(uint8_t(ch)));
  const FontMetrics& m = geneva->metrics();
  const Measure measures[] = {
      {"show textwidth \"Hello", width("Geneva", 12, 0, "Hello")},
      {"show textwidth [two words]", width("Geneva", 12, 0, "two words")},
      {"setfontsize 30 show textwidth \"Hello", width("Geneva", 30, 0, "Hello")},
      {"setfontstyle 1 show textwidth \"Hello", width("Geneva", 12, 1, "Hello")},
      {"setfontfamily [Times] show textwidth \"Hello", width("Times", 12, 0, "Hello")},
      {"setfontfamily \"Courier setfontsize 10 show textwidth \"iii",
       width("Courier", 10, 0, "iii")},
      {"show getfontinfo", "[" + std::to_string(m.ascent) + " " + std::to_string(m.descent) + " " +
                               std::to_string(widest) + " " + std::to_string(m.leading) + "]\n"},
  };
  for (const Measure& c : measures) {
    TextRun fresh;
    EXPECT_EQ(fresh.harness.Lines(c.lines), c.output) << c.lines;
  }
  // Turtle units: on a window scrunched twice as wide, half as many.
  TextRun scrunched;
  int pixels = geneva->MeasureText("Hello wide world");
  EXPECT_EQ(scrunched.harness.Lines("setscrunch 2 show textwidth [Hello wide world]"),
            std::to_string((pixels + 1) / 2) + "\n");
  // The text drawn is in the font set: a larger size inks a taller box.
  TextRun small, large;
  small.harness.Lines("ht turtleio type \"M");
  large.harness.Lines("ht turtleio setfontsize 30 type \"M");
  EXPECT_GT(large.Ink().Height(), small.Ink().Height() + 8);
}

TEST(TurtleText, FontPrimitivesRefuseWhatNoFontHas) {
  const testing::Case cases[] = {
      {"setfontsize 0", "Logo Error: SETFONTSIZE doesn't like 0 as input\n\nAt: SETFONTSIZE 0\n"},
      {"setfontsize 100000",
       "Logo Error: SETFONTSIZE doesn't like 100000 as input\n\nAt: SETFONTSIZE 100000\n"},
      {"setfontstyle 128",
       "Logo Error: SETFONTSTYLE doesn't like 128 as input\n\nAt: SETFONTSTYLE 128\n"},
      {"setfontfamily []",
       "Logo Error: SETFONTFAMILY doesn't like [] as input\n\nAt: SETFONTFAMILY []\n"},
      // Without a font service the built-in metrics still answer.
      {"show (textwidth \"ab) > 0 show count getfontinfo", "TRUE\n4\n"},
  };
  for (const testing::Case& c : cases) EXPECT_EQ(testing::RunLogo(c.lines), c.output) << c.lines;
}

}  // namespace
}  // namespace corvida::logo
