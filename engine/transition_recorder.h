// A transition screen that records what each step did: the rectangles copied, the clock
// when the step was shown and, when asked, the frame it showed. Tests check step counts,
// order, coverage and pacing with it; replays use it to shoot a frame mid-transition.
#pragma once

#include <functional>
#include <vector>

#include "engine/transition_screen.h"

namespace corvida {

class RecordingTransitionScreen : public BitmapTransitionScreen {
 public:
  struct StepRecord {
    int number = 0;  // 1-based within the run of `total` steps that produced it
    int total = 0;
    uint32_t ms = 0;           // clock when the step was shown, before its wait
    std::vector<Rect> copies;  // rectangles copied to the screen, in order
    bool palette_changed = false;
  };

  using BitmapTransitionScreen::BitmapTransitionScreen;

  void Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) override;
  void SetPalette(const gfx::Palette& palette) override;
  void StepDone(int step, int total) override;
  void Finished() override;

  // Keeps a copy of the shown bitmap (with its palette) after every step.
  void KeepFrames(bool keep) { keep_frames_ = keep; }
  // Called after each step with its record and the bitmap as shown then.
  void SetStepObserver(std::function<void(const StepRecord&, const gfx::Bitmap&)> observer) {
    observer_ = std::move(observer);
  }

  const std::vector<StepRecord>& steps() const { return steps_; }
  const std::vector<gfx::Bitmap>& frames() const { return frames_; }
  // Copies made after the last step, when the transition ended.
  const std::vector<Rect>& final_copies() const { return final_copies_; }
  int finished_count() const { return finished_; }
  void Reset();

 private:
  StepRecord pending_;
  std::vector<StepRecord> steps_;
  std::vector<gfx::Bitmap> frames_;
  std::vector<Rect> final_copies_;
  std::function<void(const StepRecord&, const gfx::Bitmap&)> observer_;
  bool keep_frames_ = false;
  int finished_ = 0;
};

}  // namespace corvida
