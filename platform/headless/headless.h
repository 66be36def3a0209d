// The headless backend: a virtual clock, an in-memory message queue with timers that
// fire on the virtual clock, recorded presentation and scripted alert answers. Tests and
// `corvida replay` drive the player through it deterministically, without sleeping.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio_recorder.h"
#include "platform/cursor_art.h"
#include "platform/font_names.h"
#include "platform/fonts.h"
#include "platform/message_queue.h"
#include "platform/movie_ffmpeg.h"
#include "platform/picture.h"
#include "platform/platform.h"

namespace corvida {

class HeadlessWindowSystem : public WindowSystem, public StackCursorDisplay {
 public:
  explicit HeadlessWindowSystem(VirtualClock& clock) : clock_(clock) {}

  WindowId CreateWindow(const std::string& title_utf8, Size client) override;
  void DestroyWindow(WindowId window) override;
  void SetTitle(WindowId window, const std::string& title_utf8) override;
  Size ClientSize(WindowId window) override;
  void ResizeClient(WindowId window, Size client) override;
  void SetFullScreen(WindowId window, bool on) override;
  bool FullScreen(WindowId window) override;
  // The window's size is what was last set (the client's until then).
  Size WindowSize(WindowId window) override;
  void SetWindowSize(WindowId window, Size size) override;
  std::string TakeDroppedFile(WindowId window) override;
  void Invalidate(WindowId window, const Rect* rect) override;
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
  void SetCursor(CursorShape shape) override { ShowCursor(shape, -1); }
  void SetStackCursor(int slot) override { ShowCursor(CursorShape::kCustom, slot); }
  Point CursorPosition(WindowId) override { return pointer_; }
  bool KeyDown(uint32_t virtual_key) override;
  bool MouseButtonDown() override { return button_down_; }
  void SetClipboardText(const std::string& text) override { clipboard_ = text; }
  std::string ClipboardText() override { return clipboard_; }

  // Scripted input state, set by the test or replay driver alongside the messages it posts.
  void SetPointer(Point p) { pointer_ = p; }
  void SetMouseButton(bool down) { button_down_ = down; }
  void SetKey(uint32_t virtual_key, bool down);
  // A file dropped on the window, as the desktop drops one.
  void DropFile(WindowId window, const std::string& path);
  // Input that arrives later: the message joins the queue when the virtual clock reaches
  // `due_ms`, so a driver can press a key while the player is busy inside a nested loop
  // (a running script, a media wait). Waits jump the clock to it as to a timer.
  void PostMessageAt(const Message& message, uint32_t due_ms);

  // What the player showed: the last presented frame of a window, RGBA, top row first.
  struct Frame {
    std::vector<uint8_t> rgba;
    int width = 0;
    int height = 0;
  };
  const Frame* LastFrame(WindowId window) const;
  // Called after every present with the frame now shown (replay's timed shots).
  void SetPresentObserver(std::function<void(WindowId, const Frame&)> observer) {
    present_observer_ = std::move(observer);
  }
  std::string Title(WindowId window) const;
  CursorShape cursor() const { return cursor_; }
  // The stack cursor slot shown with kCustom; -1 for every other shape.
  int stack_cursor() const { return stack_cursor_; }
  // The pointers shown, in order (the first 1000): what showed during a wait.
  const std::vector<std::pair<CursorShape, int>>& cursor_log() const { return cursor_log_; }
  WindowId capture() const { return capture_; }
  size_t QueuedMessages() const { return messages_.size(); }

 private:
  void ShowCursor(CursorShape shape, int slot) {
    cursor_ = shape;
    stack_cursor_ = slot;
    if (cursor_log_.size() < 1000) cursor_log_.emplace_back(shape, slot);
  }
  struct WindowState {
    std::string title;
    Size client;
    Frame frame;
    bool paint_pending = false;
    bool full_screen = false;
    Size window_size;  // {} until set
    std::vector<std::string> dropped;
  };
  void PaintTaken(const Message& m);
  // Moves the scheduled input whose moment has come into the queue.
  void ReleaseDueInput();
  uint32_t UntilNextInput() const;

  VirtualClock& clock_;
  std::map<WindowId, WindowState> windows_;
  MessageQueue messages_{clock_, MessageQueue::Rhythm::kFromNow};
  std::vector<Message> scheduled_;  // in order of their moments (Message::time)
  WindowId next_window_ = 1;
  WindowId capture_ = 0;
  WindowId focus_ = 0;
  CursorShape cursor_ = CursorShape::kArrow;
  int stack_cursor_ = -1;
  std::vector<std::pair<CursorShape, int>> cursor_log_;
  Point pointer_;
  bool button_down_ = false;
  std::map<uint32_t, bool> keys_;
  std::string clipboard_;
  std::function<void(WindowId, const Frame&)> present_observer_;
};

// Answers alerts without a person: each alert is recorded, and the responder (default:
// the answer nobody chose, UnansweredChoice) picks the answer.
class RecordingAlertResponder : public AlertPresenter {
 public:
  using Responder = std::function<int(const AlertRequest&)>;
  int ShowAlert(const AlertRequest& request) override;
  void ShowMessageBox(const std::string& title, const std::string& text, AlertIcon icon) override;

  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // Every alert and message box shown so far (message boxes have id -1).
  const std::vector<AlertRequest>& shown() const { return shown_; }
  void Clear() { shown_.clear(); }
  // Called after each alert with its text, e.g. to print it on the command line.
  void SetObserver(std::function<void(const AlertRequest&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  Responder responder_;
  std::function<void(const AlertRequest&)> observer_;
  std::vector<AlertRequest> shown_;
};

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(Folders folders) : folders_(std::move(folders)) {}
  Clock& clock() override { return clock_; }
  WindowSystem& windows() override { return windows_; }
  AlertPresenter& alerts() override { return alerts_; }
  AudioOutput* audio() override { return &audio_; }
  PictureDecoder* pictures() override { return &pictures_; }
  // Movies decode for real; they advance with the virtual clock like everything else.
  MovieService* movies() override {
    if (!movies_) movies_ = CreateFfmpegMovieService();
    return movies_.get();
  }
  FontService* fonts() override {
    if (!fonts_) fonts_ = CreateFontService(DefaultFontFolders(folders_.program, folders_.data));
    return fonts_.get();
  }
  const Folders& folders() const override { return folders_; }
  bool headless() const override { return true; }

  VirtualClock& virtual_clock() { return clock_; }
  HeadlessWindowSystem& headless_windows() { return windows_; }
  RecordingAlertResponder& responder() { return alerts_; }
  Folders& mutable_folders() { return folders_; }
  RecordingAudioOutput& recorded_audio() { return audio_; }
  // Replaces the font service, e.g. with one that looks in other folders.
  void SetFontService(std::unique_ptr<FontService> fonts) { fonts_ = std::move(fonts); }

 private:
  Folders folders_;
  VirtualClock clock_;
  HeadlessWindowSystem windows_{clock_};
  RecordingAlertResponder alerts_;
  RecordingAudioOutput audio_{clock_};
  ImagePictureDecoder pictures_;
  std::unique_ptr<FontService> fonts_;    // made on first use
  std::unique_ptr<MovieService> movies_;  // made on first use
};

}  // namespace corvida
