// The executor's work outside one record: automatic timers, keyboard button selection,
// the media wait and the cards' answer records.
#include <algorithm>
#include <cstring>

#include "engine/cards.h"
#include "engine/executor.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

// One pass of the media wait lasts at most a tick.
constexpr uint32_t kWaitPassMs = 17;

bool EndsWait(uint32_t message) {
  return message == msg::kLButtonDown || message == msg::kRButtonDown || message == msg::kKeyDown ||
         message == msg::kSysKeyDown;
}

}  // namespace

// ---- automatic timers ----

void ActionExecutor::ArmTimers(Handle card) {
  corvida::ArmTimers(timers_, stack_, handles_, card, clock_.Ticks());
}

void ActionExecutor::TimerTick() {
  if (!stack_.is_open()) return;
  bool enabled = stack_.Header16(header::kAutoTimers) != 0;
  timers_.Tick(clock_.Ticks(), enabled, host_.Browsing(), [this](uint32_t source, uint16_t id) {
    if (source == kTimerFromBlock) {
      RunActionRecord(id, "", MediaWait::kNone);
    } else {
      RunButton(id);
    }
  });
}

// ---- keyboard button selection ----

void ActionExecutor::StartSelection(std::span<const uint8_t> data) {
  EndSelection();
  size_t i = 0;
  while (i < data.size()) {
    // Leading spaces and line ends are skipped; a name runs to the end of its line.
    while (i < data.size() && (data[i] == ' ' || data[i] == '\r' || data[i] == '\n')) ++i;
    size_t start = i;
    while (i < data.size() && data[i] != '\r' && data[i] != '\n' && data[i] != 0) ++i;
    std::string name(data.begin() + long(start), data.begin() + long(i));
    if (i < data.size() && data[i] == 0) i = data.size();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.size() > kSelectionNameLimit) name.resize(kSelectionNameLimit);
    if (!name.empty()) selection_.push_back(name);
  }
  for (const std::string& name : selection_) {
    if (uint16_t id = SelectionButton(name, Hidden::kSkip)) {
      selected_name_ = name;
      host_.ToggleHighlight(id);
      break;
    }
  }
}

uint16_t ActionExecutor::SelectionButton(const std::string& name, Hidden hidden) {
  Handle card = host_.CurrentCard();
  if (!card) return 0;
  ObjectRef obj = FindObjectByName(stack_, handles_, card, object::kButton, name, false);
  if (!obj) return 0;
  if (hidden == Hidden::kSkip && (ObjectFlags(handles_, obj) & object::kFlagHidden)) return 0;
  return ObjectId(handles_, obj);
}

void ActionExecutor::EndSelection() {
  selection_.clear();
  selected_name_.clear();
}

bool ActionExecutor::SelectionKey(uint32_t key) {
  if (selection_.empty() || (key != vk::kTab && key != vk::kReturn)) return false;
  // The card may have changed since the last key: buttons are found by name each time.
  uint16_t current = selected_name_.empty() ? 0 : SelectionButton(selected_name_, Hidden::kInclude);
  if (key == vk::kReturn) {
    if (current) {
      host_.ToggleHighlight(current);
      selected_name_.clear();
      RunButton(current);
    }
    return true;
  }
  if (current) host_.ToggleHighlight(current);
  auto at = std::find(selection_.begin(), selection_.end(), selected_name_);
  size_t start = at == selection_.end() ? selection_.size() - 1 : size_t(at - selection_.begin());
  selected_name_.clear();
  for (size_t step = 1; step <= selection_.size(); ++step) {
    const std::string& name = selection_[(start + step) % selection_.size()];
    if (uint16_t id = SelectionButton(name, Hidden::kSkip)) {
      selected_name_ = name;
      host_.ToggleHighlight(id);
      break;
    }
  }
  return true;
}

// ---- the media wait ----

void ActionExecutor::WaitForMedia(uint16_t id, const StartedMedia& started) {
  if (started.any()) {
    Message m;
    std::vector<Message> own;  // the player's own messages wait for the end of the wait
    for (;;) {
      bool end = false;
      if (windows_.WaitMessage(m, kWaitPassMs)) {
        if (EndsWait(m.message)) end = true;
        bool ours = m.window == window_ || m.window == 0;
        // Input and timers of the player window are dropped; paint and close are handled,
        // and the player's own messages (a queued card move) are posted again afterwards.
        if (ours &&
            (m.message == msg::kPaint || m.message == msg::kClose || m.message == msg::kDestroy))
          host_.NestedMessage(m);
        if (ours && m.message >= msg::kUser) own.push_back(m);
      }
      if (host_.Closing()) end = true;
      media_.Step(clock_.Ticks());
      if (end || !media_.Busy(id, started)) break;
    }
    for (const Message& kept : own) windows_.PostMessage(kept);
  }
  media_.StopAnimationsAndMovies();
}

// ---- answer records ----

namespace {

Handle AnswerOf(Handles& handles, Handle card) {
  LockedHandle bytes(handles, card);
  if (!bytes || bytes.size() < card::kRunSlot + 4) return 0;
  Handle answer = Get32(bytes.data() + card::kRunSlot);
  return answer && handles.IsValid(answer) ? answer : 0;
}

}  // namespace

bool RecordAnswer(Handles& handles, Handle card, bool right, const std::string& name) {
  Handle answer = AnswerOf(handles, card);
  if (!answer) {
    answer = handles.New(ActionExecutor::kAnswerRecordSize);
    if (!answer) return false;
    LockedHandle bytes(handles, card);
    if (!bytes || bytes.size() < card::kRunSlot + 4) {
      handles.Dispose(answer);
      return false;
    }
    Put32(bytes.data() + card::kRunSlot, answer);
  }
  LockedHandle bytes(handles, answer);
  if (!bytes) return false;
  std::memset(bytes.data(), 0, bytes.size());
  Put32(bytes.data(), right ? 1 : 0);
  size_t n = std::min<size_t>(name.size(), bytes.size() - 5);
  std::memcpy(bytes.data() + 4, name.data(), n);
  return true;
}

Score CountAnswers(const Stack& stack, Handles& handles) {
  Score score;
  for (int i = 1; i <= stack.CardCount(); ++i) {
    Handle answer = AnswerOf(handles, stack.CardAt(i));
    if (!answer) continue;
    ++score.answered;
    LockedHandle bytes(handles, answer);
    if (bytes && bytes.size() >= 4 && Get32(bytes.data()) == 1) ++score.right;
  }
  return score;
}

void DisposeAnswers(const Stack& stack, Handles& handles) {
  for (int i = 1; i <= stack.CardCount(); ++i) {
    Handle card = stack.CardAt(i);
    if (Handle answer = AnswerOf(handles, card)) handles.Dispose(answer);
    LockedHandle bytes(handles, card);
    if (bytes && bytes.size() >= card::kRunSlot + 4) Put32(bytes.data() + card::kRunSlot, 0);
  }
}

}  // namespace corvida
