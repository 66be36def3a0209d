// What the desktop player keeps between runs in the preferences: the window's size and
// the stacks opened last. A preference file is the user's to edit and may hold anything,
// so every value is checked when it is read back; what does not pass reads as absent.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/prefs.h"
#include "platform/types.h"

namespace corvida {

inline constexpr int kRecentStackCount = 4;
// The File menu's commands for the stacks opened last, the newest first.
inline constexpr int kFirstRecentCommand = 111;
inline constexpr int kMinWindowSide = 64;
inline constexpr int kMaxWindowSide = 16384;
inline constexpr size_t kMaxRecentPathChars = 1024;

// "window" / "width" and "height": both plain numbers within the sides above.
std::optional<Size> ReadWindowSize(const Prefs& prefs);
bool WriteWindowSize(Prefs& prefs, Size size);

// "recent" / "stack1" to "stack4", the newest first. Only absolute paths without control
// characters are kept, each once.
std::vector<std::string> ReadRecentStacks(const Prefs& prefs);
// Puts `path` first; it leaves its old place, and the oldest beyond four goes.
bool NoteRecentStack(Prefs& prefs, const std::string& path);
// The File menu's label: "&1 name.stk  (folder)", the folder shortened from its start to
// at most `max_folder_chars`, ampersands in names shown as they stand.
std::string RecentStackLabel(int index, const std::string& path, size_t max_folder_chars = 32);

}  // namespace corvida
