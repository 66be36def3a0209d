// The Slide Show dialog: how many seconds each card stays, whether the show starts again
// after the last card, and whether it starts from the first card or the one shown.
#pragma once

#include <optional>

#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kSlideSecondsField = 130;
inline constexpr int kSlideLoopBox = 131;
inline constexpr int kSlideFirstBox = 132;

struct SlideShowChoice {
  static constexpr int kMaxSeconds = 3600;
  int seconds = 5;
  bool loop = false;
  bool from_first = true;
};

// The dialog over a choice, its seconds field focused. OK ends it only with a valid
// choice (ReadSlideShowDialog); otherwise it stays open.
Dialog MakeSlideShowDialog(const SlideShowChoice& now);

// What the dialog holds: whole seconds from 1 to an hour, else nothing.
std::optional<SlideShowChoice> ReadSlideShowDialog(const Dialog& dialog);

}  // namespace corvida
