#include "platform/sdl/sdl_window_system.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "platform/charset.h"
#include "platform/lazy_libs.h"

namespace corvida::sdl {

constexpr uint32_t kForever = MessageQueue::kForever;

SdlWindowSystem::~SdlWindowSystem() {
  while (!windows_.empty()) DestroyWindow(windows_.begin()->first);
  for (auto& [shape, cursor] : cursors_) SDL_FreeCursor(cursor);
  for (auto& [slot, cursor] : stack_cursors_) SDL_FreeCursor(cursor);
  if (started_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {

bool ShowsNothing(const char* driver) {
  return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

}  // namespace

bool SdlWindowSystem::Start(std::string& error) {
  if (started_) return true;
  // SDL2 is opened now, not when the program starts (platform/lazy_libs.h).
  if (!LazyAvailable(LazyGroup::kSdl)) {
    error = LazyError(LazyGroup::kSdl);
    return false;
  }
  // Ctrl+C ends the command-line program as usual; closing the last window is the
  // player's own decision (it gets kClose); a click that activates the window also counts
  // as a click, as on the classic system; pixels are scaled by nearest neighbour.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  // Without a display SDL falls back to a driver that shows nothing, where nobody could
  // ever see or close the window. Such a driver is used only when asked for by name (the
  // tests ask for "dummy").
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && ShowsNothing(driver) && (asked == nullptr || *asked == '\0')) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    error = std::string("SDL finds only its \"") + driver +
            "\" video driver, which shows nothing; is DISPLAY or WAYLAND_DISPLAY set?";
    return false;
  }
  started_ = true;
  const uint32_t wake = SDL_RegisterEvents(1);
  if (wake != uint32_t(-1)) wake_event_ = wake;
  modifiers_ = static_cast<uint16_t>(SDL_GetModState());
  return true;
}

SdlWindowSystem::Window* SdlWindowSystem::Find(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowId SdlWindowSystem::FromSdl(uint32_t sdl_window_id) const {
  for (const auto& [id, w] : windows_) {
    if (SDL_GetWindowID(w.window) == sdl_window_id) return id;
  }
  return 0;
}

bool SdlWindowSystem::MakeTexture(Window& w) {
  if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
  w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING,
                                w.client.width, w.client.height);
  if (w.texture == nullptr) return false;
  SDL_SetTextureScaleMode(w.texture, SDL_ScaleModeNearest);
  // White until the player presents its first frame, as an empty player window is.
  std::vector<uint8_t> white(static_cast<size_t>(w.client.width) * w.client.height * 4, 0xFF);
  SDL_UpdateTexture(w.texture, nullptr, white.data(), w.client.width * 4);
  return true;
}

void SdlWindowSystem::UpdateLayout(Window& w) {
  int width = 0, height = 0;
  SDL_GetWindowSize(w.window, &width, &height);
  w.layout = ComputeLayout(w.client, {width, height});
}

WindowId SdlWindowSystem::CreateWindow(const std::string& title_utf8, Size client) {
  if (!started_ || client.width <= 0 || client.height <= 0 || client.width > 16384 ||
      client.height > 16384) {
    return 0;
  }
  SDL_Rect usable{0, 0, client.width, client.height};
  SDL_GetDisplayUsableBounds(0, &usable);
  Size size = InitialWindowSize(client, {usable.w, usable.h});
  Window w;
  w.client = client;
  w.window = SDL_CreateWindow(title_utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              size.width, size.height, SDL_WINDOW_RESIZABLE);
  if (w.window == nullptr) return 0;
  SDL_SetWindowMinimumSize(w.window, 64, 64);
  w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_ACCELERATED);
  if (w.renderer == nullptr) w.renderer = SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  if (w.renderer == nullptr || !MakeTexture(w)) {
    if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
    SDL_DestroyWindow(w.window);
    return 0;
  }
  UpdateLayout(w);
  WindowId id = next_window_++;
  windows_[id] = w;
  Invalidate(id, nullptr);
  return id;
}

void SdlWindowSystem::DestroyWindow(WindowId window) {
  Window* w = Find(window);
  if (w == nullptr) return;
  SDL_DestroyTexture(w->texture);
  SDL_DestroyRenderer(w->renderer);
  SDL_DestroyWindow(w->window);
  windows_.erase(window);
  messages_.Forget(window);
  if (focus_ == window) focus_ = 0;
  if (capture_ == window) ReleaseCapture();
}

void SdlWindowSystem::SetTitle(WindowId window, const std::string& title_utf8) {
  if (Window* w = Find(window)) SDL_SetWindowTitle(w->window, title_utf8.c_str());
}

Size SdlWindowSystem::ClientSize(WindowId window) {
  Window* w = Find(window);
  return w == nullptr ? Size{} : w->client;
}

Layout SdlWindowSystem::LayoutOf(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? Layout{} : it->second.layout;
}

SDL_Window* SdlWindowSystem::NativeWindow(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.window;
}

void SdlWindowSystem::ResizeClient(WindowId window, Size client) {
  Window* w = Find(window);
  if (w == nullptr || client.width <= 0 || client.height <= 0 || client == w->client) return;
  Size old = w->client;
  w->client = client;
  if (!MakeTexture(*w)) {
    w->client = old;
    MakeTexture(*w);
    return;
  }
  SDL_Rect usable{0, 0, client.width, client.height};
  SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(w->window), &usable);
  Size size = InitialWindowSize(client, {usable.w, usable.h});
  // The magnification the user chose stays while it fits (the menu bar coming and going).
  const int factor = old.width > 0 ? w->layout.dest.Width() / old.width : 0;
  if (factor >= 1 && client.width * factor <= usable.w && client.height * factor <= usable.h)
    size = {client.width * factor, client.height * factor};
  const uint32_t flags = SDL_GetWindowFlags(w->window);
  if (!(flags & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MAXIMIZED)))
    SDL_SetWindowSize(w->window, size.width, size.height);
  UpdateLayout(*w);
  PostMessage({window, msg::kSize, 0, MakePointParam(client.width, client.height)});
  Invalidate(window, nullptr);
}

