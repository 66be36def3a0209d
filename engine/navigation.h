// Moving between cards: every move (a command, a button, a script, a new stack) leaves the
// current card, chooses the target and arrives at it. Also the Back history, the marked
// card, the home card, position moves with wrap, moves into another stack and the Jump To
// Card lookup. Navigation opens stacks and owns the card view they are shown through.
//
// A move asked for while a card change is running (an arrive action that moves on) is
// queued, the latest request winning, and runs after the change has finished; with a
// scheduler it runs from the message loop, so stacks that advance by themselves play for
// ever without growing the native stack.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/handles.h"
#include "engine/fieldtext.h"
#include "engine/render.h"
#include "stackfile/fileslots.h"
#include "stackfile/stack.h"

namespace corvida {

// What a card change asks of the player around it.
class NavigationHost {
 public:
  virtual ~NavigationHost() = default;
  // Puts the card on screen with the transition; 0: no card, the window goes white.
  // `arrival`: the card is being entered, not only drawn again, so its automatic timers
  // start counting.
  virtual void ShowCard(Handle card, int transition, int speed, bool arrival) = 0;
  // A card is being left, before its leave action runs (the modules are told).
  virtual void LeavingCard() {}
  // Leaving a card or drawing it anew: tracking, selections and text entry end, before
  // the display list is emptied.
  virtual void LeaveCard() = 0;
  // Runs the 'Actn' block `action` under the role name (string id 2030..2035).
  virtual void RunCardAction(uint16_t action, int role) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual int Alert(int id) = 0;
  // Opens the stack file at a host path into the stack, asking the user the open's
  // questions and showing its messages: the open's code (0 when opened).
  virtual int OpenStackFile(const std::string& path) = 0;
  // After every arrival (card may be 0 when the id is not in the stack).
  virtual void Arrived(Handle card, uint16_t id) = 0;
  // Asks for RunPending to be called from the message loop; false without a loop, and
  // then queued moves run right after the change that queued them.
  virtual bool SchedulePendingMove() = 0;
  // Before Back, Home or the marked card replace this stack with another: whether the
  // move may go on (a changed stack was saved, or the user chose not to). False keeps
  // the card shown.
  virtual bool ConfirmLeavingStack() { return true; }
};

// What the card view of each opened stack is made with.
struct CardViewSetup {
  FontService* fonts = nullptr;
  PictureCache* pictures = nullptr;           // the player's, shared by every stack it opens
  FirstFramePainter* first_frames = nullptr;  // movies' first frames in the card picture
  // The stack is a local file, not a download: field texts may be written back.
  bool local_stack = false;
  // The stack came from the web: it has no folder of its own on this machine (the folder
  // its copy lives in holds other sites' files and the cache's index), so the files it
  // names come only through `missing`.
  bool downloaded = false;
  MissingFiles* missing = nullptr;  // asked for pictures and texts that are not here
  // The user's and the player's media folders: a card's files are looked for there after
  // the stack's own folder, as the files its actions name are.
  std::vector<std::string> media_folders;
  // Told when a card's stored picture is packed in a way this player does not know.
  std::function<void()> unknown_packing;
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

  Navigation(Stack& stack, Handles& handles, FileSlots& files, NavigationHost& host,
             CardViewSetup setup = {});

  // Opens the stack at a host path with a fresh card view (no card is shown yet); 0 on
  // success, else the stack's error code with the alert already shown.
  int OpenStack(const std::string& path);
  // Forgets the card and closes the stack.
  void CloseStack();
  CardView& view() { return *view_; }
  // The field painter of the open stack's view; null without a stack.
  const TextFieldPainter* fields() const { return fields_.get(); }
  CardViewSetup& setup() { return setup_; }

  // Shows the first card of a stack that was just opened (leaving the current one first
  // when `leave` is set); the home card is set once, to the first stack's first card.
  void ArriveInNewStack(bool leave, bool push);

  void GoToCard(uint16_t id, int transition, int speed, bool push);
  void GoToStackCard(const std::string& path, uint16_t id, int transition, int speed, bool push);
  void GoFirstCard(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoLastCard(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoPreviousCard(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoNextCard(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoBack(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoHome(int transition = kCommandTransition, int speed = kCommandSpeed);
  void GoMarkedCard(int transition = kCommandTransition, int speed = kCommandSpeed);
  // A button's destination: a card id or one of the kDest codes.
  void GoToDestination(int destination, int transition, int speed);
  // Shows the current card again.
  void RedisplayCard();

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
  // While a move opens another stack: the card it goes to there (kFirstCardOfStack when
  // none is named), so a stack that opens later can still arrive at it.
  uint16_t opening_card_id() const { return opening_card_id_; }
  bool changing() const { return changing_; }
  // A move waits to run from the message loop (see Request).
  bool move_waiting() const { return pending_.has_value(); }
  const std::deque<HistoryEntry>& history() const { return history_; }
  uint16_t marked_id() const { return marked_id_; }
  // A card of the open stack whose marked flag is set becomes the last marked card.
  void RememberMarked(Handle card);
  FileSlots& files() { return files_; }
  // The home card: a card of the stack at a host path ("" for a stack without a file).
  void SetHome(const std::string& path, uint16_t id);
  // Window title for the current card.
  std::string Title() const;

 private:
  void Request(std::function<void()> move);
  void Leave(bool push);
  // The host lets go of the card, then its items go.
  void LeaveView();
  void Arrive(int transition, int speed, bool new_stack);
  void Push();
  void GoToPosition(int position, int transition, int speed);
  // Whether the stack in `slot` (with a file, or without when `slot_has_file` is false)
  // is the current stack.
  bool InCurrentStack(int slot, bool slot_has_file) const;
  // Puts the current stack's path into the stack slot; false when it does not fit.
  bool SyncStackSlot();
  bool has_file() const { return !stack_.path().empty(); }

  void ForgetCard() {
    current_ = 0;
    target_id_ = 0;
  }

  Stack& stack_;
  Handles& handles_;
  FileSlots& files_;
  NavigationHost& host_;
  CardViewSetup setup_;
  std::unique_ptr<TextFieldPainter> fields_;
  std::unique_ptr<CardView> view_;
  bool stack_slot_ok_ = false;  // slot 1 names the current stack
  Handle current_ = 0;
  uint16_t target_id_ = 0;
  uint16_t opening_card_id_ = kFirstCardOfStack;
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
