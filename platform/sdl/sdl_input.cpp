#include "platform/sdl/sdl_input.h"
#include "platform/charset.h"

namespace corvida::sdl {
namespace {

struct KeyPair {
  SDL_Keycode key;
  uint32_t vk;
};

// Keys outside the letter, digit, function-key and keypad-digit ranges.
constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, vk::kBack},  {SDLK_TAB, vk::kTab},       {SDLK_RETURN, vk::kReturn},
    {SDLK_KP_ENTER, vk::kReturn}, {SDLK_ESCAPE, vk::kEscape}, {SDLK_SPACE, vk::kSpace},
    {SDLK_PAGEUP, vk::kPrior},    {SDLK_PAGEDOWN, vk::kNext}, {SDLK_END, vk::kEnd},
    {SDLK_HOME, vk::kHome},       {SDLK_LEFT, vk::kLeft},     {SDLK_UP, vk::kUp},
    {SDLK_RIGHT, vk::kRight},     {SDLK_DOWN, vk::kDown},     {SDLK_INSERT, vk::kInsert},
    {SDLK_DELETE, vk::kDelete},   {SDLK_LSHIFT, vk::kShift},  {SDLK_RSHIFT, vk::kShift},
    {SDLK_LCTRL, vk::kControl},   {SDLK_RCTRL, vk::kControl}, {SDLK_LALT, vk::kMenu},
    {SDLK_RALT, vk::kMenu},       {SDLK_PAUSE, 0x13},         {SDLK_CAPSLOCK, 0x14},
    {SDLK_PRINTSCREEN, 0x2C},     {SDLK_KP_MULTIPLY, 0x6A},   {SDLK_KP_PLUS, 0x6B},
    {SDLK_KP_MINUS, 0x6D},        {SDLK_KP_PERIOD, 0x6E},     {SDLK_KP_DIVIDE, 0x6F},
    {SDLK_NUMLOCKCLEAR, 0x90},    {SDLK_SCROLLLOCK, 0x91},    {SDLK_SEMICOLON, 0xBA},
    {SDLK_EQUALS, 0xBB},          {SDLK_COMMA, 0xBC},         {SDLK_MINUS, 0xBD},
    {SDLK_PERIOD, 0xBE},          {SDLK_SLASH, 0xBF},         {SDLK_BACKQUOTE, 0xC0},
    {SDLK_LEFTBRACKET, 0xDB},     {SDLK_BACKSLASH, 0xDC},     {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE},
};

constexpr SDL_Keycode kKeypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
constexpr uint32_t kNumpad0 = 0x60;

uint32_t MouseFlags(uint32_t buttons, uint16_t modifiers) {
  uint32_t flags = 0;
  if (buttons & SDL_BUTTON_LMASK) flags |= mk::kLButton;
  if (buttons & SDL_BUTTON_RMASK) flags |= mk::kRButton;
  if (modifiers & KMOD_SHIFT) flags |= mk::kShift;
  if (modifiers & KMOD_CTRL) flags |= mk::kControl;
  return flags;
}

void Push(std::vector<Message>& out, const InputContext& c, uint32_t message, uint64_t w,
          int64_t l) {
  out.push_back(Message{c.window, message, w, l, c.time});
}

// A mouse message at a window point, unless the point lies outside the client area and
// the mouse is not captured (the system reports no such messages either).
void PushMouse(std::vector<Message>& out, const InputContext& c, uint32_t message, uint32_t buttons,
               int x, int y) {
  Point p;
  if (!WindowToClient(c.layout, {x, y}, p) && !c.captured) return;
  Push(out, c, message, MouseFlags(buttons, c.modifiers), MakePointParam(p.x, p.y));
}

// The characters the classic system sends for keys that type no text: Return, Tab,
// Backspace, Escape, and Ctrl with a letter (control codes 1..26).
int ControlCharacter(SDL_Keycode key, uint16_t modifiers) {
  if (modifiers & KMOD_ALT) return -1;
  bool ctrl = modifiers & KMOD_CTRL;
  if (key == SDLK_RETURN || key == SDLK_KP_ENTER) return ctrl ? 10 : 13;
  if (key == SDLK_BACKSPACE) return ctrl ? 127 : 8;
  if (key == SDLK_ESCAPE) return 27;
  if (key == SDLK_TAB) return ctrl ? -1 : 9;
  if (ctrl && key >= SDLK_a && key <= SDLK_z) return key - SDLK_a + 1;
  return -1;
}

