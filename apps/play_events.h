// Scripted desktop input for `corvida play --events FILE`: real window-system events sent
// to the desktop window, so that a smoke test on a virtual display drives the window as
// a user would and looks at it in between. One event a line:
//   wait MS       plays on for MS milliseconds (0 to 600000)
//   resize W H    asks the desktop for a window of W x H (64 to 16384 each)
//   key NAME      presses and releases a key, named as the window system names keys
//                 ("F11", "Left Alt", "Down", "Escape")
//   drop PATH     a file dropped on the window
//   shot FILE     writes what the window shows (as --screenshot) and prints the window's
//                 size and whether it is full screen
// Blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

namespace corvida::app {

enum class PlayEventKind { kWait, kResize, kKey, kDrop, kShot };

struct PlayEvent {
  PlayEventKind kind = PlayEventKind::kWait;
  int a = 0, b = 0;  // milliseconds, or width and height
  std::string text;  // the key's name or the path
};

// Reads a script; false with `error` naming the first line it cannot read.
bool ParsePlayEvents(const std::string& script, std::vector<PlayEvent>& events, std::string& error);

}  // namespace corvida::app
