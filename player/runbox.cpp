#include "player/runbox.h"

#include <charconv>

#include "platform/text.h"
#include "player/player_window.h"
#include "player/workspace_store.h"

namespace corvida {
namespace {

constexpr uint32_t kNoLimit = 0xFFFFFFFF;
constexpr int kRectLimit = 32767;
constexpr const char* kPrefSection = "user";
constexpr const char* kPrefKey = "RunBoxRect";

bool IsMouse(uint32_t message) {
  return message >= msg::kMouseMove && message <= msg::kMouseWheel;
}

}  // namespace

std::optional<Rect> ParseRunBoxRect(std::string_view text) {
  int sides[4];
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int& side : sides) {
    while (at < end && *at == ' ') ++at;
    auto [next, error] = std::from_chars(at, end, side);
    if (error != std::errc() || side < -kRectLimit || side > kRectLimit) return std::nullopt;
    at = next;
  }
  while (at < end && *at == ' ') ++at;
  const Rect rect{sides[0], sides[1], sides[2], sides[3]};
  if (at != end || rect.Empty()) return std::nullopt;
  return rect;
}

std::string RunBoxRectText(const Rect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

PlayerRunBox::PlayerRunBox(PlayerWindow& window) : window_(window) {}

Size PlayerRunBox::WindowSize() const {
  if (!window_.window_) return window_.CardSize();
  return window_.player_.platform.windows().ClientSize(window_.window_);
}

// Along the top of the card, below a shown menu bar, as wide as the window.
Rect PlayerRunBox::FirstRect() const {
  const int top = window_.bar_top_;
  return {0, top, WindowSize().width, top + RunBoxPanel::kFirstHeight};
}

void PlayerRunBox::Open() {
  focused_ = true;
  if (open_) return Show();
  if (!remembered_)
    remembered_ = ParseRunBoxRect(window_.player_.prefs.ReadPref(kPrefSection, kPrefKey));
  panel_.SetFonts(window_.player_.platform.fonts());
  panel_.Place(remembered_ ? *remembered_ : FirstRect(), WindowSize());
  opened_at_ = panel_.rect();
  panel_.entry().SetText(kRunBoxGreeting);
  panel_.entry().SelectAll();
  open_ = true;
  Wake();
  window_.Log("run box opened");
  Show();
}

void PlayerRunBox::Close() {
  if (!open_) return;
  if (panel_.rect() != opened_at_) {
    remembered_ = panel_.rect();
    window_.player_.prefs.WritePref(kPrefSection, kPrefKey, RunBoxRectText(*remembered_));
  }
  panel_.MouseUp();
  panel_.CloseMenu();
  open_ = focused_ = false;
  window_.Log("run box closed");
  Show();
}

void PlayerRunBox::Fit() {
  if (open_) panel_.Place(panel_.rect(), WindowSize());
}

void PlayerRunBox::Show() {
  window_.Present();
}

void PlayerRunBox::Draw(gfx::DrawTarget& target) const {
  if (open_) panel_.Draw(target, focused_, caret_on_);
}

void PlayerRunBox::Wake() {
  blink_from_ = window_.player_.platform.clock().Milliseconds();
  caret_on_ = true;
}

void PlayerRunBox::Tick() {
  if (!focused()) return;
  const uint32_t now = window_.player_.platform.clock().Milliseconds();
  const bool on = ((now - blink_from_) / kBlinkMs) % 2 == 0;
  if (on == caret_on_) return;
  caret_on_ = on;
  // Only a caret (no selection) blinks; the picture changes only then.
  if (!panel_.entry().has_selection()) Show();
}

// While the menu is open it has the mouse and the keys: a press chooses (or, outside
// the menu, only closes it), a release of the right button away from where the menu
// opened chooses too, Escape closes it.
bool PlayerRunBox::MenuMessage(const Message& m, Point p) {
  switch (m.message) {
    case msg::kMouseMove:
      if (panel_.MenuHover(p)) Show();
      return true;
    case msg::kLButtonDown:
    case msg::kLButtonDblClk:
    case msg::kRButtonDown:
      Carry(panel_.MenuChoose(p));
      Show();
      return true;
    case msg::kRButtonUp:
      if (p != menu_opened_at_ && panel_.MenuItemAt(p) >= 0) {
        Carry(panel_.MenuChoose(p));
        Show();
      }
      return true;
    case msg::kKeyDown: {
      const std::optional<RunBoxCommand> command = panel_.KeyDown(uint32_t(m.wParam), false, false);
      if (command) Carry(*command);
      Show();
      return true;
    }
    default:
      return IsMouse(m.message) || m.message == msg::kChar || m.message == msg::kKeyUp;
  }
}

void PlayerRunBox::TrackModifiers(const Message& m) {
  const bool down = m.message == msg::kKeyDown || m.message == msg::kSysKeyDown;
  const bool up = m.message == msg::kKeyUp || m.message == msg::kSysKeyUp;
  if (m.message == msg::kKillFocus) shift_ = ctrl_ = false;
  if (!down && !up) return;
  if (m.wParam == vk::kShift) shift_ = down;
  if (m.wParam == vk::kControl) ctrl_ = down;
}

bool PlayerRunBox::ModifierDown(uint32_t key) const {
  return (key == vk::kShift ? shift_ : ctrl_) || window_.player_.platform.windows().KeyDown(key);
}

bool PlayerRunBox::TakeMessage(const Message& m) {
  WindowSystem& windows = window_.player_.platform.windows();
  TrackModifiers(m);
  const bool shift = ModifierDown(vk::kShift), ctrl = ModifierDown(vk::kControl);
  if (m.message == msg::kKeyDown && m.wParam == 'R' && ctrl && !shift) {
    window_.DoCommand(MenuCommand::kRunBox);
    return true;
  }
  if (!open_) return false;
  const Point p{ParamX(m.lParam), ParamY(m.lParam)};
  if (panel_.menu_open()) return MenuMessage(m, p);
  if (panel_.dragging() && IsMouse(m.message)) {
    panel_.MouseMove(p, WindowSize());
    if (m.message == msg::kLButtonUp) {
      panel_.MouseUp();
      windows.ReleaseCapture();
    }
    Show();
    return true;
  }
  switch (m.message) {
    case msg::kLButtonDown:
    case msg::kLButtonDblClk:
      if (!panel_.Contains(p)) {
        // The card has it now; the box waits for the next click on it.
        if (focused_) focused_ = false, Show();
        return false;
      }
      focused_ = true;
      Wake();
      Carry(panel_.MouseDown(p, shift));
      if (panel_.dragging()) windows.SetCapture(window_.window_);
      Show();
      return true;
    case msg::kRButtonDown:
      if (!panel_.Contains(p)) return false;
      focused_ = true;
      menu_opened_at_ = p;
      panel_.OpenMenu(p, WindowSize());
      Show();
      return true;
    case msg::kLButtonUp:
    case msg::kMouseMove:
    case msg::kRButtonUp:
    case msg::kMouseWheel:
      return panel_.Contains(p);
    case msg::kKeyDown: {
      // The modifiers stay the window's too (its shortcuts and button outlines).
      if (!focused_ || m.wParam == vk::kShift || m.wParam == vk::kControl) return false;
      const std::optional<RunBoxCommand> command = panel_.KeyDown(uint32_t(m.wParam), shift, ctrl);
      if (!command) return false;
      Wake();
      Carry(*command);
      Show();
      return true;
    }
    case msg::kChar:
      if (!focused_) return false;
      Wake();
      panel_.Char(uint8_t(m.wParam));
      Show();
      return true;
    default:
      return false;
  }
}

void PlayerRunBox::Carry(RunBoxCommand command) {
  WindowSystem& windows = window_.player_.platform.windows();
  TextEntry& entry = panel_.entry();
  switch (command) {
    case RunBoxCommand::kNone:
      break;
    case RunBoxCommand::kRun:
      if (reading_) {
        line_done_ = true;
      } else {
        RunText();
      }
      break;
    case RunBoxCommand::kClose:
      Close();
      break;
    case RunBoxCommand::kUndo:
      entry.Undo();
      break;
    case RunBoxCommand::kCut:
      if (!entry.has_selection()) break;
      windows.SetClipboardText(entry.SelectedText());
      entry.ClearSelection();
      break;
    case RunBoxCommand::kCopy:
      if (entry.has_selection()) windows.SetClipboardText(entry.SelectedText());
      break;
    case RunBoxCommand::kPaste:
      entry.Insert(windows.ClipboardText());
      break;
    case RunBoxCommand::kClear:
      entry.ClearSelection();
      break;
    case RunBoxCommand::kSelectAll:
      entry.SelectAll();
      break;
    case RunBoxCommand::kHelp:
      window_.callbacks().AlertString(kRunBoxHelpAlert);
      break;
  }
}

// Each line of the box is a line of the script, so instructions on several lines and
// whole procedures (TO ... END) run as typed. Afterwards all of the text is selected: the
// next typing replaces it.
void PlayerRunBox::RunText() {
  std::string text = panel_.entry().text();
  for (char& c : text)
    if (c == '\n') c = '\r';
  window_.Log("run box runs " + Quoted(panel_.entry().text()));
  ScriptRequest request;
  request.rect = panel_.rect();
  request.text = std::move(text);
  window_.scripts_->Run(request);
  if (open_) panel_.entry().SelectAll();
}

bool PlayerRunBox::InputWaiting() {
  Message m;
  return window_.player_.platform.windows().PeekMessage(m, 0, msg::kKeyDown, msg::kMouseWheel,
                                                        false);
}

bool PlayerRunBox::ReadLine(std::string& line, char prompt) {
  line.clear();
  if (!open_) return false;
  logo::Interpreter& in = PlayerInterpreter(window_.player_);
  WindowSystem& windows = window_.player_.platform.windows();
  TextEntry& entry = panel_.entry();
  entry.SetText(prompt ? std::string(1, prompt) : std::string());
  focused_ = reading_ = true;
  line_done_ = false;
  Show();
  const bool headless = window_.player_.platform.headless();
  while (open_ && !line_done_ && !window_.close_requested_ && !in.Unwinding()) {
    if (headless && !InputWaiting()) {
      // Nobody types here: the host's line is typed for them, else the line is empty.
      if (auto typed = window_.questions().TypedLine()) entry.Insert(*typed), line_done_ = true;
      break;
    }
    Message m;
    if (!windows.WaitMessage(m, kNoLimit)) break;
    if (m.window != window_.window_ && m.window != 0) continue;
    if (m.message == msg::kKeyDown && m.wParam == vk::kEscape) {
      in.error_flag = true;  // Escape stops the script, as in its other waits
      break;
    }
    if (m.message == msg::kCommand && (m.wParam & 0xFFFF) == uint64_t(MenuCommand::kRunBox)) {
      focused_ = true;
      Show();
      continue;
    }
    if (TakeMessage(m)) continue;
    if (in.hooks().dispatch) in.hooks().dispatch(m);
  }
  reading_ = false;
  if (line_done_ && open_) {
    std::string_view typed = entry.text();
    if (prompt && !typed.empty() && typed.front() == prompt) typed.remove_prefix(1);
    // A line end typed with Shift+Enter separates words as a space would.
    for (char c : typed) line += c == '\n' ? ' ' : c;
  }
  if (open_) entry.SetText({});
  Show();
  window_.Log("run box read " + Quoted(line));
  line = WindowsToMac(line);
  return true;
}

}  // namespace corvida