void TranslateKey(const SDL_KeyboardEvent& e, const InputContext& c, std::vector<Message>& out) {
  uint32_t vk = VirtualKeyFromSdl(e.keysym.sym);
  if (vk == 0) return;
  bool down = e.type == SDL_KEYDOWN;
  bool alt = (c.modifiers & KMOD_ALT) || vk == vk::kMenu;
  uint32_t message =
      down ? (alt ? msg::kSysKeyDown : msg::kKeyDown) : (alt ? msg::kSysKeyUp : msg::kKeyUp);
  // lParam: repeat count 1; bit 30 the key was already down; bit 31 the key is going up.
  int64_t l = 1;
  if (!down)
    l |= (int64_t{1} << 30) | (int64_t{1} << 31);
  else if (e.repeat)
    l |= int64_t{1} << 30;
  Push(out, c, message, vk, l);
  if (down) {
    int ch = ControlCharacter(e.keysym.sym, c.modifiers);
    if (ch >= 0) Push(out, c, msg::kChar, static_cast<uint64_t>(ch), l);
  }
}

void TranslateWindowEvent(const SDL_WindowEvent& e, const InputContext& c,
                          std::vector<Message>& out) {
  int64_t client = MakePointParam(c.layout.client.width, c.layout.client.height);
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      Push(out, c, msg::kClose, 0, 0);
      break;
    // As on the classic system, activation comes before the focus change.
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Push(out, c, msg::kActivate, 1, 0);
      Push(out, c, msg::kSetFocus, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      Push(out, c, msg::kActivate, 0, 0);
      Push(out, c, msg::kKillFocus, 0, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      Push(out, c, msg::kPaint, 0, 0);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      Push(out, c, msg::kSize, 0, client);
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      Push(out, c, msg::kSize, 1, client);
      break;
    default:
      break;
  }
}

}  // namespace

uint32_t VirtualKeyFromSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return vk::kF1 + (key - SDLK_F1);
  for (uint32_t i = 0; i < 10; ++i) {
    if (key == kKeypadDigits[i]) return kNumpad0 + i;
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.key == key) return pair.vk;
  }
  return 0;
}

SDL_Keycode SdlKeyFromVirtualKey(uint32_t virtual_key) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') return SDLK_a + (virtual_key - 'A');
  if (virtual_key >= '0' && virtual_key <= '9') return SDLK_0 + (virtual_key - '0');
  if (virtual_key >= vk::kF1 && virtual_key < vk::kF1 + 12) {
    return SDLK_F1 + static_cast<SDL_Keycode>(virtual_key - vk::kF1);
  }
  if (virtual_key >= kNumpad0 && virtual_key < kNumpad0 + 10) {
    return kKeypadDigits[virtual_key - kNumpad0];
  }
  for (const KeyPair& pair : kKeys) {
    if (pair.vk == virtual_key) return pair.key;
  }
  return SDLK_UNKNOWN;
}

void TranslateEvent(const SDL_Event& event, const InputContext& c, std::vector<Message>& out) {
  switch (event.type) {
    case SDL_MOUSEMOTION:
      PushMouse(out, c, msg::kMouseMove, event.motion.state, event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const SDL_MouseButtonEvent& b = event.button;
      bool down = event.type == SDL_MOUSEBUTTONDOWN;
      uint32_t mask = SDL_BUTTON(b.button);
      uint32_t buttons = down ? (c.mouse_buttons | mask) : (c.mouse_buttons & ~mask);
      uint32_t message;
      if (b.button == SDL_BUTTON_LEFT) {
        // The system turns every second press of a quick series into a double click.
        message =
            !down ? msg::kLButtonUp
                  : (b.clicks >= 2 && b.clicks % 2 == 0 ? msg::kLButtonDblClk : msg::kLButtonDown);
      } else if (b.button == SDL_BUTTON_RIGHT) {
        message = down ? msg::kRButtonDown : msg::kRButtonUp;
      } else {
        break;
      }
      PushMouse(out, c, message, buttons, b.x, b.y);
      break;
    }
    case SDL_MOUSEWHEEL: {
      const SDL_MouseWheelEvent& w = event.wheel;
      int steps = w.direction == SDL_MOUSEWHEEL_FLIPPED ? -w.y : w.y;
      if (steps == 0) break;
      Point p;
      WindowToClient(c.layout, {w.mouseX, w.mouseY}, p);
      uint64_t param = (static_cast<uint64_t>(static_cast<uint16_t>(steps * 120)) << 16) |
                       MouseFlags(c.mouse_buttons, c.modifiers);
      Push(out, c, msg::kMouseWheel, param, MakePointParam(p.x, p.y));
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      TranslateKey(event.key, c, out);
      break;
    case SDL_TEXTINPUT: {
      std::string text = Utf8ToWindows1252(event.text.text);
      for (char ch : text) {
        auto byte = static_cast<uint8_t>(ch);
        if (byte >= 32 && byte != 127) Push(out, c, msg::kChar, byte, 1);
      }
      break;
    }
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(event.window, c, out);
      break;
    default:
      break;
  }
}

}  // namespace corvida::sdl
