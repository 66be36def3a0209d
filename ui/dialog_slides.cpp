#include "ui/dialog_slides.h"

#include <string>

namespace corvida {

Dialog MakeSlideShowDialog(const SlideShowChoice& now) {
  Dialog dialog("Slide Show", {250, 100});
  dialog.Add(StaticText(-1, {8, 12, 110, 28}, "&Each card for:"));
  dialog.Add(EditField(kSlideSecondsField, {112, 8, 160, 30}, 4, std::to_string(now.seconds)));
  dialog.Add(StaticText(-1, {166, 12, 242, 28}, "seconds"));
  dialog.Add(CheckBox(kSlideLoopBox, {8, 38, 120, 54}, "&Loop", now.loop));
  dialog.Add(CheckBox(kSlideFirstBox, {120, 38, 242, 54}, "From the &first card", now.from_first));
  dialog.Add(Button(kIdOk, {82, 70, 157, 93}, "OK"));
  dialog.Add(Button(kIdCancel, {167, 70, 242, 93}, "Cancel"));
  dialog.SetFocus(kSlideSecondsField);
  dialog.OnCommand([](Dialog& d, int id) {
    if (id != kIdOk) return false;
    if (ReadSlideShowDialog(d)) d.End(kIdOk);
    return true;
  });
  return dialog;
}

std::optional<SlideShowChoice> ReadSlideShowDialog(const Dialog& dialog) {
  const std::string text = dialog.Text(kSlideSecondsField);
  int seconds = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || seconds > SlideShowChoice::kMaxSeconds) return std::nullopt;
    seconds = seconds * 10 + (c - '0');
  }
  if (seconds < 1 || seconds > SlideShowChoice::kMaxSeconds) return std::nullopt;
  return SlideShowChoice{seconds, dialog.Checked(kSlideLoopBox), dialog.Checked(kSlideFirstBox)};
}

}  // namespace corvida
