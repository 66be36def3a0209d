#include <gtest/gtest.h>

#include <filesystem>

#include "platform/font_names.h"
#include "platform/fonts.h"
#include "support/test_support.h"

namespace corvida {
namespace {

std::unique_ptr<FontService> SystemFonts() {
  return CreateFontService(DefaultFontFolders("", ""));
}

// Ink bounds of a mask in its own coordinates; false when it has no ink.
bool InkBounds(const CoverageMask& m, int& left, int& top, int& right, int& bottom) {
  left = top = INT32_MAX;
  right = bottom = INT32_MIN;
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      if (!m.At(x, y)) continue;
      left = std::min(left, x);
      top = std::min(top, y);
      right = std::max(right, x + 1);
      bottom = std::max(bottom, y + 1);
    }
  }
  return right > left;
}

int InkSum(const CoverageMask& m) {
  int sum = 0;
  for (uint8_t c : m.pixels) sum += c;
  return sum;
}

TEST(FontNames, MapsClassicNamesIgnoringCaseAndSpacing) {
  EXPECT_EQ(MapFontName("Times New Roman").family, FaceFamily::kSerif);
  EXPECT_EQ(MapFontName("TIMESNEWROMAN").family, FaceFamily::kSerif);
  EXPECT_EQ(MapFontName("new york").family, FaceFamily::kSerif);
  EXPECT_EQ(MapFontName("Courier New").family, FaceFamily::kMono);
  EXPECT_EQ(MapFontName("monaco").family, FaceFamily::kSansMono);
  EXPECT_EQ(MapFontName("Palatino").family, FaceFamily::kBookSerif);
  EXPECT_EQ(MapFontName("Symbol").family, FaceFamily::kSymbol);
  EXPECT_EQ(MapFontName("MS Sans-Serif").family, FaceFamily::kSans);
  const FontMapping chicago = MapFontName("CHICAGO");
  EXPECT_TRUE(chicago.known);
  EXPECT_EQ(chicago.family, FaceFamily::kSans);
  EXPECT_EQ(chicago.implied_style, font_style::kBold);

  for (std::string_view unknown : {"", "Wingbats Deluxe", "\xA5\xFF", "Geneva Bold Extra"}) {
    const FontMapping m = MapFontName(unknown);
    EXPECT_FALSE(m.known) << unknown;
    EXPECT_EQ(m.family, FaceFamily::kSans);
    EXPECT_EQ(m.implied_style, 0);
  }
}

TEST(FontNames, EveryFamilyFallsBackToTheTextFaces) {
  const auto sets = FaceSetsFor(FaceFamily::kChancery);
  ASSERT_GE(sets.size(), 10u);
  EXPECT_STREQ(sets.front()->design, "Z003");
  // Symbol faces never stand in for ordinary text.
  for (const FaceFileSet* set : FaceSetsFor(FaceFamily::kSerif)) EXPECT_FALSE(set->symbol);
}

TEST(Fonts, HeadlessPlatformHasAFontService) {
  testing::TestPlatform tp;
  FontService* fonts = tp.platform->fonts();
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts, tp.platform->fonts());
  EXPECT_TRUE(fonts->has_faces()) << fonts->Describe();
  EXPECT_NE(fonts->Describe().find("Liberation Sans"), std::string::npos) << fonts->Describe();
}

TEST(Fonts, ArialStandInHasWindowsLineMetrics) {
  auto fonts = SystemFonts();
  auto font = fonts->GetFont("Arial", 12, 0);
  ASSERT_EQ(font->design(), "Liberation Sans");
  // The same ascent and descent Windows gives Arial at 12 pixels.
  EXPECT_EQ(font->metrics().ascent, 11);
  EXPECT_EQ(font->metrics().descent, 3);
  EXPECT_EQ(font->metrics().m_height, 9);
  EXPECT_EQ(fonts->GetFont("helvetica", 12, 0), font);  // one font for both names
}

