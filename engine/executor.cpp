#include "engine/executor.h"

#include "base/strings.h"
#include "engine/cards.h"
#include "platform/text.h"
#include "stackfile/fileslots.h"
#include "stackfile/records.h"
#include "stackfile/resources.h"

namespace corvida {

namespace {

constexpr int16_t kOtherStackFirstCard = -6;
constexpr uint16_t kFirstCardOfStack = 65530;
constexpr uint16_t kRightAnswer = 1;
constexpr uint16_t kAskUserName = 3;

struct DepthGuard {
  int& depth;
  explicit DepthGuard(int& d) : depth(d) { ++depth; }
  ~DepthGuard() { --depth; }
};

}  // namespace

struct ActionExecutor::Run {
  Source source;
  std::vector<uint8_t> record;  // a copy: steps may run code that changes the original
  const std::string& name;
  StartedMedia started;

  ActionRecordReader reader() const { return ActionRecordReader(record); }
};

ActionExecutor::ActionExecutor(Stack& stack, Handles& handles, WindowSystem& windows, Clock& clock,
                               MediaHooks& media, ActionHost& host)
    : stack_(stack),
      handles_(handles),
      windows_(windows),
      clock_(clock),
      media_(media),
      host_(host) {}

void ActionExecutor::RunButton(uint16_t id) {
  ObjectRef obj = FindObjectById(stack_, handles_, host_.CurrentCard(), object::kButton, id);
  if (!obj) return;
  std::string name = ObjectName(handles_, obj);
  last_button_name_ = name;
  last_button_id_ = id;
  host_.Log("button " + std::to_string(id) + " " + Quoted(name));
  bool was_running = button_running_;
  button_running_ = true;
  Execute({obj.card, obj.offset, id, true, 0}, name, MediaWait::kNone);
  button_running_ = was_running;
}

bool ActionExecutor::RunActionRecord(uint16_t id, const std::string& name, MediaWait wait) {
  if (id == 0 || !host_.Browsing()) return false;
  std::string line = "action " + std::to_string(id);
  if (!name.empty()) line.append(" ").append(Quoted(name));
  host_.Log(line);
  if (Handle block = stack_.resources().Get(restype::kActn, id))
    Execute({block, 0, id, false, handles_.GetSize(block)}, name, wait);
  return true;
}

bool ActionExecutor::RunEventAction(uint16_t id, int string_id, MediaWait wait) {
  return RunActionRecord(id, LoadLocalizedString(string_id), wait);
}

void ActionExecutor::ExecuteActions(Handle record, uint32_t offset, const std::string& name,
                                    MediaWait wait) {
  uint16_t id = 0;
  {
    LockedHandle locked(handles_, record);
    if (!locked || offset >= locked.size()) return;
    id = Field16(Bytes{locked.data() + offset, locked.size() - offset}, object::kId);
  }
  Execute({record, offset, id, false, handles_.GetSize(record)}, name, wait);
}

// ---- the run of one record ----

void ActionExecutor::Execute(Source source, const std::string& name, MediaWait wait) {
  if (depth_ >= kDepthLimit) return;
  DepthGuard depth(depth_);
  Run run{source, {}, name, {}};
  if (!Copy(run.source, run.record)) return;
  ActionRecordReader record = run.reader();
  NoteOrigin(record);
  auto steps = PlanActions(record.action_flags(), record.answer_mark(),
                           [&](uint16_t kind) { return !EntryBytes(run, kind).empty(); });
  for (ActionStep step : steps)
    if (RunStep(step, run) == Next::kStop) return;
  if (wait == MediaWait::kUntilFinished) WaitForMedia(run.source.id, run.started);
  if (stack_.is_open() && (stack_.Header16(header::kFlags) & header::kFlagDiscardClicks))
    DiscardClicks();
}

ActionExecutor::Next ActionExecutor::RunStep(ActionStep step, Run& run) {
  switch (step) {
    case ActionStep::kAnswerMark:
      MarkAnswer(run);
      break;
    case ActionStep::kStackSound:
      PlayStackSound(run);
      break;
    case ActionStep::kSoundFile:
      PlaySoundFile(run);
      break;
    case ActionStep::kMovie:
      StartMovie(run);
      break;
    case ActionStep::kAnimation:
      StartAnimation(run);
      break;
    case ActionStep::kVideodisc:
      PlayVideodisc(run);
      break;
    case ActionStep::kNba:
      CallNba(run);
      return ReadAgain(run);
    case ActionStep::kScript:
      RunScript(run);
      return ReadAgain(run);
    case ActionStep::kOtherStack:
      if (FinishMedia(run) == Next::kGoOn) GoToOtherStack(run);
      break;
    case ActionStep::kGoToCard:
      if (FinishMedia(run) == Next::kGoOn) GoToCard(run);
      break;
    case ActionStep::kLaunch:
      if (FinishMedia(run) == Next::kGoOn) Launch(run);
      break;
  }
  return Next::kGoOn;
}

bool ActionExecutor::Copy(const Source& source, std::vector<uint8_t>& out) {
  LockedHandle locked(handles_, source.handle);
  if (!locked || source.offset >= locked.size()) return false;
  Bytes record =
      ActionRecordView(Bytes{locked.data() + source.offset, locked.size() - source.offset});
  if (record.size < button::kEntries) return false;
  out.assign(record.data, record.data + record.size);
  return true;
}

ActionExecutor::Next ActionExecutor::ReadAgain(Run& run) {
  Source& source = run.source;
  if (source.button) {
    ObjectRef obj =
        FindObjectById(stack_, handles_, host_.CurrentCard(), object::kButton, source.id);
    if (!obj) return Next::kStop;
    source.handle = obj.card;
    source.offset = obj.offset;
  } else if (!handles_.IsValid(source.handle) ||
             handles_.GetSize(source.handle) != source.block_size) {
    return Next::kStop;
  }
  return Copy(source, run.record) ? Next::kGoOn : Next::kStop;
}

std::vector<uint8_t> ActionExecutor::EntryBytes(const Run& run, uint16_t kind) {
  if (ActionEntryReader entry = run.reader().Entry(kind); !entry.empty())
    return {entry.bytes().begin(), entry.bytes().end()};
  EntryRef ref = FindActionEntry(stack_, handles_, host_.CurrentCard(), run.source.id, kind);
  if (!ref) return {};
  LockedHandle locked(handles_, ref.handle);
  if (!locked || ref.offset >= locked.size()) return {};
  Bytes rest{locked.data() + ref.offset, locked.size() - ref.offset};
  uint32_t length = Field32(rest, action::kEntryLength);
  if (length < action::kEntryHeaderSize || length > rest.size) return {};
  return {rest.data, rest.data + length};
}

FileRequest ActionExecutor::FileEntryRequest(const ActionEntryReader& entry) {
  FileRequest request;
  request.stored = entry.ReferencePath();
  request.host_path = host_.ResolvePath(request.stored);
  return request;
}

// ---- the steps ----

void ActionExecutor::NoteOrigin(const ActionRecordReader& record) {
  // The record's centre and colour feed the next transition.
  Rect rect = record.rect();
  host_.SetActionOrigin({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2},
                        int(record.button_colour()) - 1);
}

void ActionExecutor::MarkAnswer(const Run& run) {
  uint16_t mark = run.reader().answer_mark();
  if (mark == kAskUserName) {
    if (auto typed = host_.AskUserName()) user_name_ = *typed;
    return;
  }
  Handle card = host_.CurrentCard();
  if (!card) return;
  if (!RecordAnswer(handles_, card, mark == kRightAnswer, run.name)) {
    host_.Alert(strid::kNotEnoughMemory);
    return;
  }
  Score score = CountAnswers(stack_, handles_);
  host_.Log("score " + std::to_string(score.right) + " of " + std::to_string(score.answered));
}

void ActionExecutor::PlayStackSound(Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryStackSound);
  ActionEntryReader entry(bytes);
  media_.StopSound();
  if (entry.play_flags() & action::kSoundStopOnly) return;
  StackSoundRequest request{entry.resource_id(), {}, entry.play_param(), entry.play_flags()};
  if (const ResourceEntry* sound = stack_.resources().Find(restype::kSnd, request.sound_id))
    request.name = sound->Name();
  run.started.sound = media_.PlayStackSound(request);
}

