#include "player/memory_alerts.h"

#include "base/strings.h"

namespace corvida {

namespace {

constexpr int kTableFullString = 4067;
constexpr int kOutOfMemoryString = 4134;
constexpr int kErrorTitleString = 4132;

}  // namespace

void MemoryAlerts::TableCannotGrow() {
  presenter_.ShowMessageBox("", LoadLocalizedString(kTableFullString), AlertIcon::kNone);
}

void MemoryAlerts::SystemMemoryExhausted() {
  presenter_.ShowMessageBox(LoadLocalizedString(kErrorTitleString),
                            LoadLocalizedString(kOutOfMemoryString), AlertIcon::kStop);
}

}  // namespace corvida
