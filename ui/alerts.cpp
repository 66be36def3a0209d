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

// A name as alerts show it: nothing in it can act as alert syntax or move the text.
std::string ShownName(std::string_view name) {
  std::string out;
  for (char c : name.substr(0, kMaxShownName)) {
    const auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F || c == '~' || c == '^' ? '?' : c;
  }
  if (name.size() > kMaxShownName) out += "...";
  return out;
}

}  // namespace

std::string FillNames(std::string_view message, const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < message.size(); ++i) {
    const size_t index = i + 1 < message.size() && message[i] == '%' && message[i + 1] >= '1' &&
                                 message[i + 1] <= '9'
                             ? static_cast<size_t>(message[i + 1] - '1')
                             : names.size();
    if (index < names.size()) {
      out += ShownName(names[index]);
      ++i;
    } else {
      out += message[i];
    }
  }
  return out;
}

bool Alerts::ShownOnce(int id) const {
  return std::find(once_only_shown_.begin(), once_only_shown_.end(), id) != once_only_shown_.end();
}

bool Alerts::RememberOnce(int id) {
  if (ShownOnce(id)) return false;
  // A full list records no more: later once-only alerts show every time.
  if (once_only_shown_.size() < size_t{kOnceOnlyCapacity}) once_only_shown_.push_back(id);
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
  return Present(window, id, spec, with_icon);
}

int Alerts::AskWithNames(int id, const std::vector<std::string>& names, int cancel_button) {
  AlertSpec spec;
  if (!ParseAlertString(LoadLocalizedString(id), spec)) return 1;
  spec.message = FillNames(spec.message, names);
  spec.cancel_button = std::clamp(cancel_button, 0, static_cast<int>(spec.buttons.size()) - 1);
  return Present(0, id, spec, true) - (kFirstButton - 1);
}

int Alerts::Present(WindowId window, int id, const AlertSpec& spec, bool with_icon) {
  const AlertLayout layout = LayoutAlert(spec, with_icon, metrics_);
  AlertRequest request;
  request.id = id;
  request.text = spec.message;
  request.buttons = spec.buttons;
  request.default_button = spec.default_button;
  request.cancel_button = spec.cancel_button;
  request.icon = with_icon ? IconForDigit(spec.icon_digit) : AlertIcon::kNone;
  request.size = layout.dialog;
  request.owner = window != 0 ? window : player_window_;
  const int chosen = presenter_.ShowAlert(request);
  // A presenter answering outside the buttons made no choice: the cancel button answers
  // where there is one, else the first.
  if (chosen < 0 || chosen >= static_cast<int>(spec.buttons.size()))
    return kFirstButton + std::max(spec.cancel_button, 0);
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