void ActionExecutor::PlaySoundFile(Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntrySoundFile);
  ActionEntryReader entry(bytes);
  FileRequest request = FileEntryRequest(entry);
  request.param = entry.play_param();
  request.flags = entry.play_flags();
  run.started.sound = media_.PlaySoundFile(request);
}

void ActionExecutor::StartMovie(Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryMovie);
  ActionEntryReader entry(bytes);
  FileRequest request = FileEntryRequest(entry);
  request.rect = entry.rect();
  request.movie_id = entry.movie_id();
  request.options = entry.movie_options();
  request.volume = entry.movie_volume();
  if (media_.StartMovie(run.source.id, request)) run.started.movie = true;
}

void ActionExecutor::StartAnimation(Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryAnimation);
  ActionEntryReader entry(bytes);
  if (media_.StartAnimation({run.source.id, entry.rect(), entry.data()}))
    run.started.animation = true;
}

void ActionExecutor::PlayVideodisc(const Run& run) {
  media_.PlayVideodisc(run.source.id, EntryBytes(run, action::kEntryVideodisc));
}

void ActionExecutor::CallNba(Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryNba);
  ActionEntryReader entry(bytes);
  uint16_t nba_id = entry.resource_id();
  if (nba_id == kKeyboardSelectionNba) {
    StartSelection(entry.data());
    return;
  }
  NbaRequest request{nba_id, run.source.id, {}, entry.data()};
  if (Handle block = stack_.resources().Get(restype::kNBAs, nba_id)) {
    LockedHandle locked(handles_, block);
    request.module = TerminatedText(Bytes{locked.data(), locked.size()}, nba::kModuleName,
                                    nba::kModuleNameField);
  }
  if (media_.CallNba(request)) run.started.nba = true;
}

