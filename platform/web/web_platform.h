// The browser platform: one per player element of a page (each element runs its own
// instance of the WebAssembly module). The card is shown on the element's canvas, input
// comes from the page script as window messages, timers run on the page's clock, and the
// nested loops wait by yielding to the page (ASYNCIFY) until input or a timer wakes them.
// Face files are fetched from beside the page script when first needed.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/cursor_art.h"
#include "platform/face_files.h"
#include "platform/fonts.h"
#include "platform/message_queue.h"
#include "platform/movie_ffmpeg.h"
#include "platform/picture.h"
#include "platform/platform.h"
#include "platform/web/web_audio.h"
#include "platform/web/web_input.h"

namespace corvida::web {

// Milliseconds of the page's monotonic clock.
class PageClock : public Clock {
 public:
  uint32_t Milliseconds() override;
};

class WebWindowSystem : public WindowSystem, public StackCursorDisplay {
 public:
  explicit WebWindowSystem(Clock& clock) : clock_(clock) {}

  WindowId CreateWindow(const std::string& title_utf8, Size client) override;
  void DestroyWindow(WindowId window) override;
  void SetTitle(WindowId window, const std::string& title_utf8) override;
  Size ClientSize(WindowId window) override;
  void ResizeClient(WindowId window, Size client) override;
  void SetFullScreen(WindowId window, bool on) override;
  bool FullScreen(WindowId window) override;
  void Invalidate(WindowId window, const Rect* rect) override;
  // Puts the frame on the canvas in one copy. The canvas takes the size of a whole frame
  // (the card's), so another card size re-lays the element out.
  void Present(WindowId window, const RgbaView& frame, Point at) override;
  void SetTimer(WindowId window, uint32_t id, uint32_t ms) override;
  void KillTimer(WindowId window, uint32_t id) override;
  void PostMessage(const Message& message) override;
  bool WaitMessage(Message& out, uint32_t timeout_ms) override;
  bool PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                   bool remove) override;
  bool TakeThroughKey(uint32_t virtual_key) override;
  void SetCapture(WindowId window) override { capture_ = window; }
  void ReleaseCapture() override { capture_ = 0; }
  void SetFocus(WindowId window) override { focus_ = window; }
  WindowId Focus() override { return focus_; }
  void SetCursor(CursorShape shape) override;
  void SetStackCursor(int slot) override;  // StackCursorDisplay
  Point CursorPosition(WindowId) override { return pointer_; }
  bool KeyDown(uint32_t virtual_key) override { return held_keys_.count(virtual_key) > 0; }
  bool MouseButtonDown() override { return mouse_buttons_ & 1; }
  void SetClipboardText(const std::string& text) override;
  std::string ClipboardText() override { return clipboard_; }

  // Input from the page script, queued as messages; a sleeping wait wakes up.
  void Key(const KeyInput& input);
  void Mouse(MouseInput input);
  void FocusChanged(bool focused);
  // The window the page's canvas shows (the first one made).
  WindowId shown_window() const { return shown_; }

 private:
  struct Window {
    Size client;
    bool paint_pending = false;
    bool full_screen = false;
  };
  Window* Find(WindowId window);
  void PaintTaken(const Message& m);
  void Queue(const std::vector<Message>& messages);

  Clock& clock_;
  std::map<WindowId, Window> windows_;
  MessageQueue messages_{clock_, MessageQueue::Rhythm::kKeepRhythm};
  WindowId next_window_ = 1;
  WindowId shown_ = 0;
  WindowId capture_ = 0;
  WindowId focus_ = 0;
  CursorShape cursor_ = CursorShape::kArrow;
  int stack_cursor_ = -1;
  Point pointer_;
  uint32_t mouse_buttons_ = 0;
  std::set<uint32_t> held_keys_;
  std::string clipboard_;
  std::vector<Message> translated_;
};

// Alerts are drawn in the player's window once it has one (the presenter set with
// SetInWindow); before that they go to the page's console and take their default answer.
class WebAlertPresenter : public AlertPresenter {
 public:
  int ShowAlert(const AlertRequest& request) override;
  void ShowMessageBox(const std::string& title, const std::string& text, AlertIcon icon) override;
  void SetInWindow(AlertPresenter* presenter) { in_window_ = presenter; }

 private:
  AlertPresenter* in_window_ = nullptr;
};

// Face files listed in the page's font folder, fetched (synchronously, they are small and
// needed to draw the next text) into the module's file system when first opened.
class FetchedFaceFiles : public FaceFileSource {
 public:
  FetchedFaceFiles(std::string folder, std::set<std::string> listed)
      : folder_(std::move(folder)), listed_(std::move(listed)) {}
  bool Has(const std::string& file) const override { return listed_.count(file) > 0; }
  std::string Fetch(const std::string& file) override;

 private:
  std::string folder_;  // where fetched files are written
  std::set<std::string> listed_;
};

class WebPlatform : public Platform {
 public:
  // `fonts_listed`: the face files the page's font folder holds.
  WebPlatform(Folders folders, std::set<std::string> fonts_listed);
  Clock& clock() override { return clock_; }
  WindowSystem& windows() override { return windows_; }
  AlertPresenter& alerts() override { return alerts_; }
  AudioOutput* audio() override { return &audio_; }
  PictureDecoder* pictures() override { return &pictures_; }
  MovieService* movies() override;
  FontService* fonts() override;
  const Folders& folders() const override { return folders_; }
  bool headless() const override { return false; }

  WebWindowSystem& web_windows() { return windows_; }
  WebAlertPresenter& web_alerts() { return alerts_; }
  WebAudioOutput& web_audio() { return audio_; }

 private:
  Folders folders_;
  PageClock clock_;
  WebWindowSystem windows_{clock_};
  WebAlertPresenter alerts_;
  WebAudioOutput audio_{clock_};
  ImagePictureDecoder pictures_;
  FetchedFaceFiles face_files_;
  std::unique_ptr<FontService> fonts_;    // made on first use
  std::unique_ptr<MovieService> movies_;  // made on first use
};

}  // namespace corvida::web
