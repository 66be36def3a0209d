// Moving between cards: every move (a command, a button, a script, a new stack) leaves the
// current card, chooses the target and arrives at it. Also the Back history, the marked
// card, the home card, position moves with wrap, moves into another stack and the Jump To
// Card lookup.
//
// A move asked for while a card change is running (an arrive action that moves on) is
// queued, the latest request winning, and runs after the change has finished; with a
// scheduler it runs from the message loop, so stacks that advance by themselves play for
// ever without growing the native stack.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/handles.h"
#include "stackfile/fileslots.h"
#include "stackfile/stack.h"

namespace corvida {

// What a card change asks of the rest of the player.
struct NavigationHooks {
  // Composes the card (0: none) and puts it on screen with the transition.
  std::function<void(Handle card, int transition, int speed)> show;
  // Leaving a card: media stop, text entry ends, the display list is emptied.
  std::function<void()> leave;
  // Runs the 'Actn' block `action` under the role name (string id 2030..2035).
  std::function<void(uint16_t action, int role)> run_action;
  std::function<void(const std::string& title)> set_title;
  std::function<int(int id)> alert;
  // Opens the stack at a host path; 0 on success.
  std::function<int(const std::string& path)> open_stack;
  // Called after every arrival (card may be 0 when the id is not in the stack).
  std::function<void(Handle card, uint16_t id)> arrived;
  // Asks for RunPending to be called from the message loop; without it queued moves run
  // right after the change that queued them.
  std::function<void()> schedule;
};

struct HistoryEntry {
  uint16_t card_id = 0;
  bool has_file = false;
  std::string stack_ref;  // the stack slot's path (Windows form) when it has a file
};

class Navigation {
 public:
  static constexpr int kHistoryLimit = 16;
  static constexpr int kActionDepthLimit = 64;
  // Moves started by the player's own commands.
  static constexpr int kCommandTransition = 3;
  static constexpr int kCommandSpeed = 8;
  // Destination codes of buttons.
  static constexpr int kDestNext = -1, kDestPrevious = -2, kDestReturn = -3, kDestBack = -4,
                       kDestMarked = -5;
  static constexpr uint16_t kFirstCardOfStack = 65530;
  // File slots of the stacks moves return to: the history entry being returned to, the
  // marked card's stack and the home stack (slot 1 is the current stack).
  static constexpr int kBackSlot = 7, kMarkedSlot = 10, kHomeSlot = 13;

  Navigation(Stack& stack, Handles& handles, FileSlots& files, NavigationHooks hooks)
      : stack_(stack), handles_(handles), files_(files), hooks_(std::move(hooks)) {}

  // Shows the first card of a stack that was just opened (leaving the current one first
  // when `leave` is set); the home card is set once, to the first stack's first card.
  void ArriveInNewStack(bool leave, bool push);

  void GoToCard(uint16_t id, int transition, int speed, bool push);
  void GoToStackCard(const std::string& path, uint16_t id, int transition, int speed, bool push);
  void GoFirst(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoLast(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoPrevious(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoNext(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoBack(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoHome(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoMarked(int transition = kCommandTransition, int speed = kCommandSpeed);
  // A button's destination: a card id or one of the kDest codes.
  void GoToDestination(int destination, int transition, int speed);
  // Shows the current card again.
  void Redisplay();

  // The id Jump To Card goes to for the typed text, 0 for none (with alert 2223 unless
  // the text was empty).
  uint16_t JumpTarget(std::string_view text);
  // Jump To Card with the dialog's text (nothing when it was cancelled).
  void JumpToCard(std::optional<std::string> text);

  // Runs one action under a role, at most kActionDepthLimit deep.
  void RunAction(uint16_t action, int role);
  // Runs the queued move, if any.
  void RunPending();

  Handle current_card() const { return current_; }
  uint16_t target_id() const { return target_id_; }
  bool changing() const { return changing_; }
  const std::deque<HistoryEntry>& history() const { return history_; }
  uint16_t marked_id() const { return marked_id_; }
  // The home card: a card of the stack at a host path ("" for a stack without a file).
  void SetHome(const std::string& path, uint16_t id);
  // Window title for the current card.
  std::string Title() const;
  // Forgets the card (the stack was closed).
  void Reset() {
    current_ = 0;
    target_id_ = 0;
  }

 private:
  void Request(std::function<void()> move);
  void Leave(bool push);
  void Arrive(int transition, int speed, bool new_stack);
  void Push();
  void GoToPosition(int position, int transition, int speed);
  // Whether the stack in `slot` (with a file, or without when `slot_has_file` is false)
  // is the current stack.
  bool InCurrentStack(int slot, bool slot_has_file) const;
  // Puts the current stack's path into the stack slot; false when it does not fit.
  bool SyncStackSlot();
  bool has_file() const { return !stack_.path().empty(); }

  Stack& stack_;
  Handles& handles_;
  FileSlots& files_;
  NavigationHooks hooks_;
  bool stack_slot_ok_ = false;  // slot 1 names the current stack
  Handle current_ = 0;
  uint16_t target_id_ = 0;
  std::deque<HistoryEntry> history_;  // front is the top
  uint16_t marked_id_ = 0;
  bool marked_has_file_ = false;  // slot 10 holds the marked card's stack
  bool home_known_ = false;
  bool home_has_file_ = false;  // slot 13 holds the home stack
  uint16_t home_id_ = 0;
  bool changing_ = false;
  std::optional<std::function<void()>> pending_;
  int action_depth_ = 0;
};

}  // namespace corvida
