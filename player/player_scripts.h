// The script step of actions: a stack's script text runs in the player's interpreter with
// TURTLEIO in force and the card window as the turtle's surface, so what it draws and
// prints appears on the card. What it prints after TEXTIO goes to the player's log as
// `print "TEXT"` lines. Offscreen drawing (DRAWTOOFFSCREEN) draws on a copy of the card
// window that reaches the screen, where it changed, when drawing returns to the screen.
// Escape stops a running script (the interpreter's interrupt
// check), and so does the window closing; the executor then checks whether the running
// record still exists before it goes on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/media_hooks.h"
#include "logo/interp.h"
#include "logo/turtle.h"
#include "platform/gfx/draw.h"

namespace corvida {

class PlayerWindow;

class PlayerScripts {
 public:
  // A line printed without its end is written once it is this long.
  static constexpr size_t kMaxPrintLine = 4096;
  // Turtle drawing reaches the screen at most this often while a script runs.
  static constexpr uint32_t kPresentMs = 17;

  explicit PlayerScripts(PlayerWindow& window);
  ~PlayerScripts();
  PlayerScripts(const PlayerScripts&) = delete;
  PlayerScripts& operator=(const PlayerScripts&) = delete;

  // Runs a script step's text (Windows characters). A script started while another runs
  // is nested: it shares the surface and ends inside the outer one.
  void Run(const ScriptRequest& request);
  bool running() const { return depth_ > 0; }
  // The card image was drawn anew: turtle figures on it went with the old pixels.
  void CardRedrawn() { ++generation_; }

 private:
  // The card window, card-sized, as the turtle sees it.
  class CardSurface : public logo::TurtleSurface {
   public:
    explicit CardSurface(PlayerScripts& scripts) : scripts_(scripts) {}
    gfx::DrawTarget* Target() override;
    Rect ClientArea() override;
    void Changed(const Rect& area) override;
    uint64_t Generation() override { return scripts_.generation_; }
    void SetOffscreen(bool on) override;
    std::optional<Point> Pointer() override { return scripts_.PointerOnCard(); }

   private:
    PlayerScripts& scripts_;
    std::optional<gfx::DrawTarget> target_;
    // Offscreen drawing: a copy of the screen taken when it began, and the part of it
    // the turtle changed since.
    gfx::Bitmap offscreen_;
    std::optional<gfx::DrawTarget> offscreen_target_;
    std::optional<Rect> offscreen_changed_;
    bool offscreen_on_ = false;
  };

  // Lines a script reads from the user: typed into the run box while it is open, else
  // into the read dialog under the script's prompt.
  class ReadDialog : public logo::LineSource {
   public:
    explicit ReadDialog(PlayerScripts& scripts) : scripts_(scripts) {}
    bool ReadLine(std::string& line, char prompt) override;

   private:
    PlayerScripts& scripts_;
  };

  std::optional<Point> PointerOnCard();
  void Begin(logo::Interpreter& in);
  void End(logo::Interpreter& in);
  // The console writer: complete lines go to the log.
  void Write(std::string_view mac_text);
  void WriteLine();
  // A message taken by a script's wait.
  void Dispatch(logo::Interpreter& in, const Message& m);
  // Shows what the turtle drew; `now`: whatever time passed since the last time.
  void ShowDrawing(bool now);
  gfx::Bitmap& Screen();
  PlayerWindow& window_;
  CardSurface surface_{*this};
  ReadDialog read_dialog_{*this};
  int depth_ = 0;
  uint64_t generation_ = 0;
  logo::InterpreterHooks saved_hooks_;
  std::string line_;    // printed text waiting for its line end (Mac Roman)
  bool drawn_ = false;  // drawing not shown yet
  uint32_t shown_at_ = 0;
};

}  // namespace corvida
