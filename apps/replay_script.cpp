#include "apps/replay_script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <sstream>

#include "platform/messages.h"

namespace corvida::app {

namespace {

struct NamedKey {
  const char* name;
  uint32_t key;
};
constexpr std::array<NamedKey, 23> kKeys{{{"escape", vk::kEscape},
                                          {"esc", vk::kEscape},
                                          {"return", vk::kReturn},
                                          {"enter", vk::kReturn},
                                          {"tab", vk::kTab},
                                          {"space", vk::kSpace},
                                          {"backspace", vk::kBack},
                                          {"delete", vk::kDelete},
                                          {"left", vk::kLeft},
                                          {"right", vk::kRight},
                                          {"up", vk::kUp},
                                          {"down", vk::kDown},
                                          {"home", vk::kHome},
                                          {"end", vk::kEnd},
                                          {"pageup", vk::kPrior},
                                          {"pagedown", vk::kNext},
                                          {"shift", vk::kShift},
                                          {"ctrl", vk::kControl},
                                          {"control", vk::kControl},
                                          {"alt", vk::kMenu},
                                          {"<", 0xBC},
                                          {">", 0xBE},
                                          {"~", 0xC0}}};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

bool ParseInt(const std::string& s, int& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

// "Shift+Ctrl+J": the modifiers, then the key.
bool ParseKey(std::string combo, ReplayEvent& e) {
  for (;;) {
    std::string lower = Lower(combo);
    if (lower.rfind("shift+", 0) == 0) {
      e.shift = true;
      combo = combo.substr(6);
    } else if (lower.rfind("ctrl+", 0) == 0) {
      e.ctrl = true;
      combo = combo.substr(5);
    } else if (lower.rfind("alt+", 0) == 0) {
      e.alt = true;
      combo = combo.substr(4);
    } else {
      break;
    }
  }
  e.key = KeyFromName(combo);
  return e.key != 0;
}

}  // namespace

uint32_t KeyFromName(const std::string& name) {
  std::string lower = Lower(name);
  for (const NamedKey& k : kKeys)
    if (lower == k.name) return k.key;
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return uint32_t(std::toupper(static_cast<unsigned char>(name[0])));
  int n = 0;
  if (lower.size() >= 2 && lower[0] == 'f' && ParseInt(lower.substr(1), n) && n >= 1 && n <= 12)
    return vk::kF1 + uint32_t(n - 1);
  return 0;
}

bool ParseReplayScript(const std::string& text, std::vector<ReplayEvent>& out, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    size_t space = line.find(' ');
    std::string verb = Lower(line.substr(0, space));
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    std::istringstream args(rest);
    ReplayEvent e;
    e.line = number;
    bool ok = true;
    std::string a, b;
    if (verb == "click" || verb == "rclick" || verb == "down" || verb == "up" || verb == "move") {
      e.kind = verb == "click"    ? ReplayKind::kClick
               : verb == "rclick" ? ReplayKind::kRightClick
               : verb == "down"   ? ReplayKind::kDown
               : verb == "up"     ? ReplayKind::kUp
                                  : ReplayKind::kMove;
      ok = bool(args >> a >> b) && ParseInt(a, e.x) && ParseInt(b, e.y) && e.x >= -32768 &&
           e.x < 32768 && e.y >= -32768 && e.y < 32768;
    } else if (verb == "key" || verb == "hold" || verb == "release") {
      e.kind = verb == "key"    ? ReplayKind::kKey
               : verb == "hold" ? ReplayKind::kHold
                                : ReplayKind::kRelease;
      ok = bool(args >> a) && ParseKey(a, e);
      // "key NAME after MS": pressed MS into the events that follow (a running script's
      // Escape).
      std::string word;
      if (ok && e.kind == ReplayKind::kKey && args >> word) {
        ok = Lower(word) == "after" && args >> b && ParseInt(b, e.after_ms) && e.after_ms >= 0 &&
             e.after_ms <= 3600000 && !(args >> word);
      }
    } else if (verb == "char") {
      e.kind = ReplayKind::kChar;
      ok = rest.size() == 1;
      if (ok) e.number = static_cast<unsigned char>(rest[0]);
    } else if (verb == "wait" || verb == "answer" || verb == "command") {
      e.kind = verb == "wait"     ? ReplayKind::kWait
               : verb == "answer" ? ReplayKind::kAnswer
                                  : ReplayKind::kCommand;
      ok = bool(args >> a) && ParseInt(a, e.number) && e.number >= 0 &&
           (e.kind != ReplayKind::kWait || e.number <= 3600000) &&
           (e.kind != ReplayKind::kAnswer || (e.number >= 1 && e.number <= 3)) &&
           (e.kind != ReplayKind::kCommand || e.number <= 0xFFFF);
    } else if (verb == "type") {
      e.kind = ReplayKind::kType;
      e.text = rest;
    } else if (verb == "drop") {
      e.kind = ReplayKind::kDrop;
      e.text = rest;
      ok = !rest.empty();
    } else if (verb == "resize") {
      e.kind = ReplayKind::kResize;
      ok = bool(args >> a >> b) && ParseInt(a, e.x) && ParseInt(b, e.y) && e.x > 0 &&
           e.x <= 65535 && e.y > 0 && e.y <= 65535 && !(args >> a);
    } else if (verb == "runbox") {
      e.kind = ReplayKind::kRunBox;
      e.text = rest;
    } else if (verb == "shot") {
      e.kind = ReplayKind::kShot;
      e.text = rest;
      // "NAME after MS": the frame shown MS into the events that follow.
      size_t cut = rest.rfind(" after ");
      if (cut != std::string::npos && ParseInt(rest.substr(cut + 7), e.after_ms) &&
          e.after_ms >= 0 && e.after_ms <= 3600000) {
        e.text = rest.substr(0, cut);
      } else {
        e.after_ms = -1;
      }
      rest = e.text;
      // A plain file name: shots stay in the output folder.
      ok = !rest.empty() && rest.find('/') == std::string::npos &&
           rest.find('\\') == std::string::npos && rest != "." && rest != "..";
    } else {
      ok = false;
    }
    if (!ok) {
      error = "line " + std::to_string(number) + ": cannot read \"" + line + "\"";
      return false;
    }
    out.push_back(std::move(e));
  }
  return true;
}

}  // namespace corvida::app