TEST(Fonts, MetricsAreSaneAndGrowWithSize) {
  auto fonts = SystemFonts();
  for (const char* name : {"Geneva", "Times", "Courier", "Palatino", "Symbol", "Nonesuch"}) {
    FontMetrics previous;
    int previous_width = 0;
    for (int size = 6; size <= 72; size += 3) {
      auto font = fonts->GetFont(name, size, 0);
      const FontMetrics& m = font->metrics();
      SCOPED_TRACE(std::string(name) + " " + std::to_string(size));
      EXPECT_GT(m.ascent, 0);
      EXPECT_GE(m.descent, 0);
      EXPECT_EQ(m.line_height, m.ascent + m.descent + m.leading);
      EXPECT_GE(m.line_height, size);
      EXPECT_LE(m.line_height, size * 2);
      EXPECT_GT(m.m_height, size / 2 - 1);
      EXPECT_LE(m.m_height, m.ascent);
      EXPECT_GE(m.ascent, previous.ascent);
      EXPECT_GE(m.line_height, previous.line_height);
      const int width = font->MeasureText("Mountains");
      EXPECT_GT(width, previous_width);
      previous = m;
      previous_width = width;
    }
  }
}

TEST(Fonts, SizesAreClampedAndZeroMeansDefault) {
  auto fonts = SystemFonts();
  EXPECT_EQ(fonts->GetFont("Times", 0, 0)->size(), kDefaultFontSize);
  EXPECT_EQ(fonts->GetFont("Times", -5, 0)->size(), kDefaultFontSize);
  EXPECT_EQ(fonts->GetFont("Times", 1 << 30, 0)->size(), kMaxFontSize);
}

TEST(Fonts, AdvancesAddUpToTheStringWidth) {
  auto fonts = SystemFonts();
  for (uint8_t style : {0, 0x01, 0x03, 0x08, 0x10, 0x20, 0x40}) {
    auto font = fonts->GetFont("Times", 14, style);
    const std::string text = "Quick \xE9t\xE9 \x93quoted\x94 fox\tend";
    const std::vector<int> advances = font->CharAdvances(text);
    ASSERT_EQ(advances.size(), text.size());
    int sum = 0;
    for (int a : advances) sum += a;
    EXPECT_EQ(sum, font->MeasureText(text));
    EXPECT_EQ(font->Advance('\t'), 0);
    EXPECT_EQ(font->Advance('\r'), 0);
    // Characters of the Windows set outside Latin-1 are real glyphs, not controls.
    EXPECT_GT(font->Advance(0x93), 0);
    EXPECT_FALSE(font->Glyph(0x80).Empty());  // the euro sign
  }
  auto regular = fonts->GetFont("Times", 14, 0);
  EXPECT_EQ(regular->MeasureText(""), 0);
  EXPECT_GT(regular->Advance(' '), 0);
  EXPECT_TRUE(regular->Glyph(' ').Empty());
  // Condense and extend take or give one pixel per character.
  const int w = regular->MeasureText("abc");
  EXPECT_EQ(fonts->GetFont("Times", 14, font_style::kCondense)->MeasureText("abc"), w - 3);
  EXPECT_EQ(fonts->GetFont("Times", 14, font_style::kExtend)->MeasureText("abc"), w + 3);
}

TEST(Fonts, RenderedStringStaysInsideItsBox) {
  auto fonts = SystemFonts();
  for (const char* name : {"Geneva", "Times New Roman", "Courier", "Chicago"}) {
    auto font = fonts->GetFont(name, 18, 0);
    CoverageMask mask;
    ASSERT_TRUE(font->RenderText("Hxgjy\xC9", mask));
    int l, t, r, b;
    ASSERT_TRUE(InkBounds(mask, l, t, r, b)) << name;
    const int width = font->MeasureText("Hxgjy\xC9");
    // Relative to the pen at the start on the baseline.
    EXPECT_GE(mask.left + l, -2) << name;
    EXPECT_LE(mask.left + r, width + 2) << name;
    // Hinting may lift an accent one pixel above the face's stated ascent.
    EXPECT_GE(mask.top + t, -font->metrics().ascent - 1) << name;
    EXPECT_LE(mask.top + b, font->metrics().descent) << name;
    // Descenders reach below the baseline, the capital's top well above it.
    EXPECT_GT(mask.top + b, 1) << name;
    EXPECT_LE(mask.top + t, -font->metrics().m_height) << name;
  }
}

