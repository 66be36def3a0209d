// Input side of the desktop window service: SDL events into the message queue, the mouse
// capture, keyboard focus, pointer shapes, input state and the clipboard.
#include <algorithm>

#include "platform/charset.h"
#include "platform/sdl/sdl_window_system.h"

namespace corvida::sdl {
namespace {

// The SDL window an event belongs to, 0 for events of no window.
uint32_t EventWindow(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return e.key.windowID;
    case SDL_TEXTINPUT:
      return e.text.windowID;
    case SDL_MOUSEMOTION:
      return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return e.button.windowID;
    case SDL_MOUSEWHEEL:
      return e.wheel.windowID;
    default:
      return 0;
  }
}

}  // namespace

void SdlWindowSystem::Dispatch(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    // The desktop asks the program to end: every window is asked to close.
    for (const auto& [id, w] : windows_) PostMessage({id, msg::kClose, 0, 0});
    return;
  }
  if (event.type != 0 && event.type == wake_event_) {
    PostMessage({0, msg::kWake, 0, 0});
    return;
  }
  if (event.type == SDL_DROPFILE) return Dropped(event.drop);
  if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
    modifiers_ = event.key.keysym.mod;
  }
  WindowId id = FromSdl(EventWindow(event));
  Window* w = Find(id);
  if (w == nullptr) return;
  if (event.type == SDL_WINDOWEVENT) {
    switch (event.window.event) {
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        UpdateLayout(*w);
        Render(*w);
        break;
      case SDL_WINDOWEVENT_EXPOSED:
        Render(*w);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        focus_ = id;
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        if (focus_ == id) focus_ = 0;
        break;
      default:
        break;
    }
  }
  InputContext context{id,         w->layout,      mouse_buttons_,
                       modifiers_, capture_ == id, clock_.Milliseconds()};
  if (event.type == SDL_MOUSEBUTTONDOWN) mouse_buttons_ |= SDL_BUTTON(event.button.button);
  if (event.type == SDL_MOUSEBUTTONUP) mouse_buttons_ &= ~SDL_BUTTON(event.button.button);
  translated_.clear();
  TranslateEvent(event, context, translated_);
  for (const Message& m : translated_) {
    if (m.message == msg::kPaint) {
      Invalidate(id, nullptr);  // coalesced with paints already waiting
    } else {
      messages_.Post(m);
    }
  }
}

void SdlWindowSystem::SetCapture(WindowId window) {
  if (Find(window) == nullptr) return;
  capture_ = window;
  SDL_CaptureMouse(SDL_TRUE);  // may be unsupported; capture still governs delivery
}

void SdlWindowSystem::ReleaseCapture() {
  if (capture_ == 0) return;
  capture_ = 0;
  SDL_CaptureMouse(SDL_FALSE);
}

void SdlWindowSystem::SetFocus(WindowId window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  focus_ = window;
  if (SDL_GetKeyboardFocus() != w->window) SDL_RaiseWindow(w->window);
}

SDL_Cursor* SdlWindowSystem::CursorFor(CursorShape shape) {
  if (shape == CursorShape::kCustom) {
    auto it = stack_cursors_.find(stack_cursor_);
    if (it != stack_cursors_.end()) return it->second;
    SDL_Cursor* cursor = MakeArtCursor(StackCursorArt(stack_cursor_));
    if (cursor != nullptr) stack_cursors_[stack_cursor_] = cursor;
    return cursor;
  }
  auto it = cursors_.find(shape);
  if (it != cursors_.end()) return it->second;
  SDL_Cursor* cursor = nullptr;
  switch (shape) {
    case CursorShape::kArrow:
      cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
      break;
    case CursorShape::kHand:
      cursor = MakeArtCursor(HandCursorArt(shape));  // ours: the pointing hand
      if (cursor == nullptr) cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND);
      break;
    case CursorShape::kIBeam:
      cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_IBEAM);
      break;
    case CursorShape::kWait:
      cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
      break;
    case CursorShape::kCross:
      cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
      break;
    case CursorShape::kFlatHand:
    case CursorShape::kGrabHand:
      cursor = MakeArtCursor(HandCursorArt(shape));
      break;
    case CursorShape::kCustom:
      break;
  }
  if (cursor != nullptr) cursors_[shape] = cursor;
  return cursor;
}

