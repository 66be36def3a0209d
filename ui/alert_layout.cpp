// Parsing alert strings and laying out the alert dialog: a pure function of the string,
// the icon flag and the system's measures.
#include <algorithm>

#include "ui/alerts.h"

namespace corvida {

namespace {

constexpr Size kSizeClasses[10] = {{400, 130}, {250, 100}, {280, 120}, {320, 130}, {360, 130},
                                   {400, 180}, {480, 140}, {470, 120}, {490, 210}, {490, 220}};

int DigitOrZero(char c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

}  // namespace

bool ParseAlertString(std::string_view text, AlertSpec& out) {
  out = AlertSpec{};
  if (text.size() < 2) return false;
  out.size_class = DigitOrZero(text[0]);
  out.icon_digit = DigitOrZero(text[1]);
  if (out.icon_digit == 2) out.icon_digit = 4;
  std::string_view rest = text.substr(2);
  size_t tilde = rest.find('~');
  out.message = std::string(rest.substr(0, tilde));
  bool have_default = false;
  while (tilde != std::string_view::npos && out.buttons.size() < 3) {
    rest = rest.substr(tilde + 1);
    tilde = rest.find('~');
    std::string_view label = rest.substr(0, tilde);
    if (!label.empty() && label[0] == '^') {
      label.remove_prefix(1);
      if (!have_default) out.default_button = static_cast<int>(out.buttons.size());
      have_default = true;
    }
    out.buttons.emplace_back(label);
  }
  return !out.buttons.empty();
}

AlertIcon IconForDigit(int icon_digit) {
  switch (icon_digit) {
    case 1:
      return AlertIcon::kStop;
    case 3:
      return AlertIcon::kExclamation;
    case 2:
    case 4:
      return AlertIcon::kMascot;
    default:
      return AlertIcon::kNone;
  }
}

Size SizeClassDimensions(int size_class) {
  return kSizeClasses[size_class >= 0 && size_class <= 9 ? size_class : 0];
}

AlertLayout LayoutAlert(const AlertSpec& spec, bool with_icon, const AlertMetrics& m) {
  AlertLayout layout;
  const int edge = m.frame_width + m.border_width;
  std::vector<int> widths;
  int minimum = 2 * edge - 7;
  for (const std::string& label : spec.buttons) {
    const int fitted = m.base_unit_width * static_cast<int>(label.size()) + 24;
    widths.push_back(std::max(m.default_button_width, fitted));
    minimum += widths.back() + 15;
  }
  const Size size_class = SizeClassDimensions(spec.size_class);
  layout.dialog = {std::max(minimum, size_class.width), size_class.height};
  layout.client = {layout.dialog.width - 2 * edge,
                   layout.dialog.height - m.caption_height - 2 * edge};

  const AlertIcon icon = IconForDigit(spec.icon_digit);
  if (with_icon && icon != AlertIcon::kNone) {
    const Size s = icon == AlertIcon::kMascot
                       ? Size{m.mascot_bitmap.width / 2, m.mascot_bitmap.height}
                       : Size{m.system_icon_size, m.system_icon_size};
    layout.icon = {4, 4, 4 + s.width, 4 + s.height};
  }
  const int message_left = layout.icon.Empty() ? 4 : layout.icon.Width() + 12;
  const int message_height = std::max(0, layout.client.height - m.button_height - 20);
  layout.message = {message_left, 12, layout.client.width - 4, 12 + message_height};

  // From the right: button 52 ends 4 pixels from the edge, each next one 15 to its left.
  int right = layout.client.width - 4;
  const int bottom = layout.client.height - 4;
  for (int width : widths) {
    layout.buttons.push_back({right - width, bottom - m.button_height, right, bottom});
    right -= width + 15;
  }
  return layout;
}

std::string FormatSizeMessage(std::string_view message, int width, int height) {
  std::string out;
  int filled = 0;
  for (size_t i = 0; i < message.size(); ++i) {
    if (filled < 2 && message[i] == '%' && i + 1 < message.size() && message[i + 1] == 'd') {
      out += std::to_string(filled++ == 0 ? width : height);
      ++i;
    } else {
      out += message[i];
    }
  }
  return out;
}

}  // namespace corvida
