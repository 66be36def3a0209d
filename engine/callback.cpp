#include "engine/callback.h"

#include <algorithm>

namespace corvida {

CallbackDispatch::CallbackDispatch(Stack& stack, Handles& handles, Navigation& nav,
                                   ActionExecutor& executor, Prefs& prefs, CallbackHost& host)
    : stack_(stack),
      handles_(handles),
      nav_(nav),
      executor_(executor),
      prefs_(prefs),
      host_(host) {}

CallbackDispatch::~CallbackDispatch() {
  for (auto& [h, size] : caller_sizes_) handles_.Dispose(h);
  for (auto& [purpose, h] : answer_blocks_) handles_.Dispose(h);
}

const std::array<CallbackDispatch::Handler, CallbackDispatch::kLastCommand + 1>&
CallbackDispatch::Table() {
  using D = CallbackDispatch;
  static const auto table = [] {
    std::array<Handler, kLastCommand + 1> t{};
    const std::pair<int, Handler> entries[] = {
        {1, &D::GoFirstCard},
        {2, &D::GoLastCard},
        {3, &D::GoPreviousCard},
        {4, &D::GoNextCard},
        {5, &D::GoToCard},
        {6, &D::ShowAgain},
        {7, &D::StackPath},
        {10, &D::ChooseMenuItem},
        {11, &D::PlayerVersion},
        {12, &D::VersionPair},
        {13, &D::StackFileInfo},
        {14, &D::CardCountOf},
        {15, &D::NewHandle},
        {16, &D::LockHandle},
        {17, &D::UnlockHandle},
        {18, &D::StackRecords},
        {19, &D::FirstCard},
        {20, &D::CurrentCard},
        {21, &D::CardAfter},
        {22, &D::FirstObjectOf},
        {23, &D::ObjectAfter},
        {24, &D::Locate},
        {25, &D::InsertText},
        {26, &D::Hide},
        {27, &D::Show},
        {28, &D::SetMarker},
        {29, &D::ClearMarker},
        {30, &D::Delete},
        {31, &D::GetRect},
        {32, &D::SetRect},
        {33, &D::IconId},
        {34, &D::SetIcon},
        {35, &D::ObjectInfo},
        {36, &D::RedisplayText},
        {37, &D::Centre},
        {38, &D::RedrawAt},
        {42, &D::PendingMessages},
        {43, &D::PressButton},
        {44, &D::ScrollField},
        {48, &D::OffscreenBitmap},
        {49, &D::Score},
        {54, &D::PlaySoundFile},
        {55, &D::PlayStackSound},
        {58, &D::GetFieldText},
        {59, &D::SetFieldText},
        {61, &D::FileSlotTable},
        {62, &D::SwapTwoCards},
        {64, &D::MarkCardChanged},
        {67, &D::CallExtension},
        {68, &D::Alert},
        {70, &D::MarkBothChanged},
        {71, &D::LastNames},
        {72, &D::UserLevel},
        {73, &D::NewTextObject},
        {75, &D::CardSize},
        {81, &D::SlotRecordToReference},
        {82, &D::ReferenceToSlotRecord},
        {85, &D::EndOffscreen},
        {86, &D::BeginOffscreen},
        {89, &D::MediaState},
        {91, &D::RememberMarkedCard},
        {93, &D::LocateOnCurrent},
        {100, &D::ReadTextFile},
        {101, &D::WriteTextFile},
        {103, &D::StoreBrowseTool},
        {106, &D::DisposeTextObject},
        {107, &D::DisposeHandle},
        {108, &D::SystemBlockOf},
        {109, &D::ApplyFieldStyle},
        {110, &D::ResizeHandle},
        {111, &D::HandleSize},
        {112, &D::HandleFlags},
        {114, &D::HandleDiscarded},
        {115, &D::CardPicture},
        {117, &D::CardWithId},
        {118, &D::CardAtPosition},
        {122, &D::ObjectShape},
        {124, &D::ReadPreference},
        {125, &D::WritePreference},
        {131, &D::SetReturnPoint},
        {146, &D::Tool},
        {148, &D::Transitions},
        {149, &D::Zero},
        {150, &D::Palette},
        {152, &D::SetRedrawMode},
        {159, &D::UpdateCardPicture},
        {160, &D::MovieControl},
        {161, &D::ReleaseContext},
        {162, &D::LoadPicture},
        {163, &D::MadeOnMac},
        {170, &D::LockScreen},
        {171, &D::UnlockScreen},
        {172, &D::RunTarrow},
        {173, &D::CardInfo},
        {174, &D::OpenRunBox},
        {175, &D::PointerVisibility},
        {180, &D::RunObjectAction},
    };
    for (auto [n, handler] : entries) t[size_t(n)] = handler;
    return t;
  }();
  return table;
}

void CallbackDispatch::Dispatch() {
  const int n = block_.command();
  if (n < 0 || n > kLastCommand) return;
  host_.Dispatching(block_);
  Handler handler = Table()[size_t(n)];
  if (!handler) return;
  // Commands nest (a script presses a button whose script presses another): they count
  // against the executor's limit.
  int& nesting = executor_.nesting();
  if (nesting >= ActionExecutor::kDepthLimit) return;
  ++nesting;
  (this->*handler)();
  --nesting;
}

// ---- Tokens ----

Handle CallbackDispatch::CardOfToken(uint32_t token) const {
  auto card = tokens_.Resolve(token, TokenKind::kCard);
  if (!card || !stack_.is_open()) return 0;
  const Handle h = static_cast<Handle>(*card);
  // A card of a stack closed since is not in the table any more.
  return stack_.CardNumber(h) <= stack_.CardCount() ? h : 0;
}

uint32_t CallbackDispatch::CardToken(Handle card) {
  return card ? tokens_.Mint(TokenKind::kCard, static_cast<uint32_t>(card)) : 0;
}

std::optional<Handle> CallbackDispatch::HandleOf(uint32_t token, Access access) const {
  auto found = tokens_.Lookup(token);
  if (!found) return std::nullopt;
  auto [kind, value] = *found;
  const auto h = static_cast<Handle>(value);
  switch (kind) {
    case TokenKind::kMemory:
      break;
    case TokenKind::kCard:
      if (access == Access::kWrite || !CardOfToken(token)) return std::nullopt;
      break;
    case TokenKind::kRecord:
      if (access == Access::kWrite || (h != stack_.header() && h != stack_.card_table()))
        return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  if (!handles_.IsValid(h)) return std::nullopt;
  return h;
}

// ---- Memory blocks ----

uint32_t CallbackDispatch::NewBlock(std::span<const uint8_t> bytes) {
  if (caller_sizes_.size() >= kCallerBlocksLimit ||
      caller_bytes_ + bytes.size() > kCallerBytesLimit)
    return 0;
  const Handle h = handles_.New(static_cast<uint32_t>(bytes.size()));
  if (!h) return 0;
  const uint32_t token = tokens_.Mint(TokenKind::kMemory, static_cast<uint32_t>(h));
  if (!token) {
    handles_.Dispose(h);
    return 0;
  }
  if (!bytes.empty()) {
    LockedHandle locked(handles_, h);
    std::copy(bytes.begin(), bytes.end(), locked.data());
  }
  caller_sizes_[h] = static_cast<uint32_t>(bytes.size());
  caller_bytes_ += bytes.size();
  return token;
}

std::vector<uint8_t> CallbackDispatch::ReadBlock(uint32_t token, size_t limit) {
  auto h = HandleOf(token, Access::kRead);
  if (!h) return {};
  LockedHandle locked(handles_, *h);
  if (!locked) return {};
  return {locked.data(), locked.data() + std::min<size_t>(limit, locked.size())};
}

bool CallbackDispatch::WriteBlock(uint32_t token, size_t offset, std::span<const uint8_t> bytes) {
  auto h = HandleOf(token, Access::kWrite);
  if (!h) return false;
  LockedHandle locked(handles_, *h);
  if (!locked || !InBounds({locked.data(), locked.size()}, offset, bytes.size())) return false;
  std::copy(bytes.begin(), bytes.end(), locked.data() + offset);
  return true;
}

bool CallbackDispatch::ResizeBlock(uint32_t token, uint32_t size) {
  auto h = HandleOf(token, Access::kWrite);
  auto it = h ? caller_sizes_.find(*h) : caller_sizes_.end();
  if (it == caller_sizes_.end() || caller_bytes_ - it->second + size > kCallerBytesLimit)
    return false;
  if (handles_.SetSize(*h, size) != 0) return false;
  caller_bytes_ = caller_bytes_ - it->second + size;
  it->second = size;
  return true;
}

void CallbackDispatch::DisposeBlock(uint32_t token) {
  auto h = HandleOf(token, Access::kWrite);
  if (!h || !caller_sizes_.count(*h)) return;
  tokens_.Revoke(token);
  if (auto it = caller_sizes_.find(*h); it != caller_sizes_.end()) {
    caller_bytes_ -= it->second;
    caller_sizes_.erase(it);
  }
  handles_.Dispose(*h);
}

std::optional<std::string> CallbackDispatch::StringAt(uint32_t token) {
  std::vector<uint8_t> bytes = ReadBlock(token, kStringLimit + 2);
  if (bytes.empty()) return std::nullopt;
  return CallbackString(bytes, kStringLimit);
}

std::vector<uint8_t> CallbackDispatch::Counted(std::string_view text) {
  text = text.substr(0, CallbackDispatch::kStringLimit);
  std::vector<uint8_t> bytes;
  bytes.push_back(static_cast<uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

uint32_t CallbackDispatch::NewString(std::string_view text) {
  return NewBlock(Counted(text));
}

uint32_t CallbackDispatch::AnswerBlock(int purpose, std::span<const uint8_t> bytes) {
  Handle& h = answer_blocks_[purpose];
  if (!handles_.IsValid(h)) {
    h = handles_.New(static_cast<uint32_t>(bytes.size()));
    if (!h) return 0;
  } else if (handles_.SetSize(h, static_cast<uint32_t>(bytes.size())) != 0) {
    return 0;
  }
  if (!bytes.empty()) {
    LockedHandle locked(handles_, h);
    if (!locked || locked.size() < bytes.size()) return 0;
    std::copy(bytes.begin(), bytes.end(), locked.data());
  }
  return tokens_.Mint(TokenKind::kMemory, static_cast<uint32_t>(h));
}

bool CallbackDispatch::IsObjectStart(Handle card, uint32_t offset) {
  LockedHandle bytes(handles_, card);
  if (!bytes) return false;
  Bytes view{bytes.data(), bytes.size()};
  size_t at = ObjectListStart(view);
  while (size_t length = ObjectLengthAt(view, at)) {
    if (at == offset) return true;
    at += length;
  }
  return false;
}

bool CallbackDispatch::StoreToken(uint32_t where, uint32_t token) {
  std::array<uint8_t, 4> bytes{};
  WriteLE32(bytes, 0, token);
  return WriteBlock(where, 0, bytes);
}

void CallbackDispatch::Zero() {
  Answer(1, 0);
}

}  // namespace corvida
