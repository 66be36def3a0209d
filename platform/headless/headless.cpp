#include "platform/headless/headless.h"

#include <algorithm>
#include <cstring>

namespace corvida {

WindowId HeadlessWindowSystem::CreateWindow(const std::string& title_utf8, Size client) {
  WindowId id = next_window_++;
  windows_[id] = WindowState{title_utf8, client, {}, false};
  return id;
}

void HeadlessWindowSystem::DestroyWindow(WindowId window) {
  windows_.erase(window);
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  std::erase_if(queue_, [&](const Message& m) { return m.window == window; });
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

void HeadlessWindowSystem::Invalidate(WindowId window, const Rect*) {
  auto it = windows_.find(window);
  if (it == windows_.end() || it->second.paint_pending) return;
  it->second.paint_pending = true;
  queue_.push_back(Message{window, msg::kPaint, 0, 0, clock_.Milliseconds()});
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
  KillTimer(window, id);
  uint32_t period = std::max<uint32_t>(ms, 1);
  timers_.push_back(Timer{window, id, period, clock_.Milliseconds() + period});
}

void HeadlessWindowSystem::KillTimer(WindowId window, uint32_t id) {
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; });
}

void HeadlessWindowSystem::PostMessage(const Message& message) {
  Message m = message;
  if (m.time == 0) m.time = clock_.Milliseconds();
  queue_.push_back(m);
}

// A timer is due when the clock has reached its deadline; like the system's, a timer
// message is produced only when the queue is otherwise empty and never piles up.
bool HeadlessWindowSystem::TakeDueTimer(Message& out) {
  uint32_t now = clock_.Milliseconds();
  Timer* best = nullptr;
  for (Timer& t : timers_) {
    if (static_cast<int32_t>(now - t.due) >= 0 &&
        (best == nullptr || static_cast<int32_t>(t.due - best->due) < 0)) {
      best = &t;
    }
  }
  if (best == nullptr) return false;
  out = Message{best->window, msg::kTimer, best->id, 0, now};
  best->due = now + best->period;
  return true;
}

bool HeadlessWindowSystem::WaitMessage(Message& out, uint32_t timeout_ms) {
  if (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    if (out.message == msg::kPaint) {
      auto it = windows_.find(out.window);
      if (it != windows_.end()) it->second.paint_pending = false;
    }
    return true;
  }
  if (TakeDueTimer(out)) return true;
  // Nothing queued: jump the virtual clock to the next timer or to the end of the wait.
  uint32_t now = clock_.Milliseconds();
  uint32_t wait = timeout_ms;
  for (const Timer& t : timers_) {
    uint32_t until = static_cast<int32_t>(t.due - now) > 0 ? t.due - now : 0;
    wait = std::min(wait, until);
  }
  if (wait == 0xFFFFFFFFu) return false;  // nothing will ever arrive: do not hang
  clock_.Advance(wait);
  return TakeDueTimer(out);
}

bool HeadlessWindowSystem::PeekMessage(Message& out, WindowId window, uint32_t first, uint32_t last,
                                       bool remove) {
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (window != 0 && it->window != window) continue;
    if ((first != 0 || last != 0) && (it->message < first || it->message > last)) continue;
    out = *it;
    if (remove) {
      if (out.message == msg::kPaint) {
        auto w = windows_.find(out.window);
        if (w != windows_.end()) w->second.paint_pending = false;
      }
      queue_.erase(it);
    }
    return true;
  }
  if ((first == 0 && last == 0) || (msg::kTimer >= first && msg::kTimer <= last)) {
    uint32_t now = clock_.Milliseconds();
    for (const Timer& t : timers_) {
      if ((window == 0 || t.window == window) && static_cast<int32_t>(now - t.due) >= 0) {
        if (!remove) {
          out = Message{t.window, msg::kTimer, t.id, 0, now};
          return true;
        }
        return TakeDueTimer(out);
      }
    }
  }
  return false;
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
  int answer = responder_ ? responder_(request) : request.default_button;
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