void ActionExecutor::RunScript(const Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryScript);
  ActionEntryReader entry(bytes);
  std::span<const uint8_t> text = entry.data();
  media_.RunScript({run.source.id, entry.rect(), std::string(text.begin(), text.end())});
}

ActionExecutor::Next ActionExecutor::FinishMedia(Run& run) {
  WaitForMedia(run.source.id, run.started);
  // What ran meanwhile may have changed or removed the record.
  return run.started.any() ? ReadAgain(run) : Next::kGoOn;
}

void ActionExecutor::GoToOtherStack(const Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryOtherStack);
  std::string stored = ActionEntryReader(bytes).ReferencePath();
  std::string path = host_.ResolvePath(stored);
  if (path.empty()) {
    // Nothing to open: the current card is shown again.
    host_.Log("missing " + Quoted(std::string(NamePart(stored))));
    host_.RedisplayCard();
    return;
  }
  ActionRecordReader record = run.reader();
  int16_t destination = record.destination();
  uint16_t card = destination == kOtherStackFirstCard ? kFirstCardOfStack : uint16_t(destination);
  host_.GoToStack(path, card, record.transition(), record.speed());
}

void ActionExecutor::GoToCard(const Run& run) {
  ActionRecordReader record = run.reader();
  host_.GoToDestination(record.destination(), record.transition(), record.speed());
}

void ActionExecutor::Launch(const Run& run) {
  std::vector<uint8_t> bytes = EntryBytes(run, action::kEntryLaunch);
  ActionEntryReader entry(bytes);
  std::string document = entry.ReferencePath(), program = entry.ProgramPath();
  std::string program_name(NamePart(program)), document_name(NamePart(document));
  if (program_name.empty() && document_name.empty()) return;
  // Stacks come from the web: nothing starts without the user's say, every time.
  if (!host_.ConfirmLaunch(program_name, document_name)) return;
  // The desktop opens the document with its own program; without a document, the program.
  std::string path = host_.ResolvePath(document_name.empty() ? program : document);
  if (path.empty()) {
    host_.Alert(strid::kCannotLaunch);
    return;
  }
  host_.Log("launch " + Quoted(program_name) + " " + Quoted(document_name));
  if (!host_.Launch(path)) {
    host_.Alert(strid::kCannotLaunch);
    return;
  }
  if (entry.launch_flags() & action::kCloseAfterLaunch) host_.ClosePlayer();
}

void ActionExecutor::DiscardClicks() {
  Message m;
  // Left, right and middle buttons: down, up and double-click.
  while (windows_.PeekMessage(m, window_, msg::kLButtonDown, msg::kMouseMove + 9, true)) {
  }
}

}  // namespace corvida
