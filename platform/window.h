// The window service: windows, the message queue, timers, input state, cursors and the
// clipboard. A backend only presents finished pixels and delivers input as messages;
// all drawing is done by our own graphics layer before Present.
#pragma once

#include <cstdint>
#include <string>

#include "platform/messages.h"
#include "platform/types.h"

namespace corvida {

// Pointer shapes the player asks for. Stack cursors (ids 28016..28368) are drawn by the
// engine and passed as a custom image; the others map to the system's own.
enum class CursorShape { kArrow, kHand, kFlatHand, kGrabHand, kIBeam, kWait, kCross, kCustom };

// A finished frame in 32-bit RGBA (R, G, B, A bytes in memory), top row first.
struct RgbaView {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // A top-level window with a client area of the given size; 0 on failure.
  virtual WindowId CreateWindow(const std::string& title_utf8, Size client) = 0;
  virtual void DestroyWindow(WindowId window) = 0;
  virtual void SetTitle(WindowId window, const std::string& title_utf8) = 0;
  virtual Size ClientSize(WindowId window) = 0;
  // Gives the window a new client size (another card size, the menu bar shown or hidden);
  // a kSize message follows.
  virtual void ResizeClient(WindowId window, Size client) = 0;
  // Full screen: the client scaled as large as the display allows, letterboxed.
  virtual void SetFullScreen(WindowId window, bool on) = 0;
  virtual bool FullScreen(WindowId window) = 0;
  // The window's own size on the screen, as the user left it; {} where the backend does
  // not size windows (the page decides in the browser).
  virtual Size WindowSize(WindowId window) {
    (void)window;
    return {};
  }
  // Asks for a window size (kept within the display); a full-screen window keeps its own.
  virtual void SetWindowSize(WindowId window, Size size) { (void)window, (void)size; }
  // The path of a file dropped on the window, taken once per msg::kDropFiles; "" when
  // none waits.
  virtual std::string TakeDroppedFile(WindowId window) {
    (void)window;
    return {};
  }
  // Marks a client rectangle (all of it when null) as needing paint; a paint message follows.
  virtual void Invalidate(WindowId window, const Rect* rect) = 0;
  // Shows finished pixels in the client area at the given offset, scaled by the backend
  // to the window's presentation size.
  virtual void Present(WindowId window, const RgbaView& frame, Point at) = 0;

  // Timers deliver kTimer messages with wParam = id every `ms` milliseconds of the clock.
  virtual void SetTimer(WindowId window, uint32_t id, uint32_t ms) = 0;
  virtual void KillTimer(WindowId window, uint32_t id) = 0;

  virtual void PostMessage(const Message& message) = 0;
  // The one blocking call of the system: waits until a message is available or
  // `timeout_ms` passes (0xFFFFFFFF: no limit). Every nested loop waits here, never spins;
  // the browser backend yields to the page. False when nothing arrived in time.
  virtual bool WaitMessage(Message& out, uint32_t timeout_ms) = 0;
  // Takes (remove) or looks at the next message in [first, last] for the window (0 = any).
  virtual bool PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                           bool remove) = 0;
  // When a key-down of `virtual_key` (or the character it types) waits anywhere in the
  // queue, takes it and every key message before it, and the character it typed; other
  // messages stay. False, taking nothing, when the key is not queued. So keys typed
  // ahead cannot hide an interrupting key.
  virtual bool TakeThroughKey(uint32_t virtual_key) = 0;
  // Callable from any thread: a WaitMessage under way (or the next one) returns a
  // msg::kWake message for no window, so work another thread finished is looked at.
  virtual void WakeFromThread() {}

  virtual void SetCapture(WindowId window) = 0;
  virtual void ReleaseCapture() = 0;
  virtual void SetFocus(WindowId window) = 0;
  virtual WindowId Focus() = 0;
  virtual void SetCursor(CursorShape shape) = 0;
  // The pointer in client coordinates of the window.
  virtual Point CursorPosition(WindowId window) = 0;
  // True while the key (a vk:: code, or vk::kShift / vk::kControl) is held down.
  virtual bool KeyDown(uint32_t virtual_key) = 0;
  // True while the left mouse button is held.
  virtual bool MouseButtonDown() = 0;

  // Clipboard text in the Windows character set.
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string ClipboardText() = 0;
};

}  // namespace corvida
