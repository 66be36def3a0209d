#include "engine/cards.h"

#include <algorithm>

#include "platform/text.h"
#include "stackfile/mactext.h"
#include "stackfile/records_build.h"

namespace corvida {

namespace {

constexpr size_t kCardEntrySize = 16;

Bytes View(LockedHandle& locked) {
  return {locked.data(), locked.size()};
}

std::string_view Trimmed(std::string_view name) {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

// Name field of an object by type; {0, 0} for types without a name.
std::pair<size_t, size_t> NameField(uint16_t type) {
  switch (type) {
    case object::kButton:
      return {button::kName, button::kNameField};
    case object::kTextField:
      return {field::kName, field::kNameField};
    case object::kGraphic:
      return {graphic::kName, graphic::kNameField};
    default:
      return {0, 0};
  }
}

}  // namespace

uint16_t CardField16(Handles& handles, Handle card, size_t offset) {
  LockedHandle bytes(handles, card);
  return Field16(View(bytes), offset);
}
uint16_t CardId(Handles& handles, Handle card) {
  return CardField16(handles, card, card::kId);
}
uint16_t CardKind(Handles& handles, Handle card) {
  return CardField16(handles, card, card::kKind);
}
std::string CardName(Handles& handles, Handle card) {
  LockedHandle bytes(handles, card);
  return CountedText(View(bytes), card::kName, card::kNameField);
}

Handle BackgroundCardOf(const Stack& stack, Handles& handles, Handle card) {
  if (!card) return 0;
  if (CardKind(handles, card) == card::kKindBackground) return card;
  return stack.CardById(CardField16(handles, card, card::kBackgroundId));
}

uint16_t BackgroundIdOf(const Stack& stack, Handles& handles, Handle card) {
  uint16_t own = CardId(handles, card);
  if (CardKind(handles, card) != card::kKindShared) return own;
  Handle background = stack.BackgroundOf(card);
  return background ? CardId(handles, background) : own;
}

Handle PictureCardOf(const Stack& stack, Handles& handles, Handle card) {
  // Bounded by the card count, so a ring of background links ends.
  for (int hops = stack.CardCount(); card && hops >= 0; --hops) {
    if (card::HasPicture(CardKind(handles, card))) return card;
    Handle next = stack.CardById(CardField16(handles, card, card::kBackgroundId));
    if (next == card) return 0;
    card = next;
  }
  return 0;
}

uint32_t FirstObject(Handles& handles, Handle card) {
  LockedHandle bytes(handles, card);
  return static_cast<uint32_t>(ObjectListStart(View(bytes)));
}

bool SwapCards(Stack& stack, Handles& handles, int first, int second) {
  int count = stack.CardCount();
  if (first < 1 || second < 1 || first > count || second > count) return false;
  if (first == second) return true;
  LockedHandle table(handles, stack.card_table());
  if (!table.data() || table.size() < size_t(count) * kCardEntrySize) return false;
  uint8_t* a = table.data() + size_t(first - 1) * kCardEntrySize;
  uint8_t* b = table.data() + size_t(second - 1) * kCardEntrySize;
  std::swap_ranges(a, a + kCardEntrySize, b);
  return true;
}

Handle NewCard(Stack& stack, Handles& handles, Handle current, bool same_background,
               uint16_t screen_depth) {
  uint16_t id = stack.Header16(header::kNextCardId);
  stack.SetHeader16(header::kNextCardId, static_cast<uint16_t>(id + 1));
  uint16_t background = current ? BackgroundIdOf(stack, handles, current) : id;
  RecordBytes record =
      NewCardRecord(id, same_background ? card::kKindShared : card::kKindCard, background);
  Put16(record.data() + card::kMenuBar, 0);
  Put16(record.data() + card::kMadeAtDepth, screen_depth);
  Handle card = HandleFromBytes(handles, record);
  if (!card) return 0;
  // Right after the current card: its 1-based position is the new card's 0-based index.
  int index = current ? stack.CardNumber(current) : 0;
  if (!stack.AddCard(card, index)) {
    handles.Dispose(card);
    return 0;
  }
  return card;
}

// ---- ObjectIterator ----

ObjectIterator::ObjectIterator(const Stack& stack, Handles& handles, Handle start,
                               bool with_background)
    : stack_(stack), handles_(handles), start_(start), with_background_(with_background) {
  card_ = with_background ? BackgroundCardOf(stack, handles, start) : start;
  if (!card_) card_ = start;
  yield_all_ = card_ == start_;
}

bool ObjectIterator::Yields(uint16_t flags) const {
  if (flags & object::kFlagDeleted) return false;
  return yield_all_ || (flags & object::kFlagShared);
}

bool ObjectIterator::MoveToNextCard() {
  // A walk covers at most the starting card and one background.
  if (++cards_walked_ >= 2) return false;
  uint16_t walked = CardId(handles_, card_);
  uint16_t next =
      with_background_ ? CardId(handles_, start_) : BackgroundIdOf(stack_, handles_, card_);
  if (next == walked) return false;
  Handle card = with_background_ ? start_ : stack_.CardById(next);
  if (!card) return false;
  card_ = card;
  offset_ = 0;
  yield_all_ = card_ == start_;
  return true;
}

ObjectRef ObjectIterator::Next() {
  while (card_) {
    {
      LockedHandle bytes(handles_, card_);
      Bytes view = View(bytes);
      if (offset_ == 0) offset_ = static_cast<uint32_t>(ObjectListStart(view));
      while (size_t length = ObjectLengthAt(view, offset_)) {
        uint32_t at = offset_;
        offset_ += static_cast<uint32_t>(length);
        if (Yields(Field16(view, at + object::kFlags))) return {card_, at};
      }
    }
    if (!MoveToNextCard()) card_ = 0;
  }
  return {};
}

// ---- Object fields and lookups ----

uint16_t ObjectField16(Handles& handles, ObjectRef obj, size_t offset) {
  LockedHandle bytes(handles, obj.card);
  return Field16(View(bytes), obj.offset + offset);
}
uint16_t ObjectType(Handles& handles, ObjectRef obj) {
  return ObjectField16(handles, obj, object::kType);
}
uint16_t ObjectId(Handles& handles, ObjectRef obj) {
  return ObjectField16(handles, obj, object::kId);
}
uint16_t ObjectFlags(Handles& handles, ObjectRef obj) {
  return ObjectField16(handles, obj, object::kFlags);
}

Rect ObjectRect(Handles& handles, ObjectRef obj) {
  LockedHandle bytes(handles, obj.card);
  Bytes view = View(bytes);
  size_t at = obj.offset + object::kRect;
  if (!view.Holds(at, 8)) return {};
  const uint8_t* p = view.data + at;
  return {GetI16(p), GetI16(p + 2), GetI16(p + 4), GetI16(p + 6)};
}

std::string ObjectName(Handles& handles, ObjectRef obj) {
  LockedHandle bytes(handles, obj.card);
  Bytes view = View(bytes);
  auto [offset, field] = NameField(Field16(view, obj.offset + object::kType));
  if (field == 0) return {};
  // The name field must lie inside the object itself.
  size_t length = ObjectLengthAt(view, obj.offset);
  if (length < offset + field) return {};
  return CountedText(view, obj.offset + offset, field);
}

namespace {

ObjectRef FindOnCard(Handles& handles, Handle card, uint16_t type, uint16_t id) {
  LockedHandle bytes(handles, card);
  Bytes view = View(bytes);
  size_t offset = ObjectListStart(view);
  while (size_t length = ObjectLengthAt(view, offset)) {
    if (Field16(view, offset + object::kType) == type) {
      uint16_t own = Field16(view, offset + object::kId);
      if (own == id || own == 0) return {card, static_cast<uint32_t>(offset)};
    }
    offset += length;
  }
  return {};
}

}  // namespace

ObjectRef FindObjectById(const Stack& stack, Handles& handles, Handle current, uint16_t type,
                         uint16_t id) {
  if (current) {
    if (ObjectRef found = FindOnCard(handles, current, type, id)) return found;
  }
  for (int n = 1, count = stack.CardCount(); n <= count; ++n) {
    Handle card = stack.CardAt(n);
    if (card == current) continue;
    if (ObjectRef found = FindOnCard(handles, card, type, id)) return found;
  }
  return {};
}

ObjectRef FindObjectByName(const Stack& stack, Handles& handles, Handle card, uint16_t type,
                           std::string_view name, bool trim) {
  if (trim) name = Trimmed(name);
  ObjectIterator walk(stack, handles, card, true);
  while (ObjectRef obj = walk.Next()) {
    if (ObjectType(handles, obj) == type && EqualsIgnoringCase(ObjectName(handles, obj), name))
      return obj;
  }
  return {};
}

ObjectRef FindObjectByNameAnywhere(const Stack& stack, Handles& handles, uint16_t type,
                                   std::string_view name, bool trim) {
  for (int n = 1, count = stack.CardCount(); n <= count; ++n) {
    if (ObjectRef obj = FindObjectByName(stack, handles, stack.CardAt(n), type, name, trim))
      return obj;
  }
  return {};
}

ObjectRef FindNthObject(const Stack& stack, Handles& handles, Handle card, uint16_t type, int n) {
  if (n < 1) return {};
  ObjectIterator walk(stack, handles, card, true);
  while (ObjectRef obj = walk.Next()) {
    if (ObjectType(handles, obj) == type && --n == 0) return obj;
  }
  return {};
}

int OrdinalOfObject(Handles& handles, Handle card, uint16_t type, uint16_t id) {
  LockedHandle bytes(handles, card);
  Bytes view = View(bytes);
  size_t offset = ObjectListStart(view);
  int ordinal = 0;
  while (size_t length = ObjectLengthAt(view, offset)) {
    if (Field16(view, offset + object::kType) == type) {
      ++ordinal;
      if (Field16(view, offset + object::kId) == id) return ordinal;
    }
    offset += length;
  }
  return 0;
}

}  // namespace corvida