void SdlWindowSystem::SetFullScreen(WindowId window, bool on) {
  Window* w = Find(window);
  if (w == nullptr) return;
  SDL_SetWindowFullscreen(w->window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  UpdateLayout(*w);
  Invalidate(window, nullptr);
}

bool SdlWindowSystem::FullScreen(WindowId window) {
  Window* w = Find(window);
  return w != nullptr && (SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

Size SdlWindowSystem::WindowSize(WindowId window) {
  Window* w = Find(window);
  if (w == nullptr) return {};
  int width = 0, height = 0;
  SDL_GetWindowSize(w->window, &width, &height);
  return {width, height};
}

void SdlWindowSystem::SetWindowSize(WindowId window, Size size) {
  Window* w = Find(window);
  if (w == nullptr || size.width <= 0 || size.height <= 0) return;
  if (SDL_GetWindowFlags(w->window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_MAXIMIZED)) return;
  SDL_Rect usable{0, 0, size.width, size.height};
  SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(w->window), &usable);
  SDL_SetWindowSize(w->window, std::clamp(size.width, 64, std::max(64, usable.w)),
                    std::clamp(size.height, 64, std::max(64, usable.h)));
  UpdateLayout(*w);
  Invalidate(window, nullptr);
}

std::string SdlWindowSystem::TakeDroppedFile(WindowId window) {
  Window* w = Find(window);
  if (w == nullptr || w->dropped.empty()) return {};
  std::string path = std::move(w->dropped.front());
  w->dropped.pop_front();
  return path;
}

void SdlWindowSystem::Invalidate(WindowId window, const Rect*) {
  Window* w = Find(window);
  if (w == nullptr || w->paint_pending) return;
  w->paint_pending = true;
  messages_.Post(Message{window, msg::kPaint, 0, 0, clock_.Milliseconds()});
}

void SdlWindowSystem::Present(WindowId window, const RgbaView& frame, Point at) {
  Window* w = Find(window);
  if (w == nullptr || frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) return;
  Rect target = Rect{at.x, at.y, at.x + frame.width, at.y + frame.height}.Intersect(
      {0, 0, w->client.width, w->client.height});
  if (!target.Empty()) {
    const uint8_t* first = frame.pixels + static_cast<size_t>(target.top - at.y) * frame.stride +
                           static_cast<size_t>(target.left - at.x) * 4;
    SDL_Rect r{target.left, target.top, target.Width(), target.Height()};
    SDL_UpdateTexture(w->texture, &r, first, frame.stride);
  }
  Render(*w);
}

// Shows the client's pixels: black letterbox, the picture scaled into the layout's
// rectangle (computed for the renderer's own output size, which may differ from the
// window's on high-density displays).
void SdlWindowSystem::Render(Window& w) {
  if (SDL_GetWindowFlags(w.window) & SDL_WINDOW_MINIMIZED) return;
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(w.renderer, &width, &height) != 0) return;
  Layout out = ComputeLayout(w.client, {width, height});
  SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  SDL_RenderClear(w.renderer);
  SDL_Rect dest{out.dest.left, out.dest.top, out.dest.Width(), out.dest.Height()};
  SDL_RenderCopy(w.renderer, w.texture, nullptr, &dest);
  SDL_RenderPresent(w.renderer);
}

void SdlWindowSystem::SetTimer(WindowId window, uint32_t id, uint32_t ms) {
  messages_.SetTimer(window, id, ms);
}

void SdlWindowSystem::KillTimer(WindowId window, uint32_t id) {
  messages_.KillTimer(window, id);
}

void SdlWindowSystem::PostMessage(const Message& message) {
  messages_.Post(message);
}

// A paint taken from the queue lets the window ask for the next one.
void SdlWindowSystem::PaintTaken(const Message& m) {
  if (m.message != msg::kPaint) return;
  if (Window* w = Find(m.window)) w->paint_pending = false;
}

void SdlWindowSystem::Pump() {
  if (!started_) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    Dispatch(event);
    // SDL hands the dropped file's name over to us.
    if (event.type == SDL_DROPFILE) SDL_free(event.drop.file);
  }
}

