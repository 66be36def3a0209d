// What the user sees when memory runs out. The handle manager only reports the two
// failures a user is told of; here they become the player's message boxes.
#pragma once

#include "base/handles.h"
#include "platform/dialogs.h"

namespace corvida {

class MemoryAlerts : public MemoryFailureListener {
 public:
  explicit MemoryAlerts(AlertPresenter& presenter) : presenter_(presenter) {}
  // "Couldn't resize MemRefs" in a plain box without title.
  void TableCannotGrow() override;
  // "Corvida has run out of RAM memory", titled "Corvida Error", with the stop icon.
  void SystemMemoryExhausted() override;

 private:
  AlertPresenter& presenter_;
};

}  // namespace corvida
