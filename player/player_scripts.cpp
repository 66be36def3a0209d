#include "player/player_scripts.h"

#include "platform/gfx/rop.h"
#include "platform/text.h"
#include "player/player_window.h"
#include "player/workspace_store.h"
#include "stackfile/mactext.h"

namespace corvida {

PlayerScripts::PlayerScripts(PlayerWindow& window) : window_(window) {}

PlayerScripts::~PlayerScripts() {
  // The turtle never keeps a surface that is gone.
  if (depth_ > 0 && window_.player_.logo) window_.player_.logo->SetTurtleSurface(nullptr);
}

void PlayerScripts::Run(const ScriptRequest& request) {
  if (window_.close_requested_) return;
  logo::Interpreter& in = PlayerInterpreter(window_.player_);
  if (depth_ == 0) Begin(in);
  ++depth_;
  in.RunScript(WindowsToMac(request.text));
  --depth_;
  if (depth_ == 0) End(in);
}

void PlayerScripts::Begin(logo::Interpreter& in) {
  saved_hooks_ = in.hooks();
  in.hooks().write = [this](std::string_view text) { Write(text); };
  in.hooks().dispatch = [this, &in](const Message& m) { Dispatch(in, m); };
  in.hooks().console = &read_dialog_;
  in.output_enabled = true;
  in.turtle_io = true;
  in.SetTurtleSurface(&surface_);
  shown_at_ = window_.player_.platform.clock().Milliseconds();
  // Alt held as a script starts shows a hidden menu bar while it runs, for beginners.
  if (window_.player_.platform.windows().KeyDown(vk::kMenu) &&
      !window_.player_.alerts.advanced_user() && !window_.menu_bar_shown()) {
    window_.ShowMenuBarForScript(true);
  }
}

void PlayerScripts::End(logo::Interpreter& in) {
  if (!line_.empty()) WriteLine();
  surface_.SetOffscreen(false);
  in.SetTurtleSurface(nullptr);
  in.hooks() = saved_hooks_;
  ShowDrawing(true);
  window_.ShowMenuBarForScript(false);
  // Clicks and keys that came while the script waited are handled now, in their order.
  window_.ResumeHeldInput();
}

void PlayerScripts::Write(std::string_view text) {
  for (char c : text) {
    if (c == '\n') {
      WriteLine();
      continue;
    }
    line_ += c;
    if (line_.size() >= kMaxPrintLine) WriteLine();
  }
}

void PlayerScripts::WriteLine() {
  window_.Log("print " + Quoted(MacToWindows(line_)));
  line_.clear();
}

void PlayerScripts::Dispatch(logo::Interpreter& in, const Message& m) {
  if (m.message == msg::kTimer && m.wParam == PlayerWindow::kTimerId &&
      (m.window == window_.window_ || m.window == 0))
    window_.ScriptTick(m);
  window_.NestedMessage(m);
  ShowDrawing(false);
  // A window that closes ends the script that waits in it.
  if (window_.close_requested_) in.error_flag = true;
}

void PlayerScripts::ShowDrawing(bool now) {
  if (!drawn_) return;
  const uint32_t time = window_.player_.platform.clock().Milliseconds();
  if (!now && time - shown_at_ < kPresentMs) return;
  drawn_ = false;
  shown_at_ = time;
  window_.Present();
}

std::optional<Point> PlayerScripts::PointerOnCard() {
  if (!window_.window()) return std::nullopt;
  return window_.ToCard(window_.player_.platform.windows().CursorPosition(window_.window()));
}

bool PlayerScripts::ReadDialog::ReadLine(std::string& line, char prompt) {
  // While the run box is open, lines are typed into it.
  if (scripts_.window_.runbox().open()) return scripts_.window_.runbox().ReadLine(line, prompt);
  logo::Interpreter& in = PlayerInterpreter(scripts_.window_.player_);
  const int width = in.read_rect ? in.read_rect->Width() : 0;
  auto typed = scripts_.window_.questions().AskLine(MacToWindows(in.read_prompt), width);
  in.read_prompt.clear();  // a prompt serves one line
  line = typed ? WindowsToMac(*typed) : std::string();
  return typed.has_value();
}

gfx::Bitmap& PlayerScripts::Screen() {
  return window_.shown_;
}

gfx::DrawTarget* PlayerScripts::CardSurface::Target() {
  if (offscreen_on_) {
    if (offscreen_.empty()) return nullptr;
    if (!offscreen_target_) offscreen_target_.emplace(offscreen_);
    return &*offscreen_target_;
  }
  gfx::Bitmap& screen = scripts_.Screen();
  if (screen.empty()) return nullptr;
  if (!target_) target_.emplace(screen);
  return &*target_;
}

Rect PlayerScripts::CardSurface::ClientArea() {
  return scripts_.Screen().Bounds();
}

void PlayerScripts::CardSurface::SetOffscreen(bool on) {
  if (on == offscreen_on_) return;
  gfx::Bitmap& screen = scripts_.Screen();
  offscreen_target_.reset();
  offscreen_on_ = on;
  if (on) {
    offscreen_ = screen;
    offscreen_changed_.reset();
    return;
  }
  // What the turtle drew out of sight is shown at once; the rest of the screen, which
  // the card may have changed meanwhile, is left as it is.
  if (offscreen_changed_ && !screen.empty() && screen.Bounds() == offscreen_.Bounds()) {
    const Rect area = offscreen_changed_->Intersect(screen.Bounds());
    gfx::DrawTarget(screen).BitBlt(area, offscreen_, {area.left, area.top}, gfx::rop::kSrcCopy);
    scripts_.drawn_ = true;
    scripts_.ShowDrawing(true);
  }
  offscreen_ = gfx::Bitmap();
  offscreen_changed_.reset();
}

void PlayerScripts::CardSurface::Changed(const Rect& area) {
  if (offscreen_on_) {
    offscreen_changed_ = offscreen_changed_ ? offscreen_changed_->Union(area) : area;
    return;
  }
  scripts_.drawn_ = true;
  scripts_.ShowDrawing(false);
}

}  // namespace corvida
