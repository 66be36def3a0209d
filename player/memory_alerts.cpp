#include "player/memory_alerts.h"

#include "base/strings.h"

namespace corvida {

void MemoryAlerts::TableCannotGrow() {
  presenter_.ShowMessageBox("", LoadLocalizedString(strid::kMemRefsFull), AlertIcon::kNone);
}

void MemoryAlerts::SystemMemoryExhausted() {
  presenter_.ShowMessageBox(LoadLocalizedString(strid::kErrorTitle),
                            LoadLocalizedString(strid::kOutOfRam), AlertIcon::kStop);
}

}  // namespace corvida
