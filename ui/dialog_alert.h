// The player's alerts drawn inside its window: the alert dialog with the icon area
// (control 50), the message (51) and up to three buttons (52, 53, 54; 52 is the first
// label and stands rightmost), laid out by LayoutAlert.
#pragma once

#include "ui/alerts.h"
#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kAlertIconControl = 50;
inline constexpr int kAlertMessageControl = 51;

// Builds the alert dialog for a request made by the alert layer.
Dialog MakeAlertDialog(const AlertRequest& request, const AlertMetrics& metrics = {});

class InWindowAlertPresenter : public AlertPresenter {
 public:
  explicit InWindowAlertPresenter(DialogHost& host) : host_(host) {}
  int ShowAlert(const AlertRequest& request) override;
  void ShowMessageBox(const std::string& title, const std::string& text, AlertIcon icon) override;

 private:
  DialogHost& host_;
};

}  // namespace corvida
