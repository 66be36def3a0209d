#include "platform/headless/headless.h"

#include <algorithm>
#include <cstring>

namespace corvida {

WindowId HeadlessWindowSystem::CreateWindow(const std::string& title_utf8, Size client) {
  WindowId id = next_window_++;
  WindowState state;
  state.title = title_utf8;
  state.client = client;
  windows_[id] = std::move(state);
  return id;
}

void HeadlessWindowSystem::DestroyWindow(WindowId window) {
  windows_.erase(window);
  messages_.Forget(window);
  if (focus_ == window) focus_ = 0;
  if (capture_ == window) capture_ = 0;
}

void HeadlessWindowSystem::SetTitle(WindowId window, const std::string& title_utf8) {
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.title = title_utf8;
}

Size HeadlessWindowSystem::ClientSize(WindowId window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? Size{} : it->second.client;
}

void HeadlessWindowSystem::ResizeClient(WindowId window, Size client) {
  auto it = windows_.find(window);
  if (it == windows_.end() || client.width <= 0 || client.height <= 0) return;
  if (it->second.client == client) return;
  it->second.client = client;
  PostMessage({window, msg::kSize, 0, MakePointParam(client.width, client.height), 0});
  Invalidate(window, nullptr);
}

void HeadlessWindowSystem::SetFullScreen(WindowId window, bool on) {
  auto it = windows_.find(window);
  if (it != windows_.end()) it->second.full_screen = on;
}

bool HeadlessWindowSystem::FullScreen(WindowId window) {
  auto it = windows_.find(window);
  return it != windows_.end() && it->second.full_screen;
}

Size HeadlessWindowSystem::WindowSize(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return {};
  const WindowState& w = it->second;
  return w.window_size.width > 0 ? w.window_size : w.client;
}

void HeadlessWindowSystem::SetWindowSize(WindowId window, Size size) {
  auto it = windows_.find(window);
  if (it == windows_.end() || size.width <= 0 || size.height <= 0 || it->second.full_screen) return;
  it->second.window_size = size;
  Invalidate(window, nullptr);
}

void HeadlessWindowSystem::DropFile(WindowId window, const std::string& path) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  it->second.dropped.push_back(path);
  PostMessage({window, msg::kDropFiles, 0, 0, clock_.Milliseconds()});
}

std::string HeadlessWindowSystem::TakeDroppedFile(WindowId window) {
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.dropped.empty()) return {};
  std::string path = std::move(it->second.dropped.front());
  it->second.dropped.erase(it->second.dropped.begin());
  return path;
}

void HeadlessWindowSystem::Invalidate(WindowId window, const Rect*) {
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.paint_pending) return;
  it->second.paint_pending = true;
  messages_.Post(Message{window, msg::kPaint, 0, 0, clock_.Milliseconds()});
}

void HeadlessWindowSystem::Present(WindowId window, const RgbaView& frame, Point at) {
  auto it = windows_.find(window);
  if (it == windows_.end() || frame.pixels == nullptr) return;
  Frame& f = it->second.frame;
  int width = std::max(it->second.client.width, at.x + frame.width);
  int height = std::max(it->second.client.height, at.y + frame.height);
  if (f.width != width || f.height != height) {
    f.width = width;
    f.height = height;
    f.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
  }
  for (int y = 0; y < frame.height; ++y) {
    int ty = at.y + y;
    if (ty < 0) continue;
    int x0 = std::max(0, -at.x);
    if (x0 >= frame.width) continue;
    std::memcpy(&f.rgba[(static_cast<size_t>(ty) * width + at.x + x0) * 4],
                frame.pixels + static_cast<size_t>(y) * frame.stride + x0 * 4,
                static_cast<size_t>(frame.width - x0) * 4);
  }
  if (present_observer_) present_observer_(window, f);
}

void HeadlessWindowSystem::SetTimer(WindowId window, uint32_t id, uint32_t ms) {
  messages_.SetTimer(window, id, ms);
}

void HeadlessWindowSystem::KillTimer(WindowId window, uint32_t id) {
  messages_.KillTimer(window, id);
}

