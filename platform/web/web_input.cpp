#include "platform/web/web_input.h"

#include "platform/charset.h"

namespace corvida::web {
namespace {

struct CodeKey {
  std::string_view code;
  uint32_t vk;
};

// Keys outside the letter, digit, function-key and keypad-digit ranges, with the codes
// the desktop gives them.
constexpr CodeKey kKeys[] = {
    {"Backspace", vk::kBack},
    {"Tab", vk::kTab},
    {"Enter", vk::kReturn},
    {"NumpadEnter", vk::kReturn},
    {"Escape", vk::kEscape},
    {"Space", vk::kSpace},
    {"PageUp", vk::kPrior},
    {"PageDown", vk::kNext},
    {"End", vk::kEnd},
    {"Home", vk::kHome},
    {"ArrowLeft", vk::kLeft},
    {"ArrowUp", vk::kUp},
    {"ArrowRight", vk::kRight},
    {"ArrowDown", vk::kDown},
    {"Insert", vk::kInsert},
    {"Delete", vk::kDelete},
    {"ShiftLeft", vk::kShift},
    {"ShiftRight", vk::kShift},
    {"ControlLeft", vk::kControl},
    {"ControlRight", vk::kControl},
    {"AltLeft", vk::kMenu},
    {"AltRight", vk::kMenu},
    {"Pause", 0x13},
    {"CapsLock", 0x14},
    {"PrintScreen", 0x2C},
    {"NumpadMultiply", 0x6A},
    {"NumpadAdd", 0x6B},
    {"NumpadSubtract", 0x6D},
    {"NumpadDecimal", 0x6E},
    {"NumpadDivide", 0x6F},
    {"NumLock", 0x90},
    {"ScrollLock", 0x91},
    {"Semicolon", 0xBA},
    {"Equal", 0xBB},
    {"Comma", 0xBC},
    {"Minus", 0xBD},
    {"Period", 0xBE},
    {"Slash", 0xBF},
    {"Backquote", 0xC0},
    {"BracketLeft", 0xDB},
    {"Backslash", 0xDC},
    {"BracketRight", 0xDD},
    {"Quote", 0xDE},
};
constexpr uint32_t kNumpad0 = 0x60;

// A decimal number of one or two digits after `prefix`, else -1.
int NumberAfter(std::string_view code, std::string_view prefix) {
  if (code.size() <= prefix.size() || code.size() > prefix.size() + 2 ||
      code.substr(0, prefix.size()) != prefix)
    return -1;
  int n = 0;
  for (char c : code.substr(prefix.size())) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

// The characters the classic system sends for keys that type no text.
int ControlCharacter(uint32_t vk, uint32_t modifiers) {
  if (modifiers & mods::kAlt) return -1;
  const bool ctrl = modifiers & mods::kControl;
  if (vk == vk::kReturn) return ctrl ? 10 : 13;
  if (vk == vk::kBack) return ctrl ? 127 : 8;
  if (vk == vk::kEscape) return 27;
  if (vk == vk::kTab) return ctrl ? -1 : 9;
  if (ctrl && vk >= 'A' && vk <= 'Z') return int(vk - 'A' + 1);
  return -1;
}

// The one character a key types, in the Windows character set; -1 for named keys
// ("Shift", "ArrowLeft") and characters the set lacks.
int TypedCharacter(std::string_view key) {
  if (key.empty()) return -1;
  const auto lead = static_cast<uint8_t>(key[0]);
  const size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                                                      : 0;
  if (length == 0 || length != key.size()) return -1;
  char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<uint8_t>(key[i]);
    if ((next & 0xC0) != 0x80) return -1;
    code = (code << 6) | (next & 0x3F);
  }
  const int byte = UnicodeToWindows1252(code);
  return byte >= 32 && byte != 127 ? byte : -1;
}

uint32_t MouseFlags(uint32_t buttons, uint32_t modifiers) {
  uint32_t flags = 0;
  if (buttons & 1) flags |= mk::kLButton;
  if (buttons & 2) flags |= mk::kRButton;
  if (modifiers & mods::kShift) flags |= mk::kShift;
  if (modifiers & mods::kControl) flags |= mk::kControl;
  return flags;
}

}  // namespace

uint32_t VirtualKeyFromCode(std::string_view code) {
  if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
    return uint32_t(code[3]);
  if (code.size() == 6 && code.substr(0, 5) == "Digit" && code[5] >= '0' && code[5] <= '9')
    return uint32_t(code[5]);
  if (int n = NumberAfter(code, "F"); n >= 1 && n <= 12) return vk::kF1 + uint32_t(n - 1);
  if (int n = NumberAfter(code, "Numpad"); n >= 0 && n <= 9 && code.size() == 7)
    return kNumpad0 + uint32_t(n);
  for (const CodeKey& pair : kKeys) {
    if (pair.code == code) return pair.vk;
  }
  return 0;
}

void TranslateKey(const KeyInput& input, WindowId window, uint32_t time,
                  std::vector<Message>& out) {
  const uint32_t vk = VirtualKeyFromCode(input.code);
  const int typed = input.down && !(input.modifiers & (mods::kControl | mods::kAlt | mods::kMeta))
                        ? TypedCharacter(input.key)
                        : -1;
  // lParam: repeat count 1; bit 30 the key was already down; bit 31 the key is going up.
  int64_t l = 1;
  if (!input.down)
    l |= (int64_t{1} << 30) | (int64_t{1} << 31);
  else if (input.repeat)
    l |= int64_t{1} << 30;
  if (vk != 0) {
    const bool alt = (input.modifiers & mods::kAlt) || vk == vk::kMenu;
    const uint32_t message = input.down ? (alt ? msg::kSysKeyDown : msg::kKeyDown)
                                        : (alt ? msg::kSysKeyUp : msg::kKeyUp);
    out.push_back(Message{window, message, vk, l, time});
  }
  if (!input.down) return;
  int ch = vk != 0 ? ControlCharacter(vk, input.modifiers) : -1;
  if (ch < 0 && vk != vk::kTab && vk != vk::kReturn && vk != vk::kBack && vk != vk::kEscape)
    ch = typed;
  if (ch >= 0) out.push_back(Message{window, msg::kChar, uint64_t(ch), l, time});
}

void TranslateMouse(const MouseInput& input, WindowId window, uint32_t time,
                    std::vector<Message>& out) {
  if (!input.inside && !input.captured) return;
  const int64_t point = MakePointParam(input.at.x, input.at.y);
  const uint32_t flags = MouseFlags(input.buttons, input.modifiers);
  uint32_t message = 0;
  switch (input.kind) {
    case MouseKind::kMove:
      message = msg::kMouseMove;
      break;
    case MouseKind::kDown:
      if (input.button == 0) {
        message =
            input.clicks >= 2 && input.clicks % 2 == 0 ? msg::kLButtonDblClk : msg::kLButtonDown;
      } else if (input.button == 2) {
        message = msg::kRButtonDown;
      }
      break;
    case MouseKind::kUp:
      message = input.button == 0 ? msg::kLButtonUp : input.button == 2 ? msg::kRButtonUp : 0;
      break;
    case MouseKind::kWheel: {
      if (input.wheel_steps == 0) return;
      const uint64_t param = (uint64_t(uint16_t(int16_t(input.wheel_steps * 120))) << 16) | flags;
      out.push_back(Message{window, msg::kMouseWheel, param, point, time});
      return;
    }
  }
  if (message != 0) out.push_back(Message{window, message, flags, point, time});
}

}  // namespace corvida::web
