// The "Find text" dialog: the text to look for, case sensitivity, wrap around, and which
// fields are searched (all, editable or read-only ones; one of the three is chosen).
#pragma once

#include "engine/find.h"
#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kFindTextField = 200;
inline constexpr int kFindCaseBox = 201;
inline constexpr int kFindWrapBox = 202;
inline constexpr int kFindAllFields = 210;
inline constexpr int kFindEditableFields = 211;
inline constexpr int kFindReadOnlyFields = 212;

// The dialog showing the state's text and settings.
Dialog MakeFindTextDialog(const FindState& state);
// The flags the dialog's controls stand for (find again is never among them).
uint16_t FindFlagsOf(const Dialog& dialog);
// Runs the dialog; OK stores its text and flags in the state and returns true, Cancel
// leaves the state as it was.
bool RunFindTextDialog(DialogHost& host, FindState& state);

}  // namespace corvida