void HeadlessWindowSystem::PostMessage(const Message& message) {
  messages_.Post(message);
}

// A paint taken from the queue lets the window ask for the next one.
void HeadlessWindowSystem::PaintTaken(const Message& m) {
  if (m.message != msg::kPaint) return;
  auto it = windows_.find(m.window);
  if (it != windows_.end()) it->second.paint_pending = false;
}

void HeadlessWindowSystem::PostMessageAt(const Message& message, uint32_t due_ms) {
  Message m = message;
  m.time = due_ms;
  auto later = std::upper_bound(
      scheduled_.begin(), scheduled_.end(), m,
      [&](const Message& a, const Message& b) { return int32_t(a.time - b.time) < 0; });
  scheduled_.insert(later, m);
  ReleaseDueInput();
}

void HeadlessWindowSystem::ReleaseDueInput() {
  const uint32_t now = clock_.Milliseconds();
  size_t due = 0;
  while (due < scheduled_.size() && int32_t(scheduled_[due].time - now) <= 0)
    messages_.Post(scheduled_[due++]);
  scheduled_.erase(scheduled_.begin(), scheduled_.begin() + long(due));
}

uint32_t HeadlessWindowSystem::UntilNextInput() const {
  if (scheduled_.empty()) return MessageQueue::kForever;
  return uint32_t(std::max<int32_t>(0, int32_t(scheduled_.front().time - clock_.Milliseconds())));
}

bool HeadlessWindowSystem::WaitMessage(Message& out, uint32_t timeout_ms) {
  ReleaseDueInput();
  if (messages_.TakeQueued(out)) {
    PaintTaken(out);
    return true;
  }
  if (messages_.TakeDueTimer(out)) return true;
  // Nothing queued: jump the virtual clock to the next timer, the next scheduled input
  // or the end of the wait.
  uint32_t wait = std::min({timeout_ms, messages_.UntilNextTimer(), UntilNextInput()});
  if (wait == MessageQueue::kForever) return false;  // nothing will ever arrive: do not hang
  clock_.Advance(wait);
  ReleaseDueInput();
  if (messages_.TakeQueued(out)) {
    PaintTaken(out);
    return true;
  }
  return messages_.TakeDueTimer(out);
}

bool HeadlessWindowSystem::PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                                       bool remove) {
  ReleaseDueInput();
  if (!messages_.Peek(out, window, first, last, remove)) return false;
  if (remove) PaintTaken(out);
  return true;
}

bool HeadlessWindowSystem::TakeThroughKey(uint32_t virtual_key) {
  ReleaseDueInput();
  return messages_.TakeThroughKey(virtual_key);
}

bool HeadlessWindowSystem::KeyDown(uint32_t virtual_key) {
  auto it = keys_.find(virtual_key);
  return it != keys_.end() && it->second;
}

void HeadlessWindowSystem::SetKey(uint32_t virtual_key, bool down) {
  keys_[virtual_key] = down;
}

const HeadlessWindowSystem::Frame* HeadlessWindowSystem::LastFrame(WindowId window) const {
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.frame.rgba.empty()) return nullptr;
  return &it->second.frame;
}

std::string HeadlessWindowSystem::Title(WindowId window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second.title;
}

int RecordingAlertResponder::ShowAlert(const AlertRequest& request) {
  shown_.push_back(request);
  int answer = responder_ ? responder_(request) : UnansweredChoice(request);
  if (request.buttons.empty())
    answer = 0;
  else
    answer = std::clamp(answer, 0, static_cast<int>(request.buttons.size()) - 1);
  if (observer_) observer_(request);
  return answer;
}

void RecordingAlertResponder::ShowMessageBox(const std::string& title, const std::string& text,
                                             AlertIcon icon) {
  AlertRequest request;
  request.id = -1;
  request.text = title.empty() ? text : title + ": " + text;
  request.buttons = {"OK"};
  request.icon = icon;
  shown_.push_back(request);
  if (observer_) observer_(request);
}

}  // namespace corvida
