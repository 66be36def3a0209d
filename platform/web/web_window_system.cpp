#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/web/web_platform.h"

namespace corvida::web {

// The page side of the window system: Module.corvida is the page script's object for
// this player element (its canvas, cursor and clipboard).
EM_JS(double, web_now, (), { return performance.now(); });

EM_JS(void, web_show_frame, (const uint8_t* pixels, int width, int height), {
  Module.corvida.showFrame(HEAPU8.subarray(pixels, pixels + width * height * 4), width, height);
});

EM_JS(void, web_set_cursor, (const char* name), { Module.corvida.setCursor(UTF8ToString(name)); });

// The page may refuse full screen (no user gesture): the element then stays as it is.
EM_JS(void, web_full_screen, (bool on), {
  if (Module.corvida.fullScreen) Module.corvida.fullScreen(on);
});

EM_JS(void, web_copy_text, (const char* text), { Module.corvida.copyText(UTF8ToString(text)); });

// Sleeps until the time passes or the page wakes the player (input, a download). The page
// script is told when the player sleeps and wakes, so it can measure the work between.
EM_JS(void, web_sleep, (uint32_t ms), {
  // Called again as the player resumes (the rewind), which is not a new sleep.
  if (Asyncify.state != Asyncify.State.Rewinding && Module.corvida.sleeping)
    Module.corvida.sleeping();
  Asyncify.handleSleep(function(wakeUp) {
    var done = false;
    var timer = 0;
    var finish = function() {
      if (done) return;
      done = true;
      clearTimeout(timer);
      Module.corvidaWake = null;
      if (Module.corvida.waking) Module.corvida.waking();
      wakeUp();
    };
    timer = setTimeout(finish, ms);
    Module.corvidaWake = function() {
      Promise.resolve().then(finish);
    };
  });
});

EM_JS(void, web_wake, (), {
  if (Module.corvidaWake) Module.corvidaWake();
});

namespace {

constexpr uint32_t kForever = MessageQueue::kForever;
// A wait without a deadline still looks again now and then.
constexpr uint32_t kLongestSleepMs = 1000;

}  // namespace

uint32_t PageClock::Milliseconds() {
  return static_cast<uint32_t>(static_cast<uint64_t>(web_now()));
}

WebWindowSystem::Window* WebWindowSystem::Find(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowId WebWindowSystem::CreateWindow(const std::string&, Size client) {
  if (client.width <= 0 || client.height <= 0 || client.width > 16384 || client.height > 16384)
    return 0;
  const WindowId id = next_window_++;
  windows_[id] = Window{client, false};
  if (shown_ == 0) shown_ = id;
  Invalidate(id, nullptr);
  return id;
}

void WebWindowSystem::DestroyWindow(WindowId window) {
  if (!Find(window)) return;
  windows_.erase(window);
  messages_.Forget(window);
  if (shown_ == window) shown_ = 0;
  if (focus_ == window) focus_ = 0;
  if (capture_ == window) capture_ = 0;
}

// The page keeps its own title; a stack's title is not the page's.
void WebWindowSystem::SetTitle(WindowId, const std::string&) {}

Size WebWindowSystem::ClientSize(WindowId window) {
  Window* w = Find(window);
  return w == nullptr ? Size{} : w->client;
}

// The page scales whatever size the frames have into the element, so a new client size
// only needs the player told and a new frame.
void WebWindowSystem::ResizeClient(WindowId window, Size client) {
  Window* w = Find(window);
  if (w == nullptr || client.width <= 0 || client.height <= 0 || w->client == client) return;
  w->client = client;
  PostMessage({window, msg::kSize, 0, MakePointParam(client.width, client.height), 0});
  Invalidate(window, nullptr);
}

void WebWindowSystem::SetFullScreen(WindowId window, bool on) {
  Window* w = Find(window);
  if (w == nullptr) return;
  w->full_screen = on;
  if (window == shown_) web_full_screen(on);
}

bool WebWindowSystem::FullScreen(WindowId window) {
  Window* w = Find(window);
  return w != nullptr && w->full_screen;
}

void WebWindowSystem::Invalidate(WindowId window, const Rect*) {
  Window* w = Find(window);
  if (w == nullptr || w->paint_pending) return;
  w->paint_pending = true;
  messages_.Post(Message{window, msg::kPaint, 0, 0, clock_.Milliseconds()});
}

void WebWindowSystem::Present(WindowId window, const RgbaView& frame, Point) {
  Window* w = Find(window);
  if (w == nullptr || window != shown_ || frame.pixels == nullptr || frame.width <= 0 ||
      frame.height <= 0 || frame.stride < frame.width * 4)
    return;
  if (w->client != Size{frame.width, frame.height}) {
    w->client = {frame.width, frame.height};
    messages_.Post(Message{window, msg::kSize, 0, MakePointParam(frame.width, frame.height),
                           clock_.Milliseconds()});
  }
  if (frame.stride == frame.width * 4) {
    web_show_frame(frame.pixels, frame.width, frame.height);
    return;
  }
  std::vector<uint8_t> packed(size_t(frame.width) * size_t(frame.height) * 4);
  for (int y = 0; y < frame.height; ++y) {
    const uint8_t* row = frame.pixels + size_t(y) * size_t(frame.stride);
    std::copy(row, row + size_t(frame.width) * 4, packed.data() + size_t(y) * frame.width * 4);
  }
  web_show_frame(packed.data(), frame.width, frame.height);
}

void WebWindowSystem::SetTimer(WindowId window, uint32_t id, uint32_t ms) {
  messages_.SetTimer(window, id, ms);
}

void WebWindowSystem::KillTimer(WindowId window, uint32_t id) {
  messages_.KillTimer(window, id);
}

// Posted by the player or by the page (its menu); a sleeping wait wakes up.
void WebWindowSystem::PostMessage(const Message& message) {
  messages_.Post(message);
  web_wake();
}

void WebWindowSystem::PaintTaken(const Message& m) {
  if (m.message != msg::kPaint) return;
  if (Window* w = Find(m.window)) w->paint_pending = false;
}

bool WebWindowSystem::WaitMessage(Message& out, uint32_t timeout_ms) {
  const uint32_t start = clock_.Milliseconds();
  for (;;) {
    if (messages_.TakeQueued(out)) {
      PaintTaken(out);
      return true;
    }
    if (messages_.TakeDueTimer(out)) return true;
    const uint32_t elapsed = clock_.Milliseconds() - start;
    if (timeout_ms != kForever && elapsed >= timeout_ms) return false;
    uint32_t wait = timeout_ms == kForever ? kForever : timeout_ms - elapsed;
    wait = std::min({wait, messages_.UntilNextTimer(), kLongestSleepMs});
    web_sleep(wait);
  }
}

bool WebWindowSystem::PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                                  bool remove) {
  if (!messages_.Peek(out, window, first, last, remove)) return false;
  if (remove) PaintTaken(out);
  return true;
}

bool WebWindowSystem::TakeThroughKey(uint32_t virtual_key) {
  return messages_.TakeThroughKey(virtual_key);
}

void WebWindowSystem::SetStackCursor(int slot) {
  const CursorArt art = StackCursorArt(slot);
  if (art.rows == nullptr) return SetCursor(CursorShape::kArrow);
  if (cursor_ == CursorShape::kCustom && stack_cursor_ == slot) return;
  cursor_ = CursorShape::kCustom;
  stack_cursor_ = slot;
  web_set_cursor(CursorCss(art).c_str());
}

namespace {

// Our own art for the hands, as on the desktop, with the system's like shape to fall back
// on when the page cannot show the picture.
std::string HandCss(CursorShape shape, const std::string& system) {
  std::string css = CursorCss(HandCursorArt(shape));
  const std::string arrow = ", default";
  if (!css.ends_with(arrow)) return system;
  return css.replace(css.size() - arrow.size(), arrow.size(), ", " + system);
}

}  // namespace

void WebWindowSystem::SetCursor(CursorShape shape) {
  if (shape == cursor_) return;
  cursor_ = shape;
  stack_cursor_ = -1;
  std::string css = "default";
  switch (shape) {
    case CursorShape::kHand:
      css = HandCss(shape, "pointer");
      break;
    case CursorShape::kFlatHand:
      css = HandCss(shape, "grab");
      break;
    case CursorShape::kGrabHand:
      css = HandCss(shape, "grabbing");
      break;
    case CursorShape::kIBeam:
      css = "text";
      break;
    case CursorShape::kWait:
      css = "wait";
      break;
    case CursorShape::kCross:
      css = "crosshair";
      break;
    case CursorShape::kArrow:
    case CursorShape::kCustom:
      break;
  }
  web_set_cursor(css.c_str());
}

void WebWindowSystem::SetClipboardText(const std::string& text) {
  clipboard_ = text;
  web_copy_text(text.c_str());
}

void WebWindowSystem::Queue(const std::vector<Message>& messages) {
  for (const Message& m : messages) messages_.Post(m);
  if (!messages.empty()) web_wake();
}

void WebWindowSystem::Key(const KeyInput& input) {
  if (shown_ == 0) return;
  const uint32_t vk = VirtualKeyFromCode(input.code);
  if (vk != 0 && input.down) held_keys_.insert(vk);
  if (vk != 0 && !input.down) held_keys_.erase(vk);
  translated_.clear();
  TranslateKey(input, focus_ ? focus_ : shown_, clock_.Milliseconds(), translated_);
  Queue(translated_);
}

void WebWindowSystem::Mouse(MouseInput input) {
  if (shown_ == 0) return;
  if (input.inside || capture_ != 0) pointer_ = input.at;
  mouse_buttons_ = input.buttons;
  input.captured = capture_ != 0;
  translated_.clear();
  TranslateMouse(input, capture_ ? capture_ : shown_, clock_.Milliseconds(), translated_);
  Queue(translated_);
}

void WebWindowSystem::FocusChanged(bool focused) {
  if (shown_ == 0) return;
  if (!focused) held_keys_.clear();
  const uint32_t now = clock_.Milliseconds();
  Queue({Message{shown_, msg::kActivate, focused ? 1u : 0u, 0, now},
         Message{shown_, focused ? msg::kSetFocus : msg::kKillFocus, 0, 0, now}});
  focus_ = focused ? shown_ : 0;
}

}  // namespace corvida::web
