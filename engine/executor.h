// The action executor: runs an ActionRecord's steps in their fixed order (answer mark,
// sounds, movie, animation, videodisc, NBA, script, and last going somewhere or launching),
// for buttons, 'Actn' blocks and the card's and stack's event actions. Also the automatic
// timers of the shown card, keyboard button selection and the media wait.
//
// Records are copied before they run and looked up again after every step that may have
// run other code (an NBA, a script, a media wait): a step that deleted the running button
// or block stops the rest.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/hyperlink.h"
#include "engine/media_hooks.h"
#include "engine/timers.h"
#include "base/handles.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "stackfile/stack.h"

namespace corvida {

// What the executor asks of the player shell.
struct ExecutorHooks {
  std::function<Handle()> current_card;
  std::function<bool()> browse_mode;
  // A button's destination: a card id of this stack or a navigation code (-1 .. -5).
  std::function<void(int destination, int transition, int speed)> go_to_destination;
  // Another stack (a host path) at a card id (65530: its first card).
  std::function<void(const std::string& path, uint16_t card_id, int transition, int speed)>
      go_to_stack;
  // Shows the current card again (a stack that could not be found).
  std::function<void()> redisplay;
  std::function<int(int id)> alert;  // numbered alert; returns 1..3
  // The host path of a stored reference, "" when no such file is in reach.
  std::function<std::string(const std::string& stored)> resolve_path;
  // The user's name for the score ("ASKUSERNAME"); nothing when cancelled.
  std::function<std::optional<std::string>()> ask_user_name;
  // Asks the user whether to launch; true only when they agreed.
  std::function<bool(const std::string& program, const std::string& document)> confirm_launch;
  // Opens a host path with the desktop's opener; false when that failed.
  std::function<bool(const std::string& path)> launch;
  std::function<void()> close_player;
  // The centre of the running record and its button colour (0-based; -1 none), for the
  // next transition.
  std::function<void(Point origin, int button_colour)> set_origin;
  // Toggles the highlight of a button of the shown card (keyboard selection).
  std::function<void(uint16_t button_id)> toggle_highlight;
  // Paint and close messages for the player window that arrive during a media wait.
  std::function<void(const Message&)> nested_message;
  // True once the window is closing: waits end.
  std::function<bool()> closing;
  std::function<void(const std::string&)> log;
};

class ActionExecutor : public HyperlinkActions {
 public:
  static constexpr int kDepthLimit = 64;
  static constexpr uint16_t kKeyboardSelectionNba = 3145;
  static constexpr size_t kSelectionNameLimit = 62;
  static constexpr int kAnswerRecordSize = 260;

  ActionExecutor(Stack& stack, Handles& handles, WindowSystem& windows, Clock& clock,
                 MediaHooks& media, ExecutorHooks hooks);

  void set_window(WindowId window) { window_ = window; }

  // Runs the button with that id (current card first). Returns 0.
  int RunButton(uint16_t id, bool from_user);
  // Runs the 'Actn' block with that id under `name`. 1 whenever an id is given in browse
  // mode (whether or not the block exists), else 0.
  int RunActionRecord(uint16_t id, bool from_user, bool wait, const std::string& name);
  // The same with the name of a numbered string (2030 "Arrive at card action" ...).
  int RunEventAction(uint16_t id, bool from_user, bool wait, int string_id);
  // Runs the ActionRecord at `offset` of a block (a hyperlink's). Returns 0.
  int ExecuteActions(Handle record, uint32_t offset, const std::string& name, bool from_user,
                     bool wait) override;

  // Automatic timers: armed when a card is shown, ticked from timer 1.
  void ArmTimers(Handle card);
  void TimerTick();
  const TimerTable& timers() const { return timers_; }

  // Keyboard button selection: Tab moves the highlight, Enter runs the highlighted
  // button. Returns whether the key was taken.
  bool SelectionKey(uint32_t virtual_key);
  // Leaving the card ends the selection.
  void EndSelection();
  bool selection_active() const { return !selection_.empty(); }
  const std::string& selected_name() const { return selected_name_; }

  // Waits until the media of record `id` finish or the user presses a button or a key.
  void WaitForMedia(uint16_t id, bool movie, bool animation, bool nba);

  bool button_running() const { return button_running_; }
  const std::string& last_button_name() const { return last_button_name_; }
  uint16_t last_button_id() const { return last_button_id_; }
  const std::string& user_name() const { return user_name_; }

 private:
  // Where the running record lives; refreshed after steps that may run other code.
  struct Source {
    Handle handle = 0;
    uint32_t offset = 0;
    uint16_t id = 0;
    bool button = false;      // a button run by RunButton
    uint32_t block_size = 0;  // an 'Actn' block's size when it started
  };
  void Execute(Source source, bool from_user, bool wait, const std::string& name);
  bool Copy(const Source& source, std::vector<uint8_t>& out);
  bool MayGoOn(Source& source, std::vector<uint8_t>& record);
  // The entry of `kind`: in the running record, else wherever FindActionEntry finds it.
  std::vector<uint8_t> Entry(const std::vector<uint8_t>& record, uint16_t id, uint16_t kind);
  // A sound-file or movie entry's stored path and where it is on this machine.
  FileRequest FileEntryRequest(const std::vector<uint8_t>& entry) const;
  void StartSelection(const std::vector<uint8_t>& data);
  uint16_t SelectionButton(const std::string& name, bool skip_hidden);
  void Launch(const std::vector<uint8_t>& entry);
  void DiscardClicks();
  void Log(const std::string& line) {
    if (hooks_.log) hooks_.log(line);
  }

  Stack& stack_;
  Handles& handles_;
  WindowSystem& windows_;
  Clock& clock_;
  MediaHooks& media_;
  ExecutorHooks hooks_;
  WindowId window_ = 0;
  TimerTable timers_;
  int depth_ = 0;
  bool button_running_ = false;
  std::string last_button_name_;
  uint16_t last_button_id_ = 0;
  bool last_from_user_ = false;
  std::string user_name_;
  std::vector<std::string> selection_;  // button names, in list order
  std::string selected_name_;           // the highlighted one; "" when none
};

// The card's answer record: stores or replaces it (right or wrong, the answering name).
// Returns false when memory ran out.
bool RecordAnswer(Handles& handles, Handle card, bool right, const std::string& name);
// Counts the cards with an answer record and those answered right.
struct Score {
  int answered = 0;
  int right = 0;
};
Score CountAnswers(const Stack& stack, Handles& handles);
// Frees every card's answer record (before the stack closes).
void DisposeAnswers(const Stack& stack, Handles& handles);

}  // namespace corvida
