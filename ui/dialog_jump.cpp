#include "ui/dialog_jump.h"

namespace corvida {

Dialog MakeJumpToCardDialog() {
  Dialog dialog("Jump to card", {220, 70});
  dialog.Add(StaticText(-1, {8, 12, 96, 28}, "&Jump to card:"));
  dialog.Add(EditField(kJumpField, {98, 8, 212, 30}, kJumpTextLimit));
  dialog.Add(Button(kIdOk, {52, 40, 127, 63}, "OK"));
  dialog.Add(Button(kIdCancel, {137, 40, 212, 63}, "Cancel"));
  dialog.SetFocus(kJumpField);
  return dialog;
}

}  // namespace corvida