TEST(Fonts, BoldIsWiderAndHeavier) {
  auto fonts = SystemFonts();
  for (const char* name : {"Helvetica", "Times", "Symbol", "Zapf Chancery"}) {
    auto regular = fonts->GetFont(name, 16, 0);
    auto bold = fonts->GetFont(name, 16, font_style::kBold);
    EXPECT_GT(bold->MeasureText("Bold words"), regular->MeasureText("Bold words")) << name;
    CoverageMask r, b;
    ASSERT_TRUE(regular->RenderText("Bold", r));
    ASSERT_TRUE(bold->RenderText("Bold", b));
    EXPECT_GT(InkSum(b), InkSum(r) * 11 / 10) << name;
  }
}

TEST(Fonts, BoldAndItalicAreMadeUpWhenTheFaceLacksThem) {
  testing::TempDir dir;
  std::filesystem::copy_file("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                             dir.File("LiberationSans-Regular.ttf"));
  auto fonts = CreateFontService({dir.path()});
  ASSERT_TRUE(fonts->has_faces());
  auto regular = fonts->GetFont("Arial", 20, 0);
  auto bold = fonts->GetFont("Arial", 20, font_style::kBold);
  auto italic = fonts->GetFont("Arial", 20, font_style::kItalic);
  EXPECT_EQ(bold->design(), "Liberation Sans");
  EXPECT_EQ(bold->MeasureText("IIII"), regular->MeasureText("IIII") + 4);
  EXPECT_GT(InkSum(bold->Glyph('I')), InkSum(regular->Glyph('I')) * 5 / 4);
  // The slanted stem of an I leans right: its top row starts right of its bottom row.
  const CoverageMask& slanted = italic->Glyph('I');
  auto first_ink = [&](int row) {
    for (int x = 0; x < slanted.width; ++x)
      if (slanted.At(x, row) > 128) return x;
    return -1;
  };
  EXPECT_GT(first_ink(0), first_ink(slanted.height - 1) + 1);
  EXPECT_EQ(italic->MeasureText("abc"), regular->MeasureText("abc"));
}

TEST(Fonts, UnderlineRunsUnderTheWholeString) {
  auto fonts = SystemFonts();
  auto font = fonts->GetFont("Geneva", 12, font_style::kUnderline);
  CoverageMask mask;
  ASSERT_TRUE(font->RenderText("a b", mask));
  const int width = font->MeasureText("a b");
  const int row = font->underline_offset() - mask.top;
  for (int x = 0; x < width; ++x) EXPECT_EQ(mask.At(x - mask.left, row), 255) << x;
  EXPECT_GE(font->underline_offset(), 1);
  EXPECT_LE(font->underline_offset() + font->underline_thickness(), font->metrics().descent);
  // Without the style there is no ink under the space.
  auto plain = fonts->GetFont("Geneva", 12, 0);
  CoverageMask bare;
  ASSERT_TRUE(plain->RenderText("a b", bare));
  const int space_x = plain->Advance('a') + 1;
  EXPECT_EQ(bare.At(space_x - bare.left, font->underline_offset() - bare.top), 0);
}

TEST(Fonts, OutlineIsHollowAndShadowReachesFurther) {
  auto fonts = SystemFonts();
  auto plain = fonts->GetFont("Helvetica", 40, font_style::kBold);
  auto outline = fonts->GetFont("Helvetica", 40, font_style::kBold | font_style::kOutline);
  auto shadow = fonts->GetFont("Helvetica", 40, font_style::kBold | font_style::kShadow);
  const CoverageMask& p = plain->Glyph('I');
  // A point in the middle of the solid stem is filled plainly and empty in outline.
  const int cx = p.left + p.width / 2, cy = p.top + p.height / 2;
  ASSERT_EQ(p.At(cx - p.left, cy - p.top), 255);
  const CoverageMask o = outline->Glyph('I');
  EXPECT_EQ(o.At(cx - o.left, cy - o.top), 0);
  EXPECT_GT(InkSum(o), 0);
  // The ring surrounds the stem on both sides.
  EXPECT_GT(o.At(p.left - 1 - o.left + 0, cy - o.top) + o.At(p.left - o.left, cy - o.top), 0);
  const CoverageMask& s = shadow->Glyph('I');
  EXPECT_EQ(s.left, o.left);
  EXPECT_EQ(s.top, o.top);
  EXPECT_EQ(s.width, o.width + 1);
  EXPECT_EQ(s.height, o.height + 1);
  EXPECT_EQ(outline->Advance('I'), plain->Advance('I') + 1);
  EXPECT_EQ(shadow->Advance('I'), plain->Advance('I') + 2);
  EXPECT_GT(shadow->metrics().line_height, plain->metrics().line_height);
}

TEST(Fonts, WithoutFontFilesMetricsStaySaneAndNothingIsDrawn) {
  testing::TempDir empty;
  auto fonts = CreateFontService({empty.path(), empty.File("missing")});
  EXPECT_FALSE(fonts->has_faces());
  EXPECT_NE(fonts->Describe().find("no font files"), std::string::npos);
  auto font = fonts->GetFont("Geneva", 12, font_style::kUnderline);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->design(), "");
  const FontMetrics& m = font->metrics();
  EXPECT_GT(m.ascent, m.descent);
  EXPECT_GE(m.line_height, 12);
  EXPECT_GT(m.m_height, 0);
  EXPECT_GT(font->MeasureText("abc"), 0);
  EXPECT_EQ(font->Advance('\r'), 0);
  EXPECT_GT(font->AverageCharWidth(), 0);
  EXPECT_GT(fonts->GetFont("Geneva", 12, font_style::kBold)->MeasureText("abc"),
            font->MeasureText("abc"));
  CoverageMask mask;
  EXPECT_TRUE(font->RenderText("abc", mask));
  EXPECT_TRUE(mask.Empty());
}

