// Text input on the shown card: presses, drags and typing go to the field tracker,
// hyperlinks flash and run when a press in a field's text is released, the typed text is
// stored when the card is left, and Find Text searches the stack. The window forwards
// its mouse, key and timer messages here in card coordinates.
#pragma once

#include <cstdint>
#include <string>

#include "engine/field_edit.h"
#include "engine/find.h"
#include "engine/hyperlink.h"
#include "engine/navigation.h"
#include "platform/window.h"

namespace corvida {

// What text input asks of the window around it.
class FieldInputHost {
 public:
  virtual ~FieldInputHost() = default;
  // Draws a field's rectangle again, the items above it staying on top, and shows it.
  virtual void RepaintField(const Rect& rect) = 0;
  // Lets `ms` pass with the window's input held (a hyperlink flashing).
  virtual void PauseForFlash(uint32_t ms) = 0;
  // The input held meanwhile is handled next, in its order.
  virtual void ResumeHeldInput() = 0;
  // True once the window is closing: flashing stops.
  virtual bool Closing() = 0;
  virtual void Log(const std::string& line) = 0;
  virtual int Alert(int id) = 0;
  // The "FIND_TEXT" dialog over the state's settings; true when OK stored new ones.
  virtual bool AskFind(FindState& state) = 0;
};

class FieldInput {
 public:
  static constexpr uint32_t kLinkFlashMs = 300;

  FieldInput(Stack& stack, Handles& handles, WindowSystem& windows, Clock& clock, Navigation& nav,
             FieldInputHost& host)
      : stack_(stack),
        handles_(handles),
        windows_(windows),
        clock_(clock),
        nav_(nav),
        host_(host) {}

  void set_window(WindowId window) { window_ = window; }
  // What runs a clicked link's actions (the action executor).
  void set_link_actions(HyperlinkActions* actions) { link_actions_ = actions; }

  // A press on a text field's item (card coordinates); true when its text took it.
  bool Press(DisplayItem& item, Point p, const Message& m);
  // The pointer moved; true when a press in a field is being tracked.
  bool Move(Point p);
  // The button came up at `p`; true when a field took it (a tracked press, a hyperlink).
  // `control`: the Control key was down, which makes a click on a link a plain click.
  bool Release(Point p, bool control);
  // An arrow or delete key for the active field comes back as its character; true when
  // the key was the field's.
  bool Key(uint32_t virtual_key);
  void Char(uint8_t c);
  // A field is taking typed text (keys such as Space are its characters then).
  bool InTextEntry() { return tracker_.Active(List()) != nullptr; }
  // The window's timer: held arrows and drags go on (`pointer` in card coordinates), the
  // insertion point blinks.
  void Tick(Point pointer);
  // The window got (true) or lost (false) the keyboard focus: the active field's
  // insertion point shows only while the window has it.
  void Focus(bool focused);
  // After a card is shown: its focus field becomes the active one.
  void ActivateAfterShow();
  // Leaving the card: the typed text goes back into the records and entry ends.
  void Leave();
  // The typed text goes back into the records; entry goes on (before a save).
  void StoreTyped();
  // The Edit menu on the active field, through the window system's clipboard.
  bool CanEdit(EditCommand command);
  void Edit(EditCommand command);
  // Find Text; `again` finds the last text again without asking.
  void Find(bool again);

  FieldTracker& tracker() { return tracker_; }
  FindState& find_state() { return find_state_; }
  const HyperlinkState& hyperlinks() const { return link_state_; }

 private:
  DisplayList& List() { return nav_.view().display_list(); }
  void FlashLink(DisplayItem& item, size_t start, size_t end);
  void ShowMatch(const FindMatch& match);

  Stack& stack_;
  Handles& handles_;
  WindowSystem& windows_;
  Clock& clock_;
  Navigation& nav_;
  FieldInputHost& host_;
  WindowId window_ = 0;
  FieldTracker tracker_;
  FindState find_state_;
  HyperlinkState link_state_;
  HyperlinkActions* link_actions_ = nullptr;
  Point press_point_;
  bool focused_ = true;
};

}  // namespace corvida
