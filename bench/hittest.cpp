// Hit testing on a card with 200 objects (buttons of every drawn style, text fields and
// graphics, some with masks, overlapping): the topmost object under each point of a grid
// over the card. Beside it, in the same run, the plainest test there can be: the last of
// 200 rectangles holding the point. Goal: a hit test under 20 us, so that mouse moves
// cost nothing a user can see; the ratio to the rectangle scan is reported.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "engine/hittest.h"
#include "engine/render.h"
#include "platform/headless/headless.h"
#include "stackfile/records_build.h"
#include "stackfile/stack.h"

namespace corvida {
namespace {

constexpr int kWidth = 640, kHeight = 480, kObjects = 200;

RecordBytes MaskedGraphic(uint16_t id, Rect r) {
  RecordBytes g = NewObject(object::kGraphic, id, r, 0, kGraphicRecordSize);
  const int w = r.right - r.left, h = r.bottom - r.top, row = (w + 15) / 16 * 2;
  RecordBytes mask = {uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, 0, 0, 0};
  Put16(mask.data(), uint16_t(w));
  Put16(mask.data() + 2, uint16_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < row; ++x) mask.push_back(uint8_t(y % 3 ? 0xF0 : 0x3C));
  g.insert(g.end(), mask.begin(), mask.end());
  Put16(g.data() + graphic::kGraphicFlags, graphic::kFlagMask);
  Put32(g.data() + graphic::kMaskLength, uint32_t(mask.size()));
  Put32(g.data() + object::kLength, uint32_t(g.size()));
  return g;
}

struct Card200 {
  Card200() {
    folders.temp = "/tmp";
    platform = std::make_unique<HeadlessPlatform>(folders);
    stack.CreateNew(kWidth, kHeight, 8);
    RecordBytes bg = NewCardRecord(1, card::kKindBackground, 0);
    RecordBytes c = NewCardRecord(2, card::kKindShared, 1);
    for (int i = 0; i < kObjects; ++i) {
      // A 20 x 10 grid of overlapping objects, 40 x 60 each.
      int x = (i % 20) * 31, y = (i / 20) * 46;
      Rect r{int16_t(x), int16_t(y), int16_t(x + 40), int16_t(y + 60)};
      uint16_t id = uint16_t(i + 1);
      if (i % 10 == 9) {
        AppendObject(c, MaskedGraphic(id, r));
      } else if (i % 10 == 8) {
        AppendObject(c, NewObject(object::kTextField, id, r, 0, kTextFieldRecordSize));
      } else {
        RecordBytes b = NewObject(object::kButton, id, r, 0, kButtonRecordSize);
        Put16(b.data() + button::kStyle, uint16_t(i % 5));
        AppendObject(c, b);
      }
    }
    card = HandleFromBytes(handles, c);
    if (!stack.AddCard(HandleFromBytes(handles, bg), 0) || !stack.AddCard(card, 1)) std::abort();
    RenderServices services;
    services.fonts = platform->fonts();
    view = std::make_unique<CardView>(handles, stack, services);
    view->BuildDisplayList(card);
    for (int y = 1; y < kHeight; y += 7)
      for (int x = 1; x < kWidth; x += 7) points.push_back({int16_t(x), int16_t(y)});
  }

  Folders folders;
  std::unique_ptr<HeadlessPlatform> platform;
  Handles handles;
  Stack stack{handles};
  std::unique_ptr<CardView> view;
  Handle card = 0;
  std::vector<Point> points;
};

// The last rectangle holding the point: what no hit test can beat.
const DisplayItem* LastRect(const DisplayList& list, Point p) {
  const DisplayItem* hit = nullptr;
  for (const auto& item : list) {
    const Rect& r = item->rect;
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) hit = item.get();
  }
  return hit;
}

template <typename Test>
double SecondsPerPoint(const Card200& card, Test test, int& hits) {
  hits = 0;
  auto start = std::chrono::steady_clock::now();
  for (Point p : card.points) {
    const DisplayItem* hit = test(p);
    benchmark::DoNotOptimize(hit);
    hits += hit != nullptr;
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
         double(card.points.size());
}

void BM_HitTest200Objects(benchmark::State& state) {
  Card200 card;
  const DisplayList& list = card.view->display_list();
  int hits = 0, rect_hits = 0;
  double per_point = 0, per_rect_scan = 0;
  for (auto _ : state) {
    per_point = SecondsPerPoint(
        card, [&](Point p) { return HitTest(list, p, true); }, hits);
    per_rect_scan = SecondsPerPoint(
        card, [&](Point p) { return LastRect(list, p); }, rect_hits);
  }
  state.counters["objects"] = double(list.size());
  state.counters["points"] = double(card.points.size());
  state.counters["hits"] = hits;
  state.counters["hit_test_us"] = per_point * 1e6;
  state.counters["x_rect_scan"] = per_point / per_rect_scan;
  state.SetLabel(per_point < 20e-6 ? "goal < 20 us per hit test: met"
                                   : "goal < 20 us per hit test: NOT met");
}
BENCHMARK(BM_HitTest200Objects)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvida
