#include "engine/navigation.h"

#include "base/strings.h"
#include "engine/cards.h"
#include "engine/executor.h"
#include "platform/files.h"
#include "platform/text.h"
#include "stackfile/records.h"

namespace corvida {

namespace {

constexpr uint16_t kCardHidden = 0x0020;
constexpr size_t kJumpTextLimit = 15;

// Windows-form paths name the same file regardless of letter case.
bool SameFilePath(const std::string& a, const std::string& b) {
  return !a.empty() && EqualsIgnoringCase(a, b);
}

}  // namespace

Navigation::Navigation(Stack& stack, Handles& handles, FileSlots& files, NavigationHost& host,
                       CardViewSetup setup)
    : stack_(stack),
      handles_(handles),
      files_(files),
      host_(host),
      setup_(setup),
      view_(std::make_unique<CardView>(handles, stack)) {}

int Navigation::OpenStack(const std::string& path) {
  DisposeAnswers(stack_, handles_);
  const RenderOptions options = view_->options();
  ForgetCard();
  // The old view goes before the stack it shows and the painter it draws fields with; a
  // plain view stands in while the stack opens (its questions may repaint the window).
  view_ = std::make_unique<CardView>(handles_, stack_);
  view_->options() = options;
  fields_.reset();
  if (setup_.pictures) setup_.pictures->Trim();  // the old stack's pictures show no more
  const int status = host_.OpenStackFile(path);
  if (status != 0) return status;
  RenderServices services;
  services.fonts = setup_.fonts;
  services.pictures = setup_.pictures;
  services.first_frames = setup_.first_frames;
  services.missing = setup_.missing;
  const std::string folder = PathFolder(path);
  if (!setup_.downloaded) services.roots.stack_folder = folder.empty() ? "." : folder;
  services.roots.media_folders = setup_.media_folders;
  services.alert = [this](int id) { host_.Alert(id); };
  services.unknown_packing = setup_.unknown_packing;
  FieldTextServices field_services;
  field_services.fonts = services.fonts;
  field_services.roots = services.roots;
  field_services.missing = setup_.missing;
  field_services.local_stack = setup_.local_stack;
  field_services.mac_paths = stack_.names_converted();
  fields_ = std::make_unique<TextFieldPainter>(handles_, stack_, field_services);
  services.fields = fields_.get();
  view_ = std::make_unique<CardView>(handles_, stack_, std::move(services));
  view_->options() = options;
  return 0;
}

void Navigation::CloseStack() {
  view_->Reset();
  ForgetCard();
  DisposeAnswers(stack_, handles_);
  stack_.Close();
}

void Navigation::Request(std::function<void()> move) {
  if (changing_) {
    pending_ = std::move(move);  // the latest request wins
    return;
  }
  // Also over a move still waiting from an earlier change: cards that send each other on
  // give way to the user's own move.
  pending_.reset();
  changing_ = true;
  move();
  changing_ = false;
  if (pending_ && !host_.SchedulePendingMove()) RunPending();
}

void Navigation::RunPending() {
  // Without a scheduler queued moves run here one after another; with one, each runs
  // from its own message so the loop stays responsive.
  while (pending_ && !changing_) {
    auto move = std::move(*pending_);
    pending_.reset();
    changing_ = true;
    move();
    changing_ = false;
    if (pending_ && host_.SchedulePendingMove()) return;
  }
}

void Navigation::RunAction(uint16_t action, int role) {
  if (action == 0 || action_depth_ >= kActionDepthLimit) return;
  ++action_depth_;
  host_.RunCardAction(action, role);
  --action_depth_;
}

bool Navigation::SyncStackSlot() {
  stack_slot_ok_ = false;
  if (!has_file()) return false;
  const std::string path = AbsolutePath(stack_.path());
  if (path.empty() || files_.SetHostPath(FileSlots::kStack, path) != 0) return false;
  // The slot must lead back to this very file (a path the Windows form cannot carry
  // does not).
  stack_slot_ok_ = SameFile(files_.HostPath(FileSlots::kStack), path);
  return stack_slot_ok_;
}

bool Navigation::InCurrentStack(int slot, bool slot_has_file) const {
  if (!has_file()) return !slot_has_file;
  return slot_has_file && stack_slot_ok_ &&
         SameFilePath(files_.Path(slot), files_.Path(FileSlots::kStack));
}

void Navigation::SetHome(const std::string& path, uint16_t id) {
  home_has_file_ = !path.empty();
  if (home_has_file_ && files_.SetHostPath(kHomeSlot, AbsolutePath(path)) != 0) return;
  home_id_ = id;
  home_known_ = true;
}

void Navigation::RememberMarked(Handle card) {
  if (!card || !(CardField16(handles_, card, card::kFlags) & card::kFlagMarked)) return;
  marked_id_ = CardId(handles_, card);
  marked_has_file_ =
      has_file() && stack_slot_ok_ && files_.Copy(FileSlots::kStack, kMarkedSlot) == 0;
}

void Navigation::Push() {
  uint16_t id = target_id_;
  bool file = has_file();
  if (current_ && (CardField16(handles_, current_, card::kFlags) & card::kFlagMarked)) {
    marked_id_ = id;
    marked_has_file_ = file && stack_slot_ok_ && files_.Copy(FileSlots::kStack, kMarkedSlot) == 0;
  }
  // An entry keeps a copy of the stack slot; a stack the slot cannot name gets none.
  if (file && !stack_slot_ok_) return;
  const std::string ref = file ? files_.Path(FileSlots::kStack) : std::string();
  if (!history_.empty() && history_.front().card_id == id) {
    const HistoryEntry& top = history_.front();
    if (!file && !top.has_file) return;
    if (file && top.has_file && SameFilePath(top.stack_ref, ref)) return;
  }
  history_.push_front({id, file, ref});
  if (int(history_.size()) > kHistoryLimit) history_.pop_back();
}

void Navigation::Leave(bool push) {
  if (push) Push();
  host_.LeavingCard();
  if (current_)
    RunAction(CardField16(handles_, current_, card::kLeaveAction), strid::kLeaveCardAction);
  LeaveView();
}

void Navigation::LeaveView() {
  host_.LeaveCard();
  view_->ClearDisplayList();
}

void Navigation::Arrive(int transition, int speed, bool new_stack) {
  current_ = stack_.CardById(target_id_);
  host_.ShowCard(current_, transition, speed, true);
  host_.SetTitle(Title());
  host_.Arrived(current_, target_id_);
  if (new_stack) RunAction(stack_.Header16(header::kArriveAction), strid::kArriveAtStackAction);
  // The stack action may have closed the stack or moved on: look the card up again.
  current_ = stack_.CardById(target_id_);
  if (current_)
    RunAction(CardField16(handles_, current_, card::kArriveAction), strid::kArriveAtCardAction);
}

std::string Navigation::Title() const {
  std::string title =
      has_file() ? PathFileName(stack_.path()) : LoadLocalizedString(strid::kUntitled);
  if (current_ && stack_.Header16(header::kCardNumberInTitle) != 0) {
    int number = 0;
    for (int i = 1; i <= stack_.CardCount(); ++i) {
      Handle card = stack_.CardAt(i);
      if (!(CardField16(handles_, card, card::kFlags) & kCardHidden)) ++number;
      if (card == current_) break;
    }
    title += LoadLocalizedString(strid::kCardNumberLabel) + std::to_string(number);
  }
  return title;
}

void Navigation::GoToCard(uint16_t id, int transition, int speed, bool push) {
  Request([=, this] {
    Leave(push);
    if (stack_.CardById(id)) {
      target_id_ = id;
    } else {
      host_.Alert(strid::kCardNotFound);
    }
    Arrive(transition, speed, false);
  });
}

void Navigation::GoToPosition(int position, int transition, int speed) {
  Request([=, this] {
    Handle card = stack_.CardAt(position);
    Leave(true);
    if (card) target_id_ = CardId(handles_, card);
    Arrive(transition, speed, false);
  });
}

void Navigation::GoFirstCard(int transition, int speed) {
  GoToPosition(1, transition, speed);
}
void Navigation::GoLastCard(int transition, int speed) {
  GoToPosition(stack_.CardCount(), transition, speed);
}

void Navigation::GoPreviousCard(int transition, int speed) {
  int count = stack_.CardCount();
  int position = stack_.CardNumber(current_);
  GoToPosition(position <= 1 || position > count ? count : position - 1, transition, speed);
}

void Navigation::GoNextCard(int transition, int speed) {
  int position = stack_.CardNumber(current_);
  GoToPosition(position >= stack_.CardCount() ? 1 : position + 1, transition, speed);
}

void Navigation::GoBack(int transition, int speed) {
  if (history_.empty()) return;
  HistoryEntry top = history_.front();
  if (top.has_file) files_.SetPath(kBackSlot, top.stack_ref);
  const bool here = InCurrentStack(kBackSlot, top.has_file);
  // Declining the save question keeps the card, and the entry for a later Back.
  if (!here && top.has_file && !host_.ConfirmLeavingStack()) return;
  // The oldest entry stays, so repeated Back keeps returning to it.
  if (history_.size() > 1) history_.pop_front();
  if (here) {
    GoToCard(top.card_id, transition, speed, false);
  } else if (top.has_file) {
    GoToStackCard(files_.HostPath(kBackSlot), top.card_id, transition, speed, false);
  }
  // An untitled stack that was left cannot be opened again: Back stays where it is.
}

void Navigation::GoHome(int transition, int speed) {
  if (!home_known_) return;
  if (InCurrentStack(kHomeSlot, home_has_file_)) {
    GoToCard(home_id_, transition, speed, true);
  } else if (home_has_file_ && host_.ConfirmLeavingStack()) {
    GoToStackCard(files_.HostPath(kHomeSlot), home_id_, transition, speed, true);
  }
}

void Navigation::GoMarkedCard(int transition, int speed) {
  if (marked_id_ == 0) {
    host_.Alert(strid::kNoMarkedCard);
    return;
  }
  if (InCurrentStack(kMarkedSlot, marked_has_file_)) {
    GoToCard(marked_id_, transition, speed, true);
  } else if (marked_has_file_ && host_.ConfirmLeavingStack()) {
    GoToStackCard(files_.HostPath(kMarkedSlot), marked_id_, transition, speed, true);
  }
}

void Navigation::GoToDestination(int destination, int transition, int speed) {
  switch (destination) {
    case kDestNext:
      return GoNextCard(transition, speed);
    case kDestPrevious:
      return GoPreviousCard(transition, speed);
    case kDestReturn:
      return GoHome(transition, speed);
    case kDestBack:
      return GoBack(transition, speed);
    case kDestMarked:
      return GoMarkedCard(transition, speed);
    default:
      return GoToCard(uint16_t(destination), transition, speed, true);
  }
}

void Navigation::GoToStackCard(const std::string& path, uint16_t id, int transition, int speed,
                               bool push) {
  Request([=, this] {
    Leave(push);
    std::string old_path = stack_.path();
    uint16_t old_id = target_id_;
    current_ = 0;
    opening_card_id_ = id;
    const int opened = OpenStack(path);
    opening_card_id_ = kFirstCardOfStack;
    if (opened != 0 || stack_.CardCount() == 0) {
      // The stack that was showing comes back rather than leaving an empty window.
      if (!old_path.empty() && OpenStack(old_path) == 0 && stack_.CardCount() > 0) {
        SyncStackSlot();
        target_id_ = stack_.CardById(old_id) ? old_id : CardId(handles_, stack_.CardAt(1));
        Arrive(kCommandTransition, kCommandSpeed, false);
      } else {
        target_id_ = 0;
        stack_slot_ok_ = false;
        host_.ShowCard(0, kCommandTransition, kCommandSpeed, true);
      }
      return;
    }
    SyncStackSlot();
    Handle card = id != kFirstCardOfStack ? stack_.CardById(id) : 0;
    if (!card) card = stack_.CardAt(1);
    target_id_ = CardId(handles_, card);
    Arrive(transition, speed, true);
  });
}

void Navigation::ArriveInNewStack(bool leave, bool push) {
  Request([=, this] {
    if (leave && current_) Leave(push);
    SyncStackSlot();
    Handle first = stack_.CardAt(1);
    target_id_ = first ? CardId(handles_, first) : 0;
    if (!home_known_ && first) SetHome(stack_.path(), target_id_);
    Arrive(kCommandTransition, kCommandSpeed, true);
  });
}

void Navigation::RedisplayCard() {
  if (!current_) return;
  LeaveView();
  // Drawn again, not entered: the timers go on counting from where they are.
  host_.ShowCard(current_, kCommandTransition, kCommandSpeed, false);
}

uint16_t Navigation::JumpTarget(std::string_view text) {
  if (text.size() > kJumpTextLimit) text = text.substr(0, kJumpTextLimit);
  bool digits = true;
  bool blanks = true;
  for (char c : text) {
    digits = digits && c >= '0' && c <= '9';
    blanks = blanks && IsBlank(c);
  }
  if (digits) {
    // Saturates, so a long run of digits is simply beyond the card count.
    int64_t value = 0;
    for (char c : text) value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
    if (value >= 1 && value <= stack_.CardCount())
      return CardId(handles_, stack_.CardAt(int(value)));
  } else if (!blanks) {
    for (int i = 1; i <= stack_.CardCount(); ++i) {
      Handle card = stack_.CardAt(i);
      if (EqualsIgnoringCase(CardName(handles_, card), text)) return CardId(handles_, card);
    }
  }
  if (!text.empty()) host_.Alert(strid::kCardNotFound);
  return 0;
}

void Navigation::JumpToCard(std::optional<std::string> text) {
  if (!text) return;
  uint16_t id = JumpTarget(*text);
  if (id > 0) GoToCard(id, kCommandTransition, kCommandSpeed, true);
}

}  // namespace corvida
