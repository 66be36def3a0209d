// Exporting a stack: every part (card images, text, scripts, sounds, media, site) of a
// 500-card stack whose cards each hold a named button with a script, a styled field and
// a graphic, against the same stack of 62 cards. Reports the cost per card, its ratio
// between the two sizes (1 is linear), and the ratio of a card's export to drawing the
// card once (what an export adds to rendering). Goal: per-card ratio below 1.5.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <filesystem>

#include "apps/build_session.h"
#include "apps/build_stack.h"
#include "apps/export_job.h"

namespace corvida::app {
namespace {

constexpr int kLarge = 500;
constexpr int kSmall = kLarge / 8;

nlohmann::json Description(int cards) {
  nlohmann::json d = {{"stack", {{"width", 512}, {"height", 342}}}};
  for (int n = 1; n <= cards; ++n) {
    d["cards"].push_back(
        {{"id", n},
         {"name", "Card " + std::to_string(n)},
         {"objects",
          {{{"type", "button"},
            {"id", 1000 + n},
            {"rect", {10, 10, 110, 40}},
            {"name", "Next"},
            {"destination", -1},
            {"actions", {{{"kind", "script"}, {"text", "repeat 4 [fd 10 rt 90]\n"}}}}},
           {{"type", "field"},
            {"id", 2000 + n},
            {"rect", {10, 60, 400, 300}},
            {"name", "Notes"},
            {"text", "The text of card " + std::to_string(n) + "\nwith a second paragraph."},
            {"styles", {{{"start", 0}, {"style", 1}}, {{"start", 4}, {"size", 14}}}}},
           {{"type", "graphic"},
            {"id", 3000 + n},
            {"rect", {420, 10, 500, 90}},
            {"path", "Disk:picture.bmp"}}}}});
  }
  return d;
}

std::string MakeStack(const std::filesystem::path& folder, int cards) {
  StackSession session;
  const std::string error =
      BuildStack(Description(cards), folder.string(), session.stack(), session.handles());
  if (!error.empty()) std::fprintf(stderr, "bench: %s\n", error.c_str());
  const std::string path = (folder / ("s" + std::to_string(cards) + ".stk")).string();
  session.Save(path, false);
  return path;
}

// Seconds per card of a whole export into a fresh folder.
double SecondsPerCard(const std::string& stack, const std::filesystem::path& out, int cards) {
  std::filesystem::remove_all(out);
  const auto start = std::chrono::steady_clock::now();
  StackImages images;
  images.Open(stack);
  ExportOutput output(out.string());
  output.Prepare();
  ExportProgress progress;
  ExportJob job(images, stack, {}, output, progress);
  for (void (*part)(ExportJob&) : {ExportSounds, ExportIcons, ExportGraphics, ExportFieldTexts,
                                   ExportScripts, ExportMedia, ExportCardImages, ExportSite})
    part(job);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return took.count() / cards;
}

double SecondsToDrawOneCard(const std::string& stack) {
  StackImages images;
  images.Open(stack);
  gfx::Bitmap image;
  constexpr int kDraws = 20;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kDraws; ++i) images.RenderCard(1 + i % images.CardCount(), true, image);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return took.count() / kDraws;
}

void BM_ExportPerCard(benchmark::State& state) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("corvida-bench-export-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string large = MakeStack(folder, kLarge), small = MakeStack(folder, kSmall);
  double per_large = 0, per_small = 0, draw = 0;
  for (auto _ : state) {
    per_small = SecondsPerCard(small, folder / "out", kSmall);
    per_large = SecondsPerCard(large, folder / "out", kLarge);
    draw = SecondsToDrawOneCard(large);
  }
  std::filesystem::remove_all(folder);
  state.counters["ms_per_card"] = per_large * 1000;
  state.counters["per_card_ratio"] = per_large / per_small;
  state.counters["card_export_to_draw"] = per_large / draw;
}

}  // namespace
}  // namespace corvida::app

BENCHMARK(corvida::app::BM_ExportPerCard)->Unit(benchmark::kMillisecond)->Iterations(1);
