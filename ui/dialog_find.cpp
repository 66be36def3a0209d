#include "ui/dialog_find.h"

#include <array>

namespace corvida {

namespace {

// The three field choices behave as radio buttons: choosing one clears the others, and
// one always stays chosen.
constexpr std::array<int, 3> kFieldChoices{kFindAllFields, kFindEditableFields,
                                           kFindReadOnlyFields};

bool IsFieldChoice(int id) {
  return id == kFindAllFields || id == kFindEditableFields || id == kFindReadOnlyFields;
}

}  // namespace

Dialog MakeFindTextDialog(const FindState& state) {
  Dialog dialog("Find text", {300, 136});
  dialog.Add(StaticText(-1, {8, 12, 60, 28}, "&Find:"));
  dialog.Add(EditField(kFindTextField, {62, 8, 292, 30}, kFindTextLimit, state.text));
  dialog.Add(CheckBox(kFindCaseBox, {8, 40, 150, 58}, "&Case Sensitive",
                      state.flags & findflag::kCaseSensitive));
  dialog.Add(CheckBox(kFindWrapBox, {8, 62, 150, 80}, "&Wrap around search",
                      state.flags & findflag::kWrap));
  const int chosen = (state.flags & findflag::kAllFields)  ? kFindAllFields
                     : (state.flags & findflag::kEditable) ? kFindEditableFields
                                                           : kFindReadOnlyFields;
  dialog.Add(CheckBox(kFindAllFields, {160, 40, 292, 58}, "&All fields", chosen == kFindAllFields));
  dialog.Add(CheckBox(kFindEditableFields, {160, 62, 292, 80}, "&Editable fields",
                      chosen == kFindEditableFields));
  dialog.Add(CheckBox(kFindReadOnlyFields, {160, 84, 292, 102}, "&Read-only fields",
                      chosen == kFindReadOnlyFields));
  dialog.Add(Button(kIdOk, {132, 108, 207, 131}, "OK"));
  dialog.Add(Button(kIdCancel, {217, 108, 292, 131}, "Cancel"));
  dialog.SetFocus(kFindTextField);
  return dialog;
}

uint16_t FindFlagsOf(const Dialog& dialog) {
  uint16_t flags = 0;
  if (dialog.Checked(kFindCaseBox)) flags |= findflag::kCaseSensitive;
  if (dialog.Checked(kFindWrapBox)) flags |= findflag::kWrap;
  if (dialog.Checked(kFindAllFields)) flags |= findflag::kAllFields;
  if (dialog.Checked(kFindEditableFields)) flags |= findflag::kEditable;
  if (dialog.Checked(kFindReadOnlyFields)) flags |= findflag::kReadOnly;
  return flags;
}

bool RunFindTextDialog(DialogHost& host, FindState& state) {
  Dialog dialog = MakeFindTextDialog(state);
  dialog.OnCommand([](Dialog& d, int id) {
    if (!IsFieldChoice(id)) return false;
    for (int other : kFieldChoices) {
      if (Control* c = d.Find(other)) c->checked = other == id;
    }
    return true;
  });
  if (RunDialog(host, dialog) != kIdOk) return false;
  state.flags = FindFlagsOf(dialog);
  state.text = dialog.Text(kFindTextField).substr(0, kFindTextLimit);
  return true;
}

}  // namespace corvida
