// Text speed: a text field of 10,000 characters in three fonts is laid out (greedy line
// breaking on advances) and drawn into a true-colour bitmap. Goal: under 5 ms together.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/font_names.h"
#include "platform/fonts.h"
#include "platform/gfx/text.h"

namespace corvida {
namespace {

constexpr int kFieldWidth = 400;
constexpr size_t kTextLength = 10000;
constexpr size_t kRunLength = 250;  // characters per style run

std::string SampleText() {
  static constexpr const char* kWords[] = {
      "The",  "quick",   "brown",          "fox",    "jumps", "over",  "the",  "lazy",
      "dog;", "caf\xE9", "\x93quoted\x94", "Stacks", "of",    "cards", "play", "on."};
  std::string text;
  for (size_t i = 0; text.size() < kTextLength; ++i) {
    text += kWords[(i * 7) % std::size(kWords)];
    text += ' ';
  }
  text.resize(kTextLength);
  return text;
}

struct Line {
  size_t start = 0;
  size_t end = 0;
  int ascent = 0;
  int height = 0;
};

struct Field {
  Field() : text(SampleText()) {
    fonts = CreateFontService(DefaultFontFolders("", ""));
    faces = {fonts->GetFont("Geneva", 12, 0), fonts->GetFont("Times", 14, font_style::kBold),
             fonts->GetFont("Courier", 10, font_style::kItalic)};
  }
  Font& FontAt(size_t i) { return *faces[(i / kRunLength) % faces.size()]; }

  // Greedy line breaking at spaces; a word wider than the field breaks where it must.
  void Layout() {
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
      int width = 0;
      size_t i = start, last_space = std::string::npos;
      for (; i < text.size(); ++i) {
        const int advance = FontAt(i).Advance(static_cast<uint8_t>(text[i]));
        if (width + advance > kFieldWidth && i > start) break;
        width += advance;
        if (text[i] == ' ') last_space = i;
      }
      const size_t end = (i < text.size() && last_space != std::string::npos) ? last_space + 1 : i;
      Line line{start, end, 0, 0};
      for (size_t r = start; r < end; r = (r / kRunLength + 1) * kRunLength) {
        const FontMetrics& m = FontAt(r).metrics();
        line.ascent = std::max(line.ascent, m.ascent);
        line.height = std::max(line.height, m.line_height);
      }
      lines.push_back(line);
      start = end;
    }
  }

  void Draw(gfx::DrawTarget& target) {
    int top = 0;
    for (const Line& line : lines) {
      int x = 0;
      for (size_t r = line.start; r < line.end;) {
        const size_t run_end = std::min(line.end, (r / kRunLength + 1) * kRunLength);
        x += gfx::DrawText(target, FontAt(r), x, top + line.ascent,
                           std::string_view(text).substr(r, run_end - r),
                           gfx::Color::FromRgb(0, 0, 0));
        r = run_end;
      }
      top += line.height;
    }
  }

  std::string text;
  std::unique_ptr<FontService> fonts;
  std::vector<std::shared_ptr<Font>> faces;
  std::vector<Line> lines;
};

void BM_TextFieldLayoutAndDraw10k(benchmark::State& state) {
  Field field;
  field.Layout();
  int height = 0;
  for (const Line& line : field.lines) height += line.height;
  gfx::Bitmap bitmap;
  bitmap.Create(kFieldWidth, height, 32);
  gfx::DrawTarget target(bitmap);
  target.state().bk_mode = gfx::BkMode::kTransparent;
  for (auto _ : state) {
    field.Layout();
    field.Draw(target);
    benchmark::DoNotOptimize(bitmap.data());
  }
  state.counters["lines"] = static_cast<double>(field.lines.size());
}
BENCHMARK(BM_TextFieldLayoutAndDraw10k)->Unit(benchmark::kMillisecond);

void BM_TextFieldLayout10k(benchmark::State& state) {
  Field field;
  for (auto _ : state) {
    field.Layout();
    benchmark::DoNotOptimize(field.lines.data());
  }
}
BENCHMARK(BM_TextFieldLayout10k)->Unit(benchmark::kMicrosecond);

// A font used for the first time: opening the size and rasterising the printable set.
void BM_FirstUseOfAFont(benchmark::State& state) {
  auto fonts = CreateFontService(DefaultFontFolders("", ""));
  int size = 8;
  for (auto _ : state) {
    auto font = fonts->GetFont("Times", size, 0);
    for (int c = 0x20; c < 0x7F; ++c) benchmark::DoNotOptimize(font->Glyph(c).pixels.data());
    size = size == 200 ? 8 : size + 1;  // beyond the service's cache: always cold
  }
}
BENCHMARK(BM_FirstUseOfAFont)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvida
