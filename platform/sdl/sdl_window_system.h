// The desktop window service over SDL2: real windows showing the player's finished
// pixels scaled to the window, SDL input turned into window messages, timers on the real
// clock, and the one blocking wait in SDL_WaitEventTimeout.
#pragma once

#include <SDL.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/cursor_art.h"
#include "platform/message_queue.h"
#include "platform/sdl/sdl_input.h"
#include "platform/window.h"

namespace corvida::sdl {

class SdlWindowSystem : public WindowSystem, public StackCursorDisplay {
 public:
  explicit SdlWindowSystem(Clock& clock) : clock_(clock) {}
  ~SdlWindowSystem() override;
  SdlWindowSystem(const SdlWindowSystem&) = delete;
  SdlWindowSystem& operator=(const SdlWindowSystem&) = delete;

  // Starts SDL's video subsystem; false (with SDL's reason in `error`) without a display.
  bool Start(std::string& error);

  WindowId CreateWindow(const std::string& title_utf8, Size client) override;
  void DestroyWindow(WindowId window) override;
  void SetTitle(WindowId window, const std::string& title_utf8) override;
  Size ClientSize(WindowId window) override;
  void Invalidate(WindowId window, const Rect* rect) override;
  void Present(WindowId window, const RgbaView& frame, Point at) override;
  void SetTimer(WindowId window, uint32_t id, uint32_t ms) override;
  void KillTimer(WindowId window, uint32_t id) override;
  void PostMessage(const Message& message) override;
  bool WaitMessage(Message& out, uint32_t timeout_ms) override;
  bool PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                   bool remove) override;
  bool TakeThroughKey(uint32_t virtual_key) override;
  void SetCapture(WindowId window) override;
  void ReleaseCapture() override;
  void SetFocus(WindowId window) override;
  WindowId Focus() override { return focus_; }
  void SetCursor(CursorShape shape) override;
  void SetStackCursor(int slot) override;  // StackCursorDisplay
  Point CursorPosition(WindowId window) override;
  bool KeyDown(uint32_t virtual_key) override;
  bool MouseButtonDown() override;
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override;
  void WakeFromThread() override;

  // Gives the window a new client size (another card size), keeping it scaled whole.
  void ResizeClient(WindowId window, Size client) override;
  void SetFullScreen(WindowId window, bool on) override;
  bool FullScreen(WindowId window) override;
  Size WindowSize(WindowId window) override;
  void SetWindowSize(WindowId window, Size size) override;
  std::string TakeDroppedFile(WindowId window) override;
  CursorShape cursor() const { return cursor_; }
  int stack_cursor() const { return stack_cursor_; }
  // Where the client area is shown in the window (for tests and screenshots).
  Layout LayoutOf(WindowId window) const;
  // The SDL window behind a window id (message boxes are made modal to it), or null.
  SDL_Window* NativeWindow(WindowId window) const;
  // Hands an SDL event to the window system as if SDL had delivered it (tests).
  void InjectEvent(const SDL_Event& event) { Dispatch(event); }
  // Reads back what the window shows of its client area, scaled back to the client's
  // size (RGBA, top row first); false when the renderer cannot be read.
  bool ReadShown(WindowId window, std::vector<uint8_t>& rgba, Size& size);

 private:
  struct Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;  // the client's last presented pixels
    Size client;
    Layout layout;  // in window coordinates, for input
    bool paint_pending = false;
    std::deque<std::string> dropped;  // files dropped on it, not yet taken
  };

  Window* Find(WindowId window);
  WindowId FromSdl(uint32_t sdl_window_id) const;
  bool MakeTexture(Window& w);
  void UpdateLayout(Window& w);
  void Render(Window& w);
  void Pump();
  void Dispatch(const SDL_Event& event);
  void Dropped(const SDL_DropEvent& drop);
  void PaintTaken(const Message& m);
  SDL_Cursor* CursorFor(CursorShape shape);

  Clock& clock_;
  bool started_ = false;
  std::map<WindowId, Window> windows_;
  MessageQueue messages_{clock_, MessageQueue::Rhythm::kKeepRhythm};
  WindowId next_window_ = 1;
  WindowId capture_ = 0;
  WindowId focus_ = 0;
  uint32_t mouse_buttons_ = 0;  // as the events so far left them
  uint16_t modifiers_ = 0;
  // The SDL event type another thread pushes to wake the wait (0 before Start).
  std::atomic<uint32_t> wake_event_{0};
  CursorShape cursor_ = CursorShape::kArrow;
  std::map<CursorShape, SDL_Cursor*> cursors_;
  int stack_cursor_ = -1;                     // the slot shown for kCustom
  std::map<int, SDL_Cursor*> stack_cursors_;  // made on first use
  std::vector<Message> translated_;           // scratch for TranslateEvent
};

// A colour cursor from the player's own art (platform/cursor_art.h), or null.
SDL_Cursor* MakeArtCursor(const CursorArt& art);

}  // namespace corvida::sdl
