// Mouse handling on the shown card: presses, releases and moves decide which object acts.
// A pressed button is tracked (highlighted by inversion while the pointer is inside) and
// runs on release; rollover buttons run when the pointer enters them; draggable graphics
// follow the pointer as an exclusive-or outline and, when dropped, move and run a drop
// target button or their own action; presses on no object run the card's, else the
// stack's, click action. Also the pointer shape over fields and objects.
//
// Items are remembered by type and id, never by pointer: an action may rebuild the card.
#pragma once

#include <cstdint>
#include <string>

#include "engine/cursors.h"
#include "engine/executor.h"
#include "engine/render.h"
#include "platform/window.h"

namespace corvida {

// What mouse handling asks of the player around it.
class MouseHost {
 public:
  virtual ~MouseHost() = default;
  // The card view of the open stack, null without one.
  virtual CardView* ShownView() = 0;
  virtual Handle ShownCard() = 0;
  // A press on a text field's text (insertion point, selection, scroll bar, hyperlinks);
  // returns whether the text took it.
  virtual bool PressField(DisplayItem& item, Point p, const Message& m) = 0;
  // The screen bitmap changed (a highlight or an outline): show it.
  virtual void PresentScreen() = 0;
  // The card must be composed again (a graphic was dropped somewhere else).
  virtual void RecomposeCard() = 0;
};

// What the last click ran: 1 a button, 2 another object.
struct LastClicked {
  int kind = 0;
  uint16_t id = 0;
  std::string name;
};

class MouseHandler {
 public:
  static constexpr uint16_t kNoRollover = 0xFFFF;
  static constexpr int kScrollBarWidth = 16;

  MouseHandler(Stack& stack, Handles& handles, WindowSystem& windows, FontService* fonts,
               gfx::Bitmap& screen, ActionExecutor& executor, MouseHost& host);

  void set_window(WindowId window) { window_ = window; }

  // Left button down (or a double click, which a button takes as a second press), at a
  // point in card coordinates, with the message's key flags.
  void Press(Point p, const Message& m);
  void Release(Point p);
  // Returns whether the move was taken (a drag, a rollover, a tracked button).
  bool Move(Point p);
  // Leaving the card: tracking and drags end without running anything.
  void Forget();

  // Inverts a button of the shown card (tracking, keyboard selection); drawing it twice
  // removes it.
  void ToggleHighlight(uint16_t button_id);
  // The pointer for a point: a field's, object's, card's or stack's own cursor, the
  // I-beam over editable text, the pointing hand over hot text; the arrow otherwise.
  Pointer CursorFor(Point p);

  bool tracking() const { return tracked_ != 0; }
  bool dragging() const { return drag_.on; }
  bool card_click_taken() const { return card_click_taken_; }
  uint16_t last_rollover() const { return last_rollover_; }
  const LastClicked& last_clicked() const { return last_clicked_; }
  const std::string& last_graphic_name() const { return last_graphic_name_; }

 private:
  struct Drag {
    bool on = false;
    uint16_t id = 0;
    Rect rect;
    Point last;
    gfx::Region outline;  // in card coordinates at `rect`
  };
  CardView* View() { return host_.ShownView(); }
  Handle Card() { return host_.ShownCard(); }
  bool Browsing();
  DisplayItem* Tracked();
  void EndTracking();
  bool BlockDoesNothing(uint16_t action_id);
  std::string NameOf(uint16_t type, uint16_t id);
  bool DragStart(DisplayItem& item, Point p);
  void DragMove(Point p);
  void DragDrop(Point p);
  void InvertOutline();
  gfx::Region LabelRegion(const DisplayItem& item);
  void Present() { host_.PresentScreen(); }

  Stack& stack_;
  Handles& handles_;
  WindowSystem& windows_;
  FontService* fonts_;
  gfx::Bitmap& screen_;
  ActionExecutor& executor_;
  MouseHost& host_;
  WindowId window_ = 0;
  uint16_t tracked_ = 0;  // id of the tracked button; 0 none
  bool inside_ = false;
  bool highlighted_ = false;
  uint16_t last_rollover_ = kNoRollover;
  bool card_click_taken_ = false;
  Drag drag_;
  LastClicked last_clicked_;
  std::string last_graphic_name_;
};

// The outline of a region: its pixels with a 4-neighbour outside it.
gfx::Region RegionOutline(const gfx::Region& region);

}  // namespace corvida
