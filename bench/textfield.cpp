// Text fields: a field of 10,000 characters in three fonts, laid out by the text component
// and drawn whole into a true-colour bitmap. Goal: under 5 ms for layout and drawing.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/text.h"
#include "platform/font_names.h"

namespace corvida {
namespace {

constexpr int kFieldWidth = 400;
constexpr size_t kTextLength = 10000;
constexpr uint32_t kRunLength = 250;

std::string SampleText() {
  static constexpr const char* kWords[] = {
      "The",  "quick",   "brown",          "fox",    "jumps", "over",  "the",  "lazy",
      "dog;", "caf\xE9", "\x93quoted\x94", "Stacks", "of",    "cards", "play", "on.\r"};
  std::string text;
  for (size_t i = 0; text.size() < kTextLength; ++i) {
    text += kWords[(i * 7) % std::size(kWords)];
    text += ' ';
  }
  text.resize(kTextLength);
  return text;
}

std::vector<StyleRun> ThreeFonts() {
  const TextStyle styles[3] = {{"Geneva", 3, 12, 0, false, {}},
                               {"Times", 20, 14, font_style::kBold, true, {200, 0, 0}},
                               {"Courier", 22, 10, font_style::kItalic, false, {}}};
  std::vector<StyleRun> runs;
  for (uint32_t at = 0; at < kTextLength; at += kRunLength)
    runs.push_back({at, styles[(at / kRunLength) % 3]});
  return runs;
}

struct Field {
  Field() : fonts(CreateFontService(DefaultFontFolders("", ""))), text(fonts.get(), {}) {
    text.SetText(SampleText(), ThreeFonts());
    text.SetView({0, 0, kFieldWidth, 100});
    const int height = text.TextHeight();
    text.SetView({0, 0, kFieldWidth, height});
    bitmap.Create(kFieldWidth, height, 32);
  }
  std::unique_ptr<FontService> fonts;
  TextObject text;
  gfx::Bitmap bitmap;
};

void BM_FieldLayoutAndDraw10k(benchmark::State& state) {
  Field field;
  gfx::DrawTarget target(field.bitmap);
  for (auto _ : state) {
    field.text.SetStyle(0, 1, field.text.StyleAt(0));  // forces a fresh layout
    field.text.Draw(target, field.bitmap.Bounds());
    benchmark::DoNotOptimize(field.bitmap.data());
  }
  state.counters["lines"] = field.text.NumLines();
}
BENCHMARK(BM_FieldLayoutAndDraw10k)->Unit(benchmark::kMillisecond);

void BM_FieldLayout10k(benchmark::State& state) {
  Field field;
  for (auto _ : state) {
    field.text.SetStyle(0, 1, field.text.StyleAt(0));
    benchmark::DoNotOptimize(field.text.Lines().data());
  }
}
BENCHMARK(BM_FieldLayout10k)->Unit(benchmark::kMicrosecond);

// Typing one character in the middle of the field, with the relayout it causes.
void BM_FieldTypeOneCharacter10k(benchmark::State& state) {
  Field field;
  field.text.SetSelection(5000, 5000);
  bool insert = true;
  for (auto _ : state) {
    field.text.Key(insert ? 'x' : textchar::kBackspace);
    insert = !insert;
    benchmark::DoNotOptimize(field.text.Lines().data());
  }
}
BENCHMARK(BM_FieldTypeOneCharacter10k)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvida
