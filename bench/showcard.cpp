// Showing a card: a 640 x 480 8-bit card with 30 objects (buttons with names and icons,
// two text fields, graphics with pictures, one masked), from the card record to the
// composed offscreen image (again, and the first time, with its pictures decoded); and
// the repaint of one button's rectangle. Goals: under 1 ms and under 50 us of CPU.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "engine/render.h"
#include "platform/headless/headless.h"
#include "stackfile/cardpicture.h"
#include "stackfile/pixpak.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

namespace corvida {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void Le16(std::vector<uint8_t>& d, uint16_t v) {
  d.push_back(uint8_t(v));
  d.push_back(uint8_t(v >> 8));
}
void Le32(std::vector<uint8_t>& d, uint32_t v) {
  Le16(d, uint16_t(v)), Le16(d, uint16_t(v >> 16));
}

// A 32 x 32 four-bit icon: a ring of colours on a transparent ground.
std::vector<uint8_t> IconData() {
  std::vector<uint8_t> d;
  Le16(d, 0), Le16(d, 1), Le16(d, 1);
  d.insert(d.end(), {32, 32, 16, 0}), Le16(d, 1), Le16(d, 4), Le32(d, 0), Le32(d, 22);
  Le32(d, 40), Le32(d, 32), Le32(d, 64), Le16(d, 1), Le16(d, 4);
  for (int i = 0; i < 6; ++i) Le32(d, 0);
  for (int i = 0; i < 16; ++i)
    d.insert(d.end(), {uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 8), 0});
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 16; ++x) d.push_back(uint8_t(((x + y) % 16) << 4 | ((x + y + 1) % 16)));
  for (int y = 0; y < 32; ++y) {
    uint32_t bits = 0;
    for (int x = 0; x < 32; ++x) {
      int dx = x - 16, dy = y - 16;
      if (dx * dx + dy * dy > 15 * 15) bits |= 0x80000000u >> x;
    }
    d.insert(d.end(),
             {uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)});
  }
  return d;
}

struct Scene {
  Scene() {
    folders.temp = "/tmp";
    platform = std::make_unique<HeadlessPlatform>(folders);
    handles = std::make_unique<Handles>();
    stack = std::make_unique<Stack>(*handles);
    stack->CreateNew(kWidth, kHeight, 8);

    gfx::Palette palette;
    palette.count = 256;
    for (int i = 0; i < 256; ++i)
      palette.Set(i, {uint8_t(i), uint8_t((i * 7) & 255), uint8_t(255 - i)});
    gfx::Bitmap picture;
    picture.Create(kWidth, kHeight, 8);
    uint32_t seed = 1;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1103515245 + 12345;
        picture.Set(x, y, uint8_t((x / 4 + y / 3) + ((seed >> 16) & 7)));  // a textured gradient
      }
    RecordBytes bg =
        NewCardRecord(1, card::kKindBackground, 0, EncodeCardPicture(picture, palette));
    RecordBytes c = NewCardRecord(2, card::kKindShared, 1);

    gfx::Bitmap art;
    art.Create(64, 48, 8);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) art.Set(x, y, uint8_t(x * 4 + y));
    std::vector<uint8_t> pixpak = EncodePixPak(art, palette);
    for (int i = 0; i < 24; ++i) {
      Rect r{20 + (i % 6) * 100, 20 + (i / 6) * 80, 20 + (i % 6) * 100 + 90,
             20 + (i / 6) * 80 + 70};
      RecordBytes b = NewObject(object::kButton, uint16_t(10 + i), r, 0, kButtonRecordSize);
      PutCountedName(b.data() + button::kName, button::kNameField, "Button " + std::to_string(i));
      Put16(b.data() + button::kStyle, uint16_t(i % 4));
      Put16(b.data() + button::kDisplayFlags, 0x18);
      Put16(b.data() + button::kTextColor, 1);
      Put16(b.data() + button::kButtonColor, uint16_t(100 + i));
      Put16(b.data() + button::kIconId, 128);
      AppendObject(c, b);
    }
    for (int i = 0; i < 2; ++i) {
      RecordBytes f = NewObject(object::kTextField, uint16_t(40 + i),
                                {20 + i * 310, 350, 310 + i * 310, 460}, 0, kTextFieldRecordSize);
      AppendObject(c, f);
    }
    for (int i = 0; i < 4; ++i) {
      Rect r{20 + i * 150, 330, 20 + i * 150 + (i == 3 ? 64 : 128), 330 + (i == 3 ? 48 : 96)};
      RecordBytes g = NewObject(object::kGraphic, uint16_t(50 + i), r, 0, kGraphicRecordSize);
      g.insert(g.end(), pixpak.begin(), pixpak.end());
      Put16(g.data() + graphic::kFrameWidth, uint16_t(i));
      Put16(g.data() + graphic::kFrameColor, 3);
      if (i == 3) {
        RecordBytes mask = {64, 0, 48, 0, 0, 0, 0, 0};
        for (int y = 0; y < 48; ++y)
          for (int x = 0; x < 8; ++x) mask.push_back(uint8_t(y % 2 ? 0xF0 : 0x0F));
        g.insert(g.end(), mask.begin(), mask.end());
        Put16(g.data() + graphic::kGraphicFlags, graphic::kFlagMask);
        Put32(g.data() + graphic::kMaskLength, uint32_t(mask.size()));
      }
      Put32(g.data() + object::kLength, uint32_t(g.size()));
      AppendObject(c, g);
    }
    card = HandleFromBytes(*handles, c);
    if (!stack->AddCard(HandleFromBytes(*handles, bg), 0) || !stack->AddCard(card, 1)) std::abort();
    stack->resources().Add(HandleFromBytes(*handles, IconData()), restype::kIcon, 128, "");

    RenderServices services;
    services.fonts = platform->fonts();
    view = std::make_unique<CardView>(*handles, *stack, services);
  }

  Folders folders;
  std::unique_ptr<HeadlessPlatform> platform;
  std::unique_ptr<Handles> handles;
  std::unique_ptr<Stack> stack;
  std::unique_ptr<CardView> view;
  Handle card = 0;
};

// Hands the composed image over as a screen would take it.
struct NullScreen : CardScreen {
  const gfx::Bitmap* shown = nullptr;
  void RunTransition(int, int, const Rect*, const gfx::Bitmap& image, const gfx::Palette&,
                     bool) override {
    shown = &image;
  }
  void CopyToScreen(const Rect&, const gfx::Bitmap& image, const gfx::Palette&) override {
    shown = &image;
  }
};

// Processor seconds this process has used.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void Goal(benchmark::State& state, double start_cpu, double goal_seconds, const char* goal) {
  const double per = (CpuSeconds() - start_cpu) / double(state.iterations());
  state.counters["cpu_us"] = per * 1e6;
  state.SetLabel(std::string(goal) + (per < goal_seconds ? ": met" : ": NOT met"));
}

// The card shown again: its picture is kept decoded from the first time.
void BM_ShowCard(benchmark::State& state) {
  Scene scene;
  NullScreen screen;
  scene.view->ShowCard(scene.card, 3, 8, true, &screen);
  const double start = CpuSeconds();
  for (auto _ : state) {
    scene.view->ShowCard(scene.card, 3, 8, true, &screen);
    benchmark::DoNotOptimize(screen.shown);
  }
  Goal(state, start, 1e-3, "goal < 1 ms CPU");
  state.counters["objects"] = double(scene.view->display_list().size());
}
BENCHMARK(BM_ShowCard)->Unit(benchmark::kMicrosecond);

// The card shown for the first time: its picture and its graphics' pictures decoded.
void BM_ShowCardFirstTime(benchmark::State& state) {
  Scene scene;
  NullScreen screen;
  const double start = CpuSeconds();
  for (auto _ : state) {
    scene.view->stack_pictures().Clear();
    scene.view->ShowCard(scene.card, 3, 8, true, &screen);
    benchmark::DoNotOptimize(screen.shown);
  }
  Goal(state, start, 1e-3, "goal < 1 ms CPU");
}
BENCHMARK(BM_ShowCardFirstTime)->Unit(benchmark::kMicrosecond);

void BM_RepaintButton(benchmark::State& state) {
  Scene scene;
  scene.view->ShowCard(scene.card, 3, 8, true, nullptr);
  gfx::Bitmap window;
  window.Create(kWidth, kHeight, 32);
  gfx::DrawTarget target(window);
  target.state().palette = &scene.view->palette();
  const Rect button = scene.view->display_list()[7].rect;
  const double start = CpuSeconds();
  for (auto _ : state) {
    scene.view->Repaint(target, button);
    benchmark::DoNotOptimize(window.data());
  }
  Goal(state, start, 50e-6, "goal < 50 us CPU");
}
BENCHMARK(BM_RepaintButton)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvida
