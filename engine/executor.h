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
#include <span>
#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/action_host.h"
#include "engine/actions.h"
#include "engine/hyperlink.h"
#include "engine/media_hooks.h"
#include "engine/timers.h"
#include "platform/clock.h"
#include "platform/window.h"
#include "stackfile/action_reader.h"
#include "stackfile/stack.h"

namespace corvida {

class ActionExecutor : public HyperlinkActions {
 public:
  static constexpr int kDepthLimit = 64;
  static constexpr uint16_t kKeyboardSelectionNba = 3145;
  static constexpr size_t kSelectionNameLimit = 62;
  static constexpr int kAnswerRecordSize = 260;

  ActionExecutor(Stack& stack, Handles& handles, WindowSystem& windows, Clock& clock,
                 MediaHooks& media, ActionHost& host);

  void set_window(WindowId window) { window_ = window; }

  // Runs the button with that id (current card first); nothing when it is absent.
  void RunButton(uint16_t id);
  // Runs the 'Actn' block with that id under `name`. True whenever an id is given in
  // browse mode, whether or not the block exists: a click on its owner counts as taken.
  bool RunActionRecord(uint16_t id, const std::string& name, MediaWait wait);
  // The same with the name of a numbered string (2030 "Arrive at card action" ...).
  bool RunEventAction(uint16_t id, int string_id, MediaWait wait);
  // Runs the ActionRecord at `offset` of a block (a hyperlink's).
  void ExecuteActions(Handle record, uint32_t offset, const std::string& name,
                      MediaWait wait) override;

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

  // How deep records and callback commands are nested: they share one limit, so a
  // script pressing a button whose script presses it again ends at kDepthLimit.
  int& nesting() { return depth_; }

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
  // One record's run: where it lives, a copy of it and the media it started.
  struct Run;
  // Whether the run goes on after a step.
  enum class Next { kGoOn, kStop };

  void Execute(Source source, const std::string& name, MediaWait wait);
  Next RunStep(ActionStep step, Run& run);
  bool Copy(const Source& source, std::vector<uint8_t>& out);
  // Reads the record again after a step that may have run other code; kStop when the
  // step removed or changed it.
  Next ReadAgain(Run& run);
  // The entry of `kind`: in the running record, else wherever FindActionEntry finds it.
  std::vector<uint8_t> EntryBytes(const Run& run, uint16_t kind);
  // A sound-file or movie entry's stored path and where it is on this machine.
  FileRequest FileEntryRequest(const ActionEntryReader& entry);

  // The steps, in the order they run.
  void NoteOrigin(const ActionRecordReader& record);
  void MarkAnswer(const Run& run);
  void PlayStackSound(Run& run);
  void PlaySoundFile(Run& run);
  void StartMovie(Run& run);
  void StartAnimation(Run& run);
  void PlayVideodisc(const Run& run);
  void CallNba(Run& run);
  void RunScript(const Run& run);
  // Media play to their end before the record moves on.
  Next FinishMedia(Run& run);
  void GoToOtherStack(const Run& run);
  void GoToCard(const Run& run);
  void Launch(const Run& run);
  void DiscardClicks();

  void StartSelection(std::span<const uint8_t> names);
  enum class Hidden { kSkip, kInclude };
  uint16_t SelectionButton(const std::string& name, Hidden hidden);
  // Waits until the media of record `id` finish or the user presses a button or a key.
  void WaitForMedia(uint16_t id, const StartedMedia& started);

  Stack& stack_;
  Handles& handles_;
  WindowSystem& windows_;
  Clock& clock_;
  MediaHooks& media_;
  ActionHost& host_;
  WindowId window_ = 0;
  TimerTable timers_;
  int depth_ = 0;
  bool button_running_ = false;
  std::string last_button_name_;
  uint16_t last_button_id_ = 0;
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
