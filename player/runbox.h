// The Tarrow run box of the player window: a panel over the card (ui/runbox_panel.h) in
// which the user types Tarrow instructions. Enter runs the whole text as a button's
// script runs; a script that reads a line (READWORD, READLIST) while the box is open
// reads it from the box. The card stays usable around the box: clicks outside it go to
// the card, and the box gives up the keyboard until it is clicked again.
//
// The caret blinks on the player's clock (on and off every 530 ms, steady while the
// user types); a press of the right button on the box opens its menu of commands.
//
// The box opens at the rectangle it last had (kept in the preferences as "user" /
// "RunBoxRect" once the user moved or resized it), else along the top of the card, as
// wide as the window and 80 pixels high.
#pragma once

#include <optional>
#include <string>

#include "logo/interp.h"
#include "platform/gfx/draw.h"
#include "platform/messages.h"
#include "ui/runbox_panel.h"

namespace corvida {

class PlayerWindow;

inline constexpr const char* kRunBoxGreeting = "Enter a Tarrow command and press the Enter key.";
// The help command's alert: the title, a blank line, the hint and one OK button.
inline constexpr const char* kRunBoxHelpAlert =
    "42Tarrow Run Box\r\rType a command and press Enter.~^OK";

// "left top right bottom" in window pixels, as the preference stores it; nothing when the
// text is not four integers within +-32767 making a non-empty rectangle.
std::optional<Rect> ParseRunBoxRect(std::string_view text);
std::string RunBoxRectText(const Rect& rect);

class PlayerRunBox : public logo::LineSource {
 public:
  explicit PlayerRunBox(PlayerWindow& window);

  bool open() const { return open_; }
  bool focused() const { return open_ && focused_; }
  bool reading() const { return reading_; }
  const RunBoxPanel& panel() const { return panel_; }

  // Opens the box with the greeting selected; when it is open already, gives it the focus.
  void Open();
  // Closes the box, remembering its rectangle when the user moved or resized it; a
  // script waiting for a line from it gets an empty line.
  void Close();
  // The window's client changed size: the box stays inside it.
  void Fit();

  // A message for the window: true when the box took it (keys while it has the focus,
  // the mouse over it and the drags it started). A press elsewhere takes the focus away.
  bool TakeMessage(const Message& m);
  void Draw(gfx::DrawTarget& target) const;
  // The player's timer: the caret blinks.
  void Tick();
  bool caret_on() const { return caret_on_; }
  static constexpr uint32_t kBlinkMs = 530;

  // A line a script reads while the box is open: the box is emptied (the prompt put in
  // it), and the player goes on until Enter is typed, the box closes or Escape stops the
  // script. Headless, where nobody types, the line is the host's typed line, if any.
  bool ReadLine(std::string& line, char prompt) override;

 private:
  void Carry(RunBoxCommand command);
  void RunText();
  Rect FirstRect() const;
  Size WindowSize() const;
  bool InputWaiting();
  void Show();
  // Shift and Ctrl as the key messages seen so far say, or as the keyboard is now.
  void TrackModifiers(const Message& m);
  bool MenuMessage(const Message& m, Point p);
  // The caret shows steadily from now (after typing, a click, opening).
  void Wake();
  bool ModifierDown(uint32_t key) const;

  PlayerWindow& window_;
  RunBoxPanel panel_;
  std::optional<Rect> remembered_;
  Rect opened_at_;
  bool open_ = false;
  bool focused_ = false;
  bool reading_ = false;
  bool line_done_ = false;
  bool shift_ = false, ctrl_ = false;
  uint32_t blink_from_ = 0;
  bool caret_on_ = true;
  Point menu_opened_at_;
};

}  // namespace corvida
