#include "ui/dialog_alert.h"

namespace corvida {
namespace {

int IconDigit(AlertIcon icon) {
  switch (icon) {
    case AlertIcon::kStop:
      return 1;
    case AlertIcon::kExclamation:
      return 3;
    case AlertIcon::kMascot:
      return 4;
    default:
      return 0;
  }
}

// The request carries the finished dialog size; the size class that gives it is found
// again so the controls stand where the layout puts them.
AlertLayout LayoutFor(const AlertRequest& request, const AlertMetrics& metrics) {
  AlertSpec spec;
  spec.icon_digit = IconDigit(request.icon);
  spec.buttons = request.buttons;
  spec.default_button = request.default_button;
  const bool with_icon = request.icon != AlertIcon::kNone;
  AlertLayout layout = LayoutAlert(spec, with_icon, metrics);
  for (int size_class = 0; size_class <= 9; ++size_class) {
    spec.size_class = size_class;
    AlertLayout candidate = LayoutAlert(spec, with_icon, metrics);
    if (candidate.dialog.width == request.size.width &&
        candidate.dialog.height == request.size.height)
      return candidate;
  }
  return layout;
}

}  // namespace

Dialog MakeAlertDialog(const AlertRequest& request, const AlertMetrics& metrics) {
  const AlertLayout layout = LayoutFor(request, metrics);
  Dialog dialog("", layout.client);
  if (!layout.icon.Empty()) dialog.Add(IconArea(kAlertIconControl, layout.icon, request.icon));
  dialog.Add(StaticText(kAlertMessageControl, layout.message, request.text)).plain = true;
  // Tab order follows the labels: the first (rightmost) button first.
  for (size_t i = 0; i < layout.buttons.size() && i < 3; ++i)
    dialog.Add(Button(kFirstButton + int(i), layout.buttons[i], request.buttons[i]));
  const int default_id = kFirstButton + std::max(0, request.default_button);
  dialog.SetDefault(default_id);
  dialog.SetFocus(default_id);
  // Escape (and closing) chooses the question's cancel button; elsewhere it means
  // "dismiss" only where there is nothing to choose.
  const int count = static_cast<int>(request.buttons.size());
  if (request.cancel_button >= 0 && request.cancel_button < count)
    dialog.SetCancel(kFirstButton + request.cancel_button);
  else
    dialog.SetCancel(count == 1 ? kFirstButton : 0);
  return dialog;
}

int InWindowAlertPresenter::ShowAlert(const AlertRequest& request) {
  if (request.buttons.empty()) return 0;
  Dialog dialog = MakeAlertDialog(request);
  const int chosen = RunDialog(host_, dialog) - kFirstButton;
  if (chosen >= 0 && chosen < int(request.buttons.size())) return chosen;
  const int unanswered = UnansweredChoice(request);
  return unanswered >= 0 && unanswered < int(request.buttons.size()) ? unanswered : 0;
}

void InWindowAlertPresenter::ShowMessageBox(const std::string& title, const std::string& text,
                                            AlertIcon icon) {
  AlertRequest request;
  request.text = text;
  request.buttons = {"OK"};
  request.icon = icon;
  AlertSpec spec;
  spec.buttons = request.buttons;
  request.size = LayoutAlert(spec, icon != AlertIcon::kNone).dialog;
  Dialog dialog = MakeAlertDialog(request);
  dialog.SetTitle(title);
  RunDialog(host_, dialog);
}

}  // namespace corvida