TEST(Fonts, BrokenFontFileIsSkipped) {
  testing::TempDir dir;
  dir.Write("LiberationSans-Regular.ttf", std::string(3000, '\x01'));
  std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             dir.File("DejaVuSans.ttf"));
  auto fonts = CreateFontService({dir.path()});
  auto font = fonts->GetFont("Arial", 12, 0);
  EXPECT_EQ(font->design(), "DejaVu Sans");
  EXPECT_FALSE(font->Glyph('A').Empty());
}

TEST(Fonts, FontsOutliveTheirCacheEntriesAndTheService) {
  auto fonts = SystemFonts();
  auto held = fonts->GetFont("Times", 10, 0);
  const int width = held->MeasureText("held");
  for (int size = 11; size < 200; ++size) fonts->GetFont("Times", size, 0);
  EXPECT_NE(fonts->GetFont("Times", 10, 0), held);  // dropped from the cache, still usable
  fonts.reset();
  EXPECT_EQ(held->MeasureText("held"), width);
  EXPECT_FALSE(held->Glyph('h').Empty());
}

TEST(Fonts, OversizedStringMaskIsRefused) {
  auto fonts = SystemFonts();
  auto font = fonts->GetFont("Times", kMaxFontSize, 0);
  CoverageMask mask;
  EXPECT_FALSE(font->RenderText(std::string(200000, 'W'), mask));
  EXPECT_TRUE(mask.Empty());
}

TEST(Fonts, DialogFontAverageWidthIsAboutSixPixels) {
  auto fonts = SystemFonts();
  const int average = fonts->GetFont("MS Sans Serif", 11, 0)->AverageCharWidth();
  EXPECT_GE(average, 5);
  EXPECT_LE(average, 7);
}

}  // namespace
}  // namespace corvida
