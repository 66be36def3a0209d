#include "engine/executor.h"

#include "base/strings.h"
#include "engine/actions.h"
#include "engine/cards.h"
#include "stackfile/actions.h"
#include "stackfile/fileslots.h"
#include "stackfile/records.h"
#include "stackfile/resources.h"

namespace corvida {

namespace {

constexpr uint16_t kStopSoundOnly = 0x8000;
constexpr uint16_t kCloseAfterLaunch = 0x4000;
constexpr int kAlertCannotLaunch = 2344;
constexpr int16_t kOtherStackFirstCard = -6;

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// The data bytes of an entry: from offset 32 to its length, less the pad byte.
std::span<const uint8_t> EntryData(const std::vector<uint8_t>& entry) {
  if (entry.size() <= action::kEntryData) return {};
  size_t end = entry.size();
  if ((Field16(Bytes{const_cast<uint8_t*>(entry.data()), entry.size()}, action::kEntryFlags) &
       object::kFlagPadByte) &&
      end > action::kEntryData)
    --end;
  return {entry.data() + action::kEntryData, end - action::kEntryData};
}

Bytes View(std::vector<uint8_t>& v) {
  return {v.data(), v.size()};
}

// The first path of a file reference (NUL-terminated, stored form).
std::string ReferencePath(std::span<const uint8_t> data) {
  Bytes b{const_cast<uint8_t*>(data.data()), data.size()};
  return TerminatedText(b, 0, data.size());
}

// The rectangle stored at bytes 4..11 of a movie or animation entry.
Rect EntryRect(Bytes e) {
  return {GetI16(e.data + 4), GetI16(e.data + 6), GetI16(e.data + 8), GetI16(e.data + 10)};
}

}  // namespace

ActionExecutor::ActionExecutor(Stack& stack, Handles& handles, WindowSystem& windows, Clock& clock,
                               MediaHooks& media, ExecutorHooks hooks)
    : stack_(stack),
      handles_(handles),
      windows_(windows),
      clock_(clock),
      media_(media),
      hooks_(std::move(hooks)) {}

int ActionExecutor::RunButton(uint16_t id, bool from_user) {
  Handle card = hooks_.current_card ? hooks_.current_card() : 0;
  ObjectRef obj = FindObjectById(stack_, handles_, card, object::kButton, id);
  if (!obj) return 0;
  std::string name = ObjectName(handles_, obj);
  last_button_name_ = name;
  last_button_id_ = id;
  last_from_user_ = from_user;
  Log("button " + std::to_string(id) + " " + Quoted(name));
  bool was_running = button_running_;
  button_running_ = true;
  Execute({obj.card, obj.offset, id, true, 0}, from_user, false, name);
  button_running_ = was_running;
  return 0;
}

int ActionExecutor::RunActionRecord(uint16_t id, bool from_user, bool wait,
                                    const std::string& name) {
  if (id == 0 || (hooks_.browse_mode && !hooks_.browse_mode())) return 0;
  std::string line = "action " + std::to_string(id);
  if (!name.empty()) line.append(" ").append(Quoted(name));
  Log(line);
  if (Handle block = stack_.resources().Get(restype::kActn, id))
    Execute({block, 0, id, false, handles_.GetSize(block)}, from_user, wait, name);
  return 1;
}

int ActionExecutor::RunEventAction(uint16_t id, bool from_user, bool wait, int string_id) {
  return RunActionRecord(id, from_user, wait, LoadLocalizedString(string_id));
}

int ActionExecutor::ExecuteActions(Handle record, uint32_t offset, const std::string& name,
                                   bool from_user, bool wait) {
  uint16_t id = 0;
  {
    LockedHandle locked(handles_, record);
    if (!locked || offset >= locked.size()) return 0;
    id = Field16(Bytes{locked.data() + offset, locked.size() - offset}, object::kId);
  }
  Execute({record, offset, id, false, handles_.GetSize(record)}, from_user, wait, name);
  return 0;
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

bool ActionExecutor::MayGoOn(Source& source, std::vector<uint8_t>& record) {
  if (source.button) {
    Handle card = hooks_.current_card ? hooks_.current_card() : 0;
    ObjectRef obj = FindObjectById(stack_, handles_, card, object::kButton, source.id);
    if (!obj) return false;
    source.handle = obj.card;
    source.offset = obj.offset;
  } else if (!handles_.IsValid(source.handle) ||
             handles_.GetSize(source.handle) != source.block_size) {
    return false;
  }
  return Copy(source, record);
}

FileRequest ActionExecutor::FileEntryRequest(const std::vector<uint8_t>& entry) const {
  FileRequest request;
  request.stored = ReferencePath(EntryData(entry));
  request.host_path = hooks_.resolve_path ? hooks_.resolve_path(request.stored) : "";
  return request;
}

std::vector<uint8_t> ActionExecutor::Entry(const std::vector<uint8_t>& record, uint16_t id,
                                           uint16_t kind) {
  std::vector<uint8_t> copy = record;
  Bytes view = View(copy);
  if (size_t at = FindEntry(view, kind)) {
    size_t length = EntryLengthAt(view, at);
    return {copy.begin() + long(at), copy.begin() + long(at + length)};
  }
  Handle card = hooks_.current_card ? hooks_.current_card() : 0;
  EntryRef ref = FindActionEntry(stack_, handles_, card, id, kind);
  if (!ref) return {};
  LockedHandle locked(handles_, ref.handle);
  if (!locked || ref.offset >= locked.size()) return {};
  Bytes rest{locked.data() + ref.offset, locked.size() - ref.offset};
  uint32_t length = Field32(rest, action::kEntryLength);
  if (length < action::kEntryHeaderSize || length > rest.size) return {};
  return {rest.data, rest.data + length};
}

void ActionExecutor::Execute(Source source, bool from_user, bool wait, const std::string& name) {
  (void)from_user;
  if (depth_ >= kDepthLimit) return;
  struct Depth {
    int& d;
    explicit Depth(int& v) : d(v) { ++d; }
    ~Depth() { --d; }
  } depth(depth_);

  std::vector<uint8_t> record;
  if (!Copy(source, record)) return;
  Bytes r = View(record);
  const uint16_t id = source.id;

  // The record's centre and colour feed the next transition.
  Rect rect{GetI16(r.data + 4), GetI16(r.data + 6), GetI16(r.data + 8), GetI16(r.data + 10)};
  if (hooks_.set_origin)
    hooks_.set_origin({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2},
                      int(Field16(r, button::kButtonColor)) - 1);

  const uint16_t flags = Field16(r, button::kActionFlags);
  const uint16_t answer = Field16(r, button::kAnswer);
  auto steps =
      PlanActions(flags, answer, [&](uint16_t kind) { return !Entry(record, id, kind).empty(); });
  bool movie = false, animation = false, nba = false;

  for (ActionStep step : steps) {
    if (step == ActionStep::kOtherStack || step == ActionStep::kGoToCard ||
        step == ActionStep::kLaunch) {
      // The record's media play to their end before it moves on; what ran meanwhile may
      // have changed or removed the record, so it is read again.
      WaitForMedia(id, movie, animation, nba);
      if ((movie || animation || nba) && !MayGoOn(source, record)) return;
    }
    r = View(record);
    switch (step) {
      case ActionStep::kAnswerMark:
        if (answer == 3) {
          if (hooks_.ask_user_name)
            if (auto typed = hooks_.ask_user_name()) user_name_ = *typed;
        } else {
          Handle card = hooks_.current_card ? hooks_.current_card() : 0;
          if (card && !RecordAnswer(handles_, card, answer == 1, name)) {
            if (hooks_.alert) hooks_.alert(stackalert::kNoMemory);
          } else if (card) {
            Score score = CountAnswers(stack_, handles_);
            Log("score " + std::to_string(score.right) + " of " + std::to_string(score.answered));
          }
        }
        break;
      case ActionStep::kStackSound: {
        auto entry = Entry(record, id, action::kEntryStackSound);
        Bytes e = View(entry);
        media_.StopSound();
        StackSoundRequest request{Field16(e, action::kEntryResourceId),
                                  {},
                                  Field16(e, 4),
                                  Field16(e, action::kEntrySoundFlags)};
        if (request.flags & kStopSoundOnly) break;
        if (const ResourceEntry* res = stack_.resources().Find(restype::kSnd, request.sound_id))
          request.name = res->Name();
        media_.PlayStackSound(request);
        break;
      }
      case ActionStep::kSoundFile: {
        auto entry = Entry(record, id, action::kEntrySoundFile);
        Bytes e = View(entry);
        FileRequest request = FileEntryRequest(entry);
        request.param = Field16(e, 4);
        request.flags = Field16(e, 24);
        media_.PlaySoundFile(request);
        break;
      }
      case ActionStep::kMovie: {
        auto entry = Entry(record, id, action::kEntryMovie);
        Bytes e = View(entry);
        FileRequest request = FileEntryRequest(entry);
        request.rect = EntryRect(e);
        movie = media_.StartMovie(id, request) || movie;
        break;
      }
      case ActionStep::kAnimation: {
        auto entry = Entry(record, id, action::kEntryAnimation);
        Bytes e = View(entry);
        AnimationRequest request{id, EntryRect(e), EntryData(entry)};
        animation = media_.StartAnimation(request) || animation;
        break;
      }
      case ActionStep::kVideodisc: {
        auto entry = Entry(record, id, action::kEntryVideodisc);
        media_.PlayVideodisc(id, entry);
        break;
      }
      case ActionStep::kNba: {
        auto entry = Entry(record, id, action::kEntryNba);
        uint16_t nba_id = Field16(View(entry), action::kEntryResourceId);
        if (nba_id == kKeyboardSelectionNba) {
          auto data = EntryData(entry);
          StartSelection({data.begin(), data.end()});
        } else {
          NbaRequest request{nba_id, id, {}, EntryData(entry)};
          if (Handle block = stack_.resources().Get(restype::kNBAs, nba_id)) {
            LockedHandle locked(handles_, block);
            request.module = TerminatedText(Bytes{locked.data(), locked.size()}, nba::kModuleName,
                                            nba::kModuleNameField);
          }
          nba = media_.CallNba(request) || nba;
        }
        if (!MayGoOn(source, record)) return;
        break;
      }
      case ActionStep::kScript: {
        auto entry = Entry(record, id, action::kEntryScript);
        Bytes e = View(entry);
        auto data = EntryData(entry);
        ScriptRequest request{
            id,
            {GetI16(e.data + 4), GetI16(e.data + 6), GetI16(e.data + 8), GetI16(e.data + 10)},
            std::string(data.begin(), data.end())};
        media_.RunScript(request);
        if (!MayGoOn(source, record)) return;
        break;
      }
      case ActionStep::kOtherStack: {
        auto entry = Entry(record, id, action::kEntryOtherStack);
        std::string stored = ReferencePath(EntryData(entry));
        int16_t destination = GetI16(r.data + button::kDestination);
        int transition = Field16(r, button::kTransition), speed = Field16(r, button::kSpeed);
        std::string path = hooks_.resolve_path ? hooks_.resolve_path(stored) : "";
        if (path.empty()) {
          // Nothing to open: the current card is shown again.
          Log("missing " + Quoted(std::string(NamePart(stored))));
          if (hooks_.redisplay) hooks_.redisplay();
        } else if (hooks_.go_to_stack) {
          uint16_t card = destination == kOtherStackFirstCard ? 65530 : uint16_t(destination);
          hooks_.go_to_stack(path, card, transition, speed);
        }
        break;
      }
      case ActionStep::kGoToCard: {
        int destination = GetI16(r.data + button::kDestination);
        int transition = Field16(r, button::kTransition), speed = Field16(r, button::kSpeed);
        if (hooks_.go_to_destination) hooks_.go_to_destination(destination, transition, speed);
        break;
      }
      case ActionStep::kLaunch:
        Launch(Entry(record, id, action::kEntryLaunch));
        break;
    }
  }
  if (wait) WaitForMedia(id, movie, animation, nba);
  if (stack_.is_open() && (stack_.Header16(header::kFlags) & header::kFlagDiscardClicks))
    DiscardClicks();
}

void ActionExecutor::Launch(const std::vector<uint8_t>& entry) {
  Bytes e{const_cast<uint8_t*>(entry.data()), entry.size()};
  uint16_t launch_flags = Field16(e, action::kEntryResourceId);
  uint32_t first_length = Field32(e, 18);
  auto data = EntryData(entry);
  std::string document = ReferencePath(data);
  std::string program =
      first_length < data.size() ? ReferencePath(data.subspan(first_length)) : std::string();
  std::string program_name(NamePart(program)), document_name(NamePart(document));
  if (program_name.empty() && document_name.empty()) return;
  // Stacks come from the web: nothing starts without the user's say, every time.
  if (!hooks_.confirm_launch || !hooks_.confirm_launch(program_name, document_name)) return;
  // The desktop opens the document with its own program; without a document, the program.
  const std::string& target = document_name.empty() ? program : document;
  std::string path = hooks_.resolve_path ? hooks_.resolve_path(target) : "";
  bool launched = false;
  if (!path.empty()) {
    Log("launch " + Quoted(program_name) + " " + Quoted(document_name));
    launched = hooks_.launch && hooks_.launch(path);
  }
  if (!launched) {
    if (hooks_.alert) hooks_.alert(kAlertCannotLaunch);
    return;
  }
  if ((launch_flags & kCloseAfterLaunch) && hooks_.close_player) hooks_.close_player();
}

void ActionExecutor::DiscardClicks() {
  Message m;
  // Left, right and middle buttons: down, up and double-click.
  while (windows_.PeekMessage(m, window_, msg::kLButtonDown, msg::kMouseMove + 9, true)) {
  }
}

}  // namespace corvida
