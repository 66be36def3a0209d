#include "ui/alerts.h"

#include <algorithm>

#include "base/strings.h"

namespace corvida {

namespace {

// Error codes whose alert has the code's own number; -2688 shows 2693's text.
bool IsMappedFileError(int code) {
  return (code >= 2680 && code <= 2687) || code == 2689 || (code >= 2691 && code <= 2694) ||
         code == -2688;
}

}  // namespace

Alerts::~Alerts() {
  handles_.Dispose(once_list_);
}

bool Alerts::ShownOnce(int id) const {
  const uint8_t* p = once_list_ ? handles_.GetBlock(once_list_)->data + 4 : nullptr;
  for (int i = 0; p && i < once_count_; ++i) {
    const uint8_t* e = p + 4 * i;
    const auto stored =
        static_cast<int32_t>(e[0] | e[1] << 8 | e[2] << 16 | static_cast<uint32_t>(e[3]) << 24);
    if (stored == id) return true;
  }
  return false;
}

bool Alerts::RememberOnce(int id) {
  if (ShownOnce(id)) return false;
  if (once_list_ == 0) once_list_ = handles_.New(4 * kOnceOnlyCapacity);
  if (once_list_ == 0 || once_count_ >= kOnceOnlyCapacity) return true;  // full: not recorded
  LockedHandle list(handles_, once_list_);
  uint8_t* e = list.data() + 4 * once_count_++;
  const auto v = static_cast<uint32_t>(id);
  e[0] = static_cast<uint8_t>(v);
  e[1] = static_cast<uint8_t>(v >> 8);
  e[2] = static_cast<uint8_t>(v >> 16);
  e[3] = static_cast<uint8_t>(v >> 24);
  return true;
}

int Alerts::ShowAlertEx(WindowId window, int id, bool once_only, bool force, bool with_icon) {
  if (!force) {
    if (advanced_user_) return kFirstButton;
    if (once_only && !RememberOnce(id)) return kFirstButton;
  }
  std::string text = id == 0 ? current_message_ : LoadLocalizedString(id);
  AlertSpec spec;
  if (!ParseAlertString(text, spec)) return kFirstButton;
  if (id == strid::kMinimumWindowSize || id == strid::kStackCardTooSmall) {
    spec.message = FormatSizeMessage(spec.message, std::max(40, minimum_window_.width),
                                     std::max(40, minimum_window_.height));
  }
  const AlertLayout layout = LayoutAlert(spec, with_icon, metrics_);
  AlertRequest request;
  request.id = id;
  request.text = spec.message;
  request.buttons = spec.buttons;
  request.default_button = spec.default_button;
  request.icon = with_icon ? IconForDigit(spec.icon_digit) : AlertIcon::kNone;
  request.size = layout.dialog;
  request.owner = window != 0 ? window : player_window_;
  const int chosen = presenter_.ShowAlert(request);
  // A presenter answering outside the buttons counts as the first button.
  if (chosen < 0 || chosen >= static_cast<int>(spec.buttons.size())) return kFirstButton;
  return kFirstButton + chosen;
}

int Alerts::AlertOver(WindowId window, int id) {
  return ShowAlertEx(window, id, false, true, true) - (kFirstButton - 1);
}

int Alerts::Alert(int id) {
  return AlertOver(0, id);
}

void Alerts::ReportFileError(int code) {
  if (code == 0 || code == -12) return;
  if (IsMappedFileError(code)) {
    auto text = FindString(code == -2688 ? strid::kNoAccessToChange : code);
    if (text) {
      current_message_ = std::string(*text);
      Alert(0);
      return;
    }
  }
  Alert(strid::kGenericError);
}

}  // namespace corvida
