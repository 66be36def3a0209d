#include "stackfile/stack.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text.h"
#include "stackfile/cardpicture.h"
#include "stackfile/mactext.h"
#include "stackfile/records.h"
#include "stackfile/stack_io.h"

namespace corvida {

namespace {

constexpr size_t kCardEntrySize = 16;  // record handle, then 12 bytes of run-time state
constexpr size_t kFontEntrySize = 92;
constexpr uint16_t kFontListId = 128;
constexpr uint16_t kWorkspaceId = 128;

constexpr int kCannotConvertCardSize = 2308;

// Gives every card with a picture of its own a picture of the new card size (the old one
// at its top left). All records are made first and swapped in only when every one could
// be: on failure the stack stays as it was read, at its old size.
bool ResizeCardPictures(Handles& handles, Handle card_table, int count, Size from, Size to,
                        int depth) {
  std::vector<std::pair<int, Handle>> made;
  auto give_up = [&] {
    for (auto& [n, record] : made) handles.Dispose(record);
    return false;
  };
  for (int n = 1; n <= count; ++n) {
    Handle card = static_cast<Handle>(Get32(handles.Lock(card_table) + (n - 1) * kCardEntrySize));
    handles.Unlock(card_table);
    LockedHandle bytes(handles, card);
    Bytes record{bytes.data(), bytes.size()};
    if (!card::HasPicture(Field16(record, card::kKind))) continue;
    const size_t objects = ObjectListStart(record);
    if (objects <= picture::kOffset) continue;  // a block that does not fit: no picture
    std::vector<uint8_t> block = ResizeCardPicture(
        {record.data + picture::kOffset, objects - picture::kOffset}, from, to, depth);
    if (block.empty()) continue;  // no picture that can be read: nothing to adapt
    const uint64_t size = uint64_t{picture::kOffset} + block.size() + (record.size - objects);
    Handle resized = size <= UINT32_MAX ? handles.New(static_cast<uint32_t>(size)) : 0;
    if (!resized) return give_up();
    made.emplace_back(n, resized);
    LockedHandle out(handles, resized);
    uint8_t* at = out.data();
    std::memcpy(at, record.data, picture::kOffset);
    std::memcpy(at + picture::kOffset, block.data(), block.size());
    std::memcpy(at + picture::kOffset + block.size(), record.data + objects, record.size - objects);
    Put32(at + card::kLength, static_cast<uint32_t>(size));
  }
  LockedHandle table(handles, card_table);
  for (auto& [n, record] : made) {
    uint8_t* entry = table.data() + size_t(n - 1) * kCardEntrySize;
    handles.Dispose(static_cast<Handle>(Get32(entry)));
    Put32(entry, static_cast<uint32_t>(record));
  }
  return true;
}

bool ValidDepth(uint16_t depth) {
  return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 32;
}

}  // namespace

void header::Convert(uint8_t* bytes, Direction dir) {
  Bytes b{bytes, kSize};
  Convert16s(b, {0,  2,  4,  6,  8,  10, 12, 14, 16, 18, 20, 22, 24,
                 26, 48, 50, 52, 54, 56, 58, 68, 70, 72, 74, 76, 78},
             dir);
  Convert32s(b, {60, 64}, dir);
}

Stack::Stack(Handles& handles) : handles_(handles), resources_(handles) {}

Stack::~Stack() {
  Close();
}

void Stack::Close() {
  for (int n = CardCount(); n >= 1; --n) handles_.Dispose(CardAt(n));
  handles_.DisposeAndClear(&card_table_);
  handles_.DisposeAndClear(&header_);
  handles_.DisposeAndClear(&font_list_);
  resources_.CloseAll();
  workspace_.clear();
  workspace_changed_ = false;
  path_.clear();
  changed_ = false;
  names_converted_ = white_first_color_ = card_size_raised_ = false;
}

namespace {

StackOpenResult Refusal(int alert_id, bool not_a_stack) {
  StackOpenResult result;
  result.code = kRefused;
  result.messages.push_back({StackMessage::Kind::kAlert, alert_id});
  result.discard_cached_copy = not_a_stack;
  return result;
}

StackOpenResult FileError(int code) {
  StackOpenResult result;
  result.code = -1;
  result.messages.push_back({StackMessage::Kind::kFileError, code});
  return result;
}

StackOpenResult Question(StackQuestion question) {
  StackOpenResult result;
  result.question = question;
  return result;
}

}  // namespace

// What the header check hands on to the rest of the open.
struct Stack::HeaderCheck {
  uint16_t card_count = 0;
  bool raise_card_size = false;
  Size raised;
};

StackOpenResult Stack::Fail(StackOpenResult result) {
  Close();
  return result;
}

StackOpenResult Stack::CheckHeader(const uint8_t* h, const StackOpenOptions& options,
                                   HeaderCheck& out) const {
  Bytes hb{const_cast<uint8_t*>(h), header::kSize};
  uint16_t depth = Field16(hb, header::kColorDepth);
  int16_t width = static_cast<int16_t>(Field16(hb, header::kCardWidth));
  int16_t height = static_cast<int16_t>(Field16(hb, header::kCardHeight));
  uint16_t version = Field16(hb, header::kVersion);
  out.card_count = Field16(hb, header::kCardCount);
  bool valid = ValidDepth(depth) && Field16(hb, header::kFormat) < 256 && version >= 1 &&
               version <= 255 && width > 0 && height > 0 && out.card_count != 0 &&
               Field32(hb, header::kResourceCount) <= 0x10000;
  if (!valid) return Refusal(strid::kNotAStack, true);
  if (depth == 1) return Refusal(strid::kBlackAndWhiteStack, false);
  if (int64_t{width} * height > kMaxCardPixels) return Refusal(strid::kCardTooLarge, false);

  // The size question comes before the version checks: a user who says No to it is not
  // told about the version as well.
  Size minimum{std::max(40, options.minimum_card.width), std::max(40, options.minimum_card.height)};
  if (width < minimum.width || height < minimum.height) {
    const auto& convert = options.answers.convert_small_card;
    if (!convert) return Question(StackQuestion::kConvertSmallCard);
    if (!*convert) {
      StackOpenResult refused;
      refused.code = kRefused;
      return refused;
    }
    out.raise_card_size = true;
    out.raised = {std::max<int>(width, minimum.width), std::max<int>(height, minimum.height)};
  }
  if (version > 5) return Refusal(strid::kStackTooNew, false);
  if (version < 4) return Refusal(strid::kStackTooOld, false);
  return {};
}

StackOpenResult Stack::Open(const std::string& path, const StackOpenOptions& options) {
  Close();
  path_ = path;
  stackio::InFile in;
  if (!in.Open(path)) return Fail(FileError(-1));

  uint8_t h[header::kSize];
  // A file too short for a header is not a stack either.
  if (!in.ReadAt(0, h, sizeof h)) return Fail(Refusal(strid::kNotAStack, true));
  header::Convert(h, Direction::kLoad);
  HeaderCheck check;
  StackOpenResult checked = CheckHeader(h, options, check);
  if (!checked.opened()) return Fail(std::move(checked));

  header_ = handles_.New(header::kSize);
  card_table_ = handles_.New(0);
  if (!header_ || !card_table_) return Fail(FileError(2683));
  std::memcpy(handles_.Lock(header_), h, sizeof h);
  handles_.Unlock(header_);

  std::vector<StackMessage> messages;
  int card_error = ReadCardRecords(in, check.card_count, messages);
  in.Close();
  ConvertCards();

  StackOpenResult result = OpenResourceArea(path, options, card_error);
  result.messages.insert(result.messages.begin(), messages.begin(), messages.end());
  if (result.question != StackQuestion::kNone || !resources_.current())
    return Fail(std::move(result));
  if (result.code != 0) return result;  // the cards read so far stay, without settings

  if (check.raise_card_size) {
    const Size from{static_cast<int16_t>(Header16(header::kCardWidth)),
                    static_cast<int16_t>(Header16(header::kCardHeight))};
    if (ResizeCardPictures(handles_, card_table_, CardCount(), from, check.raised,
                           Header16(header::kColorDepth))) {
      SetHeader16(header::kCardWidth, static_cast<uint16_t>(check.raised.width));
      SetHeader16(header::kCardHeight, static_cast<uint16_t>(check.raised.height));
      card_size_raised_ = true;
    } else {
      result.messages.push_back({StackMessage::Kind::kAlert, kCannotConvertCardSize});
    }
  }
  DetachFontsAndWorkspace();
  if (workspace_listener_) workspace_listener_->StackOpened();
  changed_ = false;  // a raised card size is not a change the user made
  return result;
}

// Reads the card records after the header into the CardTable: 0, or -1 when a record is
// damaged (the ones before it stay). Each record is at least 100 bytes and inside the file.
int Stack::ReadCardRecords(stackio::InFile& in, unsigned count,
                           std::vector<StackMessage>& messages) {
  int error = 0;
  uint64_t position = header::kSize;
  std::vector<Handle> records;
  for (unsigned i = 0; i < count; ++i) {
    uint8_t prefix[6];
    uint32_t length = 0;
    if (in.ReadAt(position, prefix, sizeof prefix)) length = GetBE32(prefix + card::kLength);
    Handle record = 0;
    if (length >= card::kMinRecordSize && length <= in.size() - position)
      record = handles_.New(length);
    if (!record || !ReadCardRecord(in, position, record)) {
      handles_.Dispose(record);
      error = -1;
      break;
    }
    records.push_back(record);
    position += length;
  }
  if (records.empty()) return error;
  // The table is filled in one step: adding cards one by one would copy it each time.
  uint32_t size = static_cast<uint32_t>(records.size() * kCardEntrySize);
  if (handles_.SetSize(card_table_, size) != 0) {
    for (Handle r : records) handles_.Dispose(r);
    messages.push_back({StackMessage::Kind::kAlert, strid::kNotEnoughMemory});
    return -1;
  }
  LockedHandle table(handles_, card_table_);
  std::memset(table.data(), 0, size);
  for (size_t i = 0; i < records.size(); ++i)
    Put32(table.data() + i * kCardEntrySize, static_cast<uint32_t>(records[i]));
  return error;
}

bool Stack::ReadCardRecord(stackio::InFile& in, uint64_t position, Handle record) {
  LockedHandle bytes(handles_, record);
  if (!bytes || !in.ReadAt(position, bytes.data(), bytes.size())) return false;
  // Every record ends with the end-of-list word and the trailer.
  uint8_t* end = bytes.data() + bytes.size() - 4;
  end[0] = end[1] = 0;
  PutBE16(end + 2, card::kTrailer);
  return true;
}

// Opens the resource area after the cards. Without cards or without an area, the open
// fails with the card error (or -1) and alert 2305.
StackOpenResult Stack::OpenResourceArea(const std::string& path, const StackOpenOptions& options,
                                        int card_error) {
  StackOpenResult result;
  result.code = card_error;
  if (CardCount() > 0) {
    ResourceOpenOptions area;
    area.convert_names = names_converted_;
    area.write_last_id = !options.from_download && stackio::IsWritable(path);
    const auto& keep = options.answers.keep_damaged_resources;
    area.damaged = !keep   ? DamagedBlocks::kUnanswered
                   : *keep ? DamagedBlocks::kKeepWhatWasRead
                           : DamagedBlocks::kDiscardArea;
    ResourceOpenResult opened = resources_.OpenArea(path, Header32(header::kResourceOffset), area);
    if (opened.damage_unanswered) return Question(StackQuestion::kKeepDamagedResources);
    if (opened.serial != 0) return result;
  }
  result.code = card_error ? card_error : -1;
  result.discard_cached_copy = true;
  result.messages.push_back({StackMessage::Kind::kFileError, result.code});
  result.messages.push_back({StackMessage::Kind::kAlert, strid::kNoCardsRead});
  return result;
}

void Stack::ConvertCards() {
  bool mac_names = (Header16(header::kFlags) & header::kFlagMacNames) != 0;
  int count = CardCount();
  for (int n = 1; n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    ConvertCardRecord({bytes.data(), bytes.size()}, Direction::kLoad);
  }
  // The stack's first picture decides the white-first-colour flag before any name is
  // converted, so that every name of a stack is treated alike.
  for (int n = 1; n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    if (auto white = FirstColorIsWhite({bytes.data(), bytes.size()})) {
      white_first_color_ = *white;
      break;
    }
  }
  names_converted_ = mac_names || white_first_color_;
  if (!names_converted_) return;
  for (int n = 1; n <= count; ++n) {
    LockedHandle bytes(handles_, CardAt(n));
    ConvertCardNames({bytes.data(), bytes.size()}, Direction::kLoad);
  }
}

void Stack::DetachFontsAndWorkspace() {
  Handle fonts = resources_.Get(restype::kFntL, kFontListId);
  if (fonts && resources_.Detach(fonts) == 0) {
    font_list_ = fonts;
  } else {
    font_list_ = handles_.New(kFontEntrySize);
  }
  Handle ws = resources_.Get(restype::kWKSp, kWorkspaceId);
  if (!ws) ws = resources_.Get(restype::kWkSp, kWorkspaceId);
  if (ws) {
    LockedHandle bytes(handles_, ws);
    workspace_.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  workspace_changed_ = false;
}

void Stack::SetWorkspace(std::string text) {
  if (text != workspace_) changed_ = true;
  workspace_ = std::move(text);
  workspace_changed_ = true;
}

int Stack::CreateNew(int16_t width, int16_t height, uint16_t depth) {
  Close();
  header_ = handles_.New(header::kSize);
  card_table_ = handles_.New(0);
  font_list_ = handles_.New(kFontEntrySize);
  if (!header_ || !card_table_ || !font_list_) {
    Close();
    return -1;
  }
  SetHeader16(header::kVersion, 5);
  SetHeader16(header::kNextCardId, 1);
  SetHeader16(12, 1);
  SetHeader16(header::kAutoTimers, 1);
  SetHeader16(22, 1);
  SetHeader16(header::kColorDepth, depth);
  SetHeader16(header::kCardWidth, static_cast<uint16_t>(width));
  SetHeader16(header::kCardHeight, static_cast<uint16_t>(height));
  resources_.OpenScratchArea();
  changed_ = false;
  return 0;
}

uint16_t Stack::Header16(size_t offset) const {
  if (!header_ || offset + 2 > header::kSize) return 0;
  uint16_t v = Get16(handles_.Lock(header_) + offset);
  handles_.Unlock(header_);
  return v;
}

uint32_t Stack::Header32(size_t offset) const {
  if (!header_ || offset + 4 > header::kSize) return 0;
  uint32_t v = Get32(handles_.Lock(header_) + offset);
  handles_.Unlock(header_);
  return v;
}

void Stack::SetHeader16(size_t offset, uint16_t value) {
  if (!header_ || offset + 2 > header::kSize) return;
  uint8_t* at = handles_.Lock(header_) + offset;
  if (Get16(at) != value) changed_ = true;
  Put16(at, value);
  handles_.Unlock(header_);
}

int Stack::CardCount() const {
  return card_table_ ? static_cast<int>(handles_.GetSize(card_table_) / kCardEntrySize) : 0;
}

Handle Stack::CardAt(int number) const {
  if (number < 1 || number > CardCount()) return 0;
  Handle h = static_cast<Handle>(Get32(handles_.Lock(card_table_) + (number - 1) * kCardEntrySize));
  handles_.Unlock(card_table_);
  return h;
}

Handle Stack::CardById(uint16_t id) const {
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    Handle card = CardAt(n);
    LockedHandle bytes(handles_, card);
    if (bytes.size() >= 2 && Get16(bytes.data() + card::kId) == id) return card;
  }
  return 0;
}

Handle Stack::CardByName(std::string_view name) const {
  for (int n = 1, count = CardCount(); n <= count; ++n) {
    Handle card = CardAt(n);
    LockedHandle bytes(handles_, card);
    if (EqualsIgnoringCase(CountedText({bytes.data(), bytes.size()}, card::kName, card::kNameField),
                           name)) {
      return card;
    }
  }
  return 0;
}

int Stack::CardNumber(Handle card) const {
  int count = CardCount();
  for (int n = 1; n <= count; ++n) {
    if (CardAt(n) == card) return n;
  }
  return count + 1;
}

bool Stack::AddCard(Handle card, int position) {
  int count = CardCount();
  position = std::clamp(position, 0, count);
  uint8_t entry[kCardEntrySize] = {};
  Put32(entry, static_cast<uint32_t>(card));
  if (!card_table_ ||
      handles_.InsertBytes(card_table_, entry, static_cast<uint32_t>(position * kCardEntrySize),
                           kCardEntrySize) != 0) {
    return false;
  }
  changed_ = true;
  return true;
}

Handle Stack::BackgroundOf(Handle card) const {
  int hops = CardCount();
  std::vector<Handle> seen;
  while (card && hops-- >= 0) {
    LockedHandle bytes(handles_, card);
    if (bytes.size() < card::kHeaderSize) return 0;
    uint16_t kind = Get16(bytes.data() + card::kKind);
    if (kind == card::kKindBackground) return card;
    if (std::find(seen.begin(), seen.end(), card) != seen.end()) return 0;
    seen.push_back(card);
    card = CardById(Get16(bytes.data() + card::kBackgroundId));
  }
  return 0;
}

}  // namespace corvida