void SdlWindowSystem::SetCursor(CursorShape shape) {
  cursor_ = shape;
  if (!started_) return;
  SDL_Cursor* cursor = CursorFor(shape);
  if (cursor == nullptr) cursor = CursorFor(CursorShape::kArrow);
  if (cursor != nullptr && cursor != SDL_GetCursor()) SDL_SetCursor(cursor);
}

void SdlWindowSystem::SetStackCursor(int slot) {
  if (StackCursorArt(slot).rows == nullptr) return SetCursor(CursorShape::kArrow);
  stack_cursor_ = slot;
  cursor_ = CursorShape::kCustom;
  if (!started_) return;
  SDL_Cursor* cursor = CursorFor(CursorShape::kCustom);
  if (cursor != nullptr && cursor != SDL_GetCursor()) SDL_SetCursor(cursor);
}

Point SdlWindowSystem::CursorPosition(WindowId window) {
  Window* w = Find(window);
  if (w == nullptr) return {};
  // Over the window SDL's own tracking is exact on every video driver; elsewhere the
  // desktop position is asked for, where the driver can tell it.
  Point at;
  if (SDL_GetMouseFocus() == w->window) {
    SDL_GetMouseState(&at.x, &at.y);
  } else {
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(w->window, &wx, &wy);
    at = {gx - wx, gy - wy};
  }
  Point client;
  WindowToClient(w->layout, at, client);
  return client;
}

bool SdlWindowSystem::KeyDown(uint32_t virtual_key) {
  if (!started_) return false;
  SDL_Keymod mods = SDL_GetModState();
  if (virtual_key == vk::kShift) return mods & KMOD_SHIFT;
  if (virtual_key == vk::kControl) return mods & KMOD_CTRL;
  if (virtual_key == vk::kMenu) return mods & KMOD_ALT;
  if (virtual_key == 0x01 || virtual_key == 0x02) {  // the mouse buttons' own codes
    uint32_t buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
    return buttons & (virtual_key == 0x01 ? SDL_BUTTON_LMASK : SDL_BUTTON_RMASK);
  }
  SDL_Keycode key = SdlKeyFromVirtualKey(virtual_key);
  if (key == SDLK_UNKNOWN) return false;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  SDL_Scancode scancode = SDL_GetScancodeFromKey(key);
  return scancode > 0 && scancode < count && state[scancode] != 0;
}

bool SdlWindowSystem::MouseButtonDown() {
  if (!started_) return false;
  return SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK;
}

void SdlWindowSystem::SetClipboardText(const std::string& text) {
  if (started_) SDL_SetClipboardText(Windows1252ToUtf8(text).c_str());
}

std::string SdlWindowSystem::ClipboardText() {
  if (!started_) return {};
  char* utf8 = SDL_GetClipboardText();
  if (utf8 == nullptr) return {};
  std::string text = Utf8ToWindows1252(utf8);
  SDL_free(utf8);
  return text;
}

// A file dropped on a window (or, when the desktop does not say on which, on the one with
// the keyboard, else the only one) waits there for the player to take it.
void SdlWindowSystem::Dropped(const SDL_DropEvent& drop) {
  if (drop.file == nullptr) return;
  WindowId id = FromSdl(drop.windowID);
  if (id == 0) id = focus_ != 0 ? focus_ : windows_.size() == 1 ? windows_.begin()->first : 0;
  Window* w = Find(id);
  // A bounded few wait: a desktop dropping thousands of files does not fill memory.
  constexpr size_t kMaxWaiting = 16;
  if (w == nullptr || w->dropped.size() >= kMaxWaiting) return;
  w->dropped.emplace_back(drop.file);
  PostMessage({id, msg::kDropFiles, 0, 0});
}

}  // namespace corvida::sdl
