// The event scripts of `corvida replay`: one event a line, e.g. `click 10 20`,
// `key Ctrl+J`, `type Four`, `runbox print 1`, `wait 500`, `shot first.png`,
// `shot middle.png after 100`, `drop other.stk`, `resize 1024 684` (the frame shown 100 ms into the
// events that follow). Blank lines and lines starting with '#' are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvida::app {

enum class ReplayKind {
  kClick,
  kRightClick,
  kDown,
  kUp,
  kMove,
  kKey,
  kHold,
  kRelease,
  kChar,
  kWait,
  kAnswer,
  kType,
  kRunBox,
  kCommand,
  kShot,
  kDrop,
  kResize
};

struct ReplayEvent {
  ReplayKind kind = ReplayKind::kWait;
  int x = 0, y = 0;  // click, rclick, down, up, move; resize: the window's width and height
  uint32_t key = 0;  // key, hold, release: a virtual key code
  bool shift = false, ctrl = false, alt = false;
  int number = 0;    // wait (ms), answer (button 1..3), command (id), char (code)
  std::string text;  // type, runbox, shot, drop
  // shot: taken this long into what the following events start; key: pressed this
  // long into them
  int after_ms = -1;
  int line = 0;
};

// Parses a script; false with `error` naming the line when one cannot be read.
bool ParseReplayScript(const std::string& text, std::vector<ReplayEvent>& out, std::string& error);
// The virtual key of a key name ("Escape", "Left", "J", "F1", ">" ...); 0 when unknown.
uint32_t KeyFromName(const std::string& name);

}  // namespace corvida::app
