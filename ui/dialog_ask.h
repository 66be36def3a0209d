// Two small dialogs built from the toolkit: the question for the user's name (asked by
// a button that marks answers) and the file chooser listing one folder at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_runner.h"

namespace corvida {

inline constexpr int kUserNameField = 100;
inline constexpr size_t kUserNameLimit = 63;  // kept in a length-prefixed string

// Asks for the user's name, showing `current`; nullopt when cancelled.
std::optional<std::string> AskUserName(DialogHost& host, const std::string& current);

inline constexpr int kChooserList = 110;
inline constexpr int kChooserFolder = 111;

// What the chooser lists in a folder: "[..]" (unless at the root), the subfolders as
// "[name]", then the files whose extension matches (any letter case), each group sorted.
std::vector<std::string> ChooserEntries(const std::string& folder, const std::string& extension);

// Lets the user pick a file with the extension (e.g. ".stk") starting in `folder`:
// double-click or Enter on a folder opens it, on a file chooses it. The full path, or
// nullopt when cancelled.
std::optional<std::string> ChooseFile(DialogHost& host, const std::string& prompt,
                                      std::string folder, const std::string& extension);

}  // namespace corvida
