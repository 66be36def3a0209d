// A card-sized screen on the headless virtual clock showing an "old" picture, and a
// "new" image whose every pixel differs from the old one, for transition tests.
#pragma once

#include <memory>
#include <optional>

#include "engine/transition.h"
#include "engine/transition_recorder.h"
#include "platform/headless/headless.h"

namespace corvida::testing {

inline constexpr uint32_t kOldPixel = 1;

class TransitionRig {
 public:
  // Without `fill` both pictures stay zero (for huge cards).
  TransitionRig(int width, int height, int depth, int screen_depth = 0, bool fill = true)
      : platform_(Folders{}) {
    shown_.Create(width, height, screen_depth ? screen_depth : depth);
    image_.Create(width, height, depth);
    if (shown_.indexed()) shown_.palette = gfx::Palette::Grey(8);
    if (image_.indexed()) {
      image_.palette = gfx::Palette::Grey(8);
      for (int i = 0; i < 256; ++i) image_.palette.Set(i, {uint8_t(255 - i), uint8_t(i), 40});
    }
    for (int y = 0; fill && y < height; ++y)
      for (int x = 0; x < width; ++x) {
        shown_.Set(x, y, kOldPixel);
        image_.Set(x, y, NewPixel(x, y));
      }
    screen_ = std::make_unique<RecordingTransitionScreen>(shown_, platform_.headless_windows(),
                                                          platform_.virtual_clock());
  }

  // Never kOldPixel, and different for neighbours.
  uint32_t NewPixel(int x, int y) const {
    const uint32_t v = uint32_t(x * 7 + y * 13) % 250 + 2;
    return image_.depth() == 32 ? v * 0x010203 : v & ((1u << std::min(image_.depth(), 8)) - 1);
  }

  void Run(int id, int speed = 8, std::optional<Rect> target = std::nullopt,
           bool full_card = true) {
    start_ms_ = clock().Milliseconds();
    RunTransition(state_, *screen_, image_, id, speed, target, full_card);
  }
  uint32_t ElapsedMs() { return clock().Milliseconds() - start_ms_; }

  bool ShowsNew(int x, int y) const { return shown_.Get(x, y) == image_.Get(x, y); }
  bool ShowsOld(int x, int y) const { return shown_.Get(x, y) == kOldPixel; }
  // Pixels of r showing the new image in a frame.
  long CountNew(const gfx::Bitmap& frame, const Rect& r) const {
    long n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += frame.Get(x, y) == image_.Get(x, y);
    return n;
  }

  VirtualClock& clock() { return platform_.virtual_clock(); }
  HeadlessWindowSystem& windows() { return platform_.headless_windows(); }
  RecordingTransitionScreen& screen() { return *screen_; }
  TransitionState& state() { return state_; }
  gfx::Bitmap& shown() { return shown_; }
  gfx::Bitmap& image() { return image_; }

 private:
  HeadlessPlatform platform_;
  gfx::Bitmap shown_;
  gfx::Bitmap image_;
  std::unique_ptr<RecordingTransitionScreen> screen_;
  TransitionState state_;
  uint32_t start_ms_ = 0;
};

}  // namespace corvida::testing
