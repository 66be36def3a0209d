// A click through the whole player: the press and release reach the player window, hit
// testing finds the button, the executor runs its move to the next card with the instant
// transition, and the card is composed and copied to the window. Beside it, in the same
// run, composing the same cards alone (ShowCard without a screen). Cards share one
// background (its picture decoded once) or each has a picture of its own, decoded at
// every change (the store of decoded pictures emptied before each click).
// Goal: a click under 16.7 ms (within one frame at 60 Hz); the ratio to composing says
// what the path through the player adds.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/bench_player.h"

namespace corvida::bench {
namespace {

constexpr int kCards = 20;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ClickToNextCard(benchmark::State& state) {
  const bool own_pictures = state.range(0) != 0;
  ScratchFolder scratch;
  StackShape shape;
  shape.cards = kCards;
  shape.pictures = own_pictures;
  const std::string path = scratch.File("click.stk");
  if (!WriteStack(path, shape)) return state.SkipWithError("the stack could not be written");
  PlayerRig rig(scratch);
  if (!rig.Open(path)) return state.SkipWithError("the stack did not open");
  CardView& view = rig.window->view();

  int clicks = 0, moved = 0;
  double click_seconds = 0, compose_seconds = 0;
  for (auto _ : state) {
    for (int i = 0; i < kCards; ++i) {
      uint16_t before = rig.CardId();
      if (own_pictures) view.stack_pictures().Clear();
      auto start = std::chrono::steady_clock::now();
      rig.Click(50, 40);
      click_seconds += Seconds(start);
      moved += rig.CardId() != before;
      ++clicks;
      // The same card composed again, without the player around it.
      if (own_pictures) view.stack_pictures().Clear();
      start = std::chrono::steady_clock::now();
      view.ShowCard(view.current_card(), 0, 8, false, nullptr);
      compose_seconds += Seconds(start);
    }
  }
  const double per_click = click_seconds / clicks;
  state.counters["click_ms"] = per_click * 1e3;
  state.counters["compose_ms"] = compose_seconds / clicks * 1e3;
  state.counters["x_compose"] = click_seconds / compose_seconds;
  state.counters["cards_changed"] = double(moved) / clicks;
  state.SetLabel(per_click < 1 / 60.0 ? "goal < 16.7 ms a click: met"
                                      : "goal < 16.7 ms a click: NOT met");
}
// 0: cards sharing a background; 1: every card its own picture.
BENCHMARK(BM_ClickToNextCard)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvida::bench