bool SdlWindowSystem::WaitMessage(Message& out, uint32_t timeout_ms) {
  uint32_t start = clock_.Milliseconds();
  for (;;) {
    Pump();
    if (messages_.TakeQueued(out)) {
      PaintTaken(out);
      return true;
    }
    if (messages_.TakeDueTimer(out)) return true;
    uint32_t elapsed = clock_.Milliseconds() - start;
    if (timeout_ms != kForever && elapsed >= timeout_ms) return false;
    uint32_t wait = timeout_ms == kForever ? kForever : timeout_ms - elapsed;
    wait = std::min(wait, messages_.UntilNextTimer());
    // Without windows or timers nothing can ever arrive: do not hang.
    if (wait == kForever && windows_.empty()) return false;
    SDL_Event event;
    int sdl_wait = wait == kForever ? -1 : static_cast<int>(std::min<uint32_t>(wait, INT_MAX));
    if (started_ && SDL_WaitEventTimeout(&event, sdl_wait)) Dispatch(event);
    if (!started_ && wait != kForever) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
  }
}

void SdlWindowSystem::WakeFromThread() {
  // SDL_PushEvent may be called from any thread; the event becomes a kWake message.
  SDL_Event event{};
  event.type = wake_event_;
  if (event.type != 0) SDL_PushEvent(&event);
}

bool SdlWindowSystem::PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                                  bool remove) {
  Pump();
  if (!messages_.Peek(out, window, first, last, remove)) return false;
  if (remove) PaintTaken(out);
  return true;
}

bool SdlWindowSystem::TakeThroughKey(uint32_t virtual_key) {
  Pump();
  return messages_.TakeThroughKey(virtual_key);
}

}  // namespace corvida::sdl
