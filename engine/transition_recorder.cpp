#include "engine/transition_recorder.h"

namespace corvida {

void RecordingTransitionScreen::Copy(const Rect& r, const gfx::Bitmap& source, Point source_at) {
  const Rect shown_part = r.Intersect(shown().Bounds());
  if (!shown_part.Empty()) pending_.copies.push_back(shown_part);
  BitmapTransitionScreen::Copy(r, source, source_at);
}

void RecordingTransitionScreen::SetPalette(const gfx::Palette& palette) {
  pending_.palette_changed = true;
  BitmapTransitionScreen::SetPalette(palette);
}

void RecordingTransitionScreen::StepDone(int step, int total) {
  pending_.number = step;
  pending_.total = total;
  pending_.ms = Now();
  steps_.push_back(std::move(pending_));
  pending_ = {};
  if (keep_frames_) frames_.push_back(shown());
  if (observer_) observer_(steps_.back(), shown());
}

void RecordingTransitionScreen::Finished() {
  final_copies_.insert(final_copies_.end(), pending_.copies.begin(), pending_.copies.end());
  pending_ = {};
  ++finished_;
  BitmapTransitionScreen::Finished();
}

void RecordingTransitionScreen::Reset() {
  pending_ = {};
  steps_.clear();
  frames_.clear();
  final_copies_.clear();
  finished_ = 0;
}

}  // namespace corvida
