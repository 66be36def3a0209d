#include "player/player_scripts.h"

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
  in.output_enabled = true;
  in.turtle_io = true;
  in.SetTurtleSurface(&surface_);
  shown_at_ = window_.player_.platform.clock().Milliseconds();
}

void PlayerScripts::End(logo::Interpreter& in) {
  if (!line_.empty()) WriteLine();
  in.SetTurtleSurface(nullptr);
  in.hooks() = saved_hooks_;
  ShowDrawing(true);
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

gfx::Bitmap& PlayerScripts::Screen() {
  return window_.shown_;
}

gfx::DrawTarget* PlayerScripts::CardSurface::Target() {
  gfx::Bitmap& screen = scripts_.Screen();
  if (screen.empty()) return nullptr;
  if (!target_) target_.emplace(screen);
  return &*target_;
}

Rect PlayerScripts::CardSurface::ClientArea() {
  return scripts_.Screen().Bounds();
}

void PlayerScripts::CardSurface::Changed(const Rect&) {
  scripts_.drawn_ = true;
  scripts_.ShowDrawing(false);
}

}  // namespace corvida
